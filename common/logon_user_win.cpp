#include "common/logon_user_win.h"

#include <tlhelp32.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "common/change_watch_win.h"
#include "common/debug_log_win.h"
#include "common/logon_rules.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "common/windows_version_win.h"
#include "common/wts_api_win.h"

namespace {

using vgreg::kWinlogonKey;
constexpr DWORD kMaxShellProcesses = 128;

// The account of a token's user into the two buffers.
bool LookupTokenUser(HANDLE token, std::vector<BYTE>& info, char* user, DWORD* userSize,
                     char* domain, DWORD* domainSize) {
  DWORD needed = 0;
  if (!::GetTokenInformation(token, TokenUser, info.data(), static_cast<DWORD>(info.size()),
                             &needed)) {
    return false;
  }
  SID_NAME_USE use;
  const auto* tokenUser = reinterpret_cast<const TOKEN_USER*>(info.data());
  return ::LookupAccountSidA(nullptr, tokenUser->User.Sid, user, userSize, domain, domainSize,
                             &use) != FALSE;
}

// The session of terminal services; false when they are not there.
bool LogonUserFromSession(char* user, char* domain) {
  CWtsApi wts;
  if (!wts.IsTerminalServer() || !wts.Load()) return false;
  // The session's own id when it can be asked for, else the current session stands for it.
  DWORD sessionId = WTS_CURRENT_SESSION;
  LPSTR buffer = nullptr;
  DWORD bytes = 0;
  if (wts.WTSQuerySessionInformationA(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSSessionId,
                                      &buffer, &bytes) &&
      buffer != nullptr) {
    if (bytes >= sizeof sessionId) std::memcpy(&sessionId, buffer, sizeof sessionId);
    wts.WTSFreeMemory(buffer);
  }
  QuerySessionString(wts, sessionId, WTSUserName, user);
  QuerySessionString(wts, sessionId, WTSDomainName, domain);
  wts.Unload();
  return true;
}

void LogLogonUser(const char* user, const char* domain) {
  VgTrace("Logon user name : %s\n", user);
  VgTrace("Logon domain name : %s\n", domain);
}

}  // namespace

int GetProcessAccountName(DWORD processId, char* user, DWORD* userSize, char* domain,
                          DWORD* domainSize) {
  if (user == nullptr || userSize == nullptr || domain == nullptr || domainSize == nullptr ||
      *userSize == 0 || *domainSize == 0) {
    return 0;
  }
  // Not inheritable: no child process started meanwhile may receive this handle.
  ScopedHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
  if (!process.IsValid()) return 0;
  ScopedHandle token;
  if (!::OpenProcessToken(process.Get(), TOKEN_READ, token.Receive())) return 0;
  DWORD needed = 0;
  ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &needed);
  if (needed == 0) return 0;
  std::vector<BYTE> info(needed);
  return LookupTokenUser(token.Get(), info, user, userSize, domain, domainSize) ? 1 : 0;
}

int GetShellName(char* out, DWORD* size) {
  if (out == nullptr || size == nullptr || *size == 0) return 0;
  const DWORD capacity = *size;
  out[0] = '\0';
  ScopedRegKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWinlogonKey, 0, KEY_READ, key.Receive()) !=
      ERROR_SUCCESS) {
    *size = 0;
    return 0;
  }
  DWORD bytes = capacity;
  LONG rc = ::RegQueryValueExA(key.Get(), "Shell", nullptr, nullptr, reinterpret_cast<BYTE*>(out),
                               &bytes);
  if (rc == ERROR_SUCCESS) {
    // A stored string need not carry its terminator; without room for one it does not fit.
    const size_t length = vgtext::BoundedView(out, bytes).size();
    if (length < capacity) {
      out[length] = '\0';
      *size = static_cast<DWORD>(length + 1);
      return 1;
    }
    bytes = static_cast<DWORD>(length + 1);
  } else if (rc != ERROR_MORE_DATA) {
    bytes = 0;
  }
  out[0] = '\0';
  *size = bytes;
  return 1;
}

DWORD GetShellProcessIds(DWORD* processIds, DWORD sizeInBytes) {
  if (processIds == nullptr || sizeInBytes < sizeof(DWORD)) return 0;
  const DWORD capacity = sizeInBytes / sizeof(DWORD);

  char shellValue[MAX_PATH] = {};
  DWORD shellSize = sizeof shellValue;
  GetShellName(shellValue, &shellSize);
  const std::string_view shellName = vglogon::ShellNameOrDefault(shellValue);

  ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid()) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  DWORD count = 0;
  for (BOOL more = ::Process32First(snapshot.Get(), &entry); more && count < capacity;
       more = ::Process32Next(snapshot.Get(), &entry)) {
    if (vglogon::IsShellProcess(vgtext::BoundedView(entry.szExeFile, sizeof entry.szExeFile),
                                shellName)) {
      processIds[count++] = entry.th32ProcessID;
    }
  }
  return count;
}

int IsAdministrator() {
  ScopedHandle token;
  if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, token.Receive()) &&
      !::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Receive())) {
    return 0;
  }
  DWORD needed = 0;
  ::GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &needed);
  if (needed == 0) return 0;
  std::vector<BYTE> info(needed);
  if (!::GetTokenInformation(token.Get(), TokenGroups, info.data(), needed, &needed)) return 0;

  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
    return 0;
  }
  int result = 0;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(info.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if (::EqualSid(groups->Groups[i].Sid, administrators) &&
        (groups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) == 0) {
      result = 1;
      break;
    }
  }
  ::FreeSid(administrators);
  return result;
}

namespace {

// GetLogonUser, also telling which shell process the user came from (0 when none did).
int FindLogonUser(char* user, char* domain, DWORD* shellProcessId) {
  if (user == nullptr || domain == nullptr) return 0;
  user[0] = '\0';
  domain[0] = '\0';
  if (!IsNtPlatform()) return 0;

  if (LogonUserFromSession(user, domain)) return user[0] != '\0';

  DWORD ids[kMaxShellProcesses] = {};
  const DWORD count = GetShellProcessIds(ids, sizeof ids);
  for (DWORD i = 0; i < count; ++i) {
    char foundUser[kLogonNameSize] = {};
    char foundDomain[kLogonNameSize] = {};
    DWORD userSize = sizeof foundUser;
    DWORD domainSize = sizeof foundDomain;
    if (GetProcessAccountName(ids[i], foundUser, &userSize, foundDomain, &domainSize)) {
      vgtext::CopyBounded(user, kLogonNameSize, foundUser);
      vgtext::CopyBounded(domain, kLogonNameSize, foundDomain);
      if (shellProcessId != nullptr) *shellProcessId = ids[i];
      VgTrace("GetProcessAccountName : success\n");
      LogLogonUser(user, domain);
      break;
    }
  }

  if (user[0] == '\0' || domain[0] == '\0') {
    VgTrace("GetProcessAccountName : failed\n");
    Registry winlogon(HKEY_LOCAL_MACHINE, kWinlogonKey);
    vgtext::CopyBounded(user, kLogonNameSize,
                        winlogon.GetString("DefaultUserName", "", kLogonNameSize));
    vgtext::CopyBounded(domain, kLogonNameSize,
                        winlogon.GetString("DefaultDomainName", "", kLogonNameSize));
    LogLogonUser(user, domain);
  }
  return user[0] != '\0';
}

}  // namespace

int GetLogonUser(char* user, char* domain) { return FindLogonUser(user, domain, nullptr); }

int IsSameLogonUser(const char* user, const char* domain) {
  if (user == nullptr || domain == nullptr || user[0] == '\0') return 0;
  ScopedHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_READ, token.Receive())) return 0;
  // A TOKEN_USER is a pointer and a SID: 1000 bytes hold any of them.
  std::vector<BYTE> info(1000);
  char account[kLogonNameSize] = {};
  char accountDomain[kLogonNameSize] = {};
  DWORD accountSize = sizeof account;
  DWORD domainSize = sizeof accountDomain;
  if (!LookupTokenUser(token.Get(), info, account, &accountSize, accountDomain, &domainSize)) {
    return 0;
  }
  if (!vgtext::EqualsNoCase(account, user) || !vgtext::EqualsNoCase(accountDomain, domain)) {
    return 0;
  }
  VgTrace("same logon user\n");
  return 1;
}

LogonUserFacts GetLogonUserFacts() {
  static std::mutex lock;
  static ChangeWatch watch;
  static LogonUserFacts facts;
  static bool kept = false;
  std::lock_guard<std::mutex> guard(lock);
  if (kept && watch.StillTrue()) return facts;

  // Watched before the look-up, so that a change during it is not missed. 9x has no change
  // notifications, and nothing to find either.
  watch.Clear();
  kept = IsNtPlatform();
  kept = kept && watch.WatchKey(HKEY_LOCAL_MACHINE, kWinlogonKey, false);
  kept = kept && watch.WatchKey(HKEY_USERS, "", false);
  LogonUserFacts next;
  DWORD shellProcessId = 0;
  next.found = FindLogonUser(next.user, next.domain, &shellProcessId) != 0;
  if (shellProcessId != 0) kept = watch.WatchProcess(shellProcessId) && kept;
  next.sameUser = IsSameLogonUser(next.user, next.domain) != 0;
  next.generation = facts.generation + 1;
  facts = next;
  return facts;
}
