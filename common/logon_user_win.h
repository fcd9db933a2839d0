#pragma once
// Who sits at the screen: the logged-on user's name and domain, the account of a process,
// the shell processes, and whether the current token is an administrator's.
#include "common/win.h"

constexpr DWORD kLogonNameSize = MAX_PATH;  // user and domain buffers: 260 bytes

// 1 and the account of the process (user and domain, sizes in and out as for
// LookupAccountSidA); 0 for a missing argument, a zero size, or any failure on the way.
int GetProcessAccountName(DWORD processId, char* user, DWORD* userSize, char* domain,
                          DWORD* domainSize);

// The ids of the running shell processes, at most sizeInBytes / 4 of them; 0 when the
// array is missing or smaller than one id.
DWORD GetShellProcessIds(DWORD* processIds, DWORD sizeInBytes);

// 1 and the Winlogon "Shell" value when the Winlogon key opens (empty when the value is
// missing or does not fit *size bytes); *size then holds the bytes the value needs. 0 when
// the key cannot be opened.
int GetShellName(char* out, DWORD* size);

// 1 when the current thread's token, or the process token when the thread has none, holds
// the local Administrators group for use (a group kept only for denying access does not count).
int IsAdministrator();

// The interactive user (buffers of kLogonNameSize bytes): on terminal services from the
// current session, else from the account of a shell process, else from the Winlogon defaults.
// 1 when a user name was found. On 9x both stay empty.
int GetLogonUser(char* user, char* domain);

// 1 when the current process runs as that user and domain (letter case aside).
int IsSameLogonUser(const char* user, const char* domain);

// The logon user as GetLogonUser finds it, and IsSameLogonUser's answer for it, found once
// and kept while nothing they depend on has changed: the Winlogon values (shell name and
// default user), the set of loaded user hives (a user logs on or off), and, when the user
// came from a shell process, that process. Each call asks the watch (one wait, no registry
// access); a change finds both again (and logs the look-up again). generation changes with
// each new finding, so that caches built on these facts can tell. Thread-safe.
struct LogonUserFacts {
  char user[kLogonNameSize] = {};
  char domain[kLogonNameSize] = {};
  bool found = false;     // GetLogonUser's result
  bool sameUser = false;  // IsSameLogonUser's result
  unsigned long generation = 0;
};
LogonUserFacts GetLogonUserFacts();
