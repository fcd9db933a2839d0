#pragma once
// The per-printer target keys in the logon user's hive: finding a printer's key, creating
// it with its first values, removing keys of printers that are gone, and the values that
// carry the latest status between the monitor and a status window.
//
//   <root>\software\KORVA\VGL3\VGLData\KVLTarget\P0000000000000000 ...   by printer name
//   <root>\software\KORVA\VGL3\VGLData\KVNTarget\P...                   by port name
//
// The root is HKEY_CURRENT_USER, or HKEY_USERS with the logon user's profile key in front of
// the base key when the process runs as another account. Key paths are at most 259
// characters (buffers of kTargetKeyPathSize bytes). Every failure goes to the debug log.
#include "common/registry_win.h"
#include "common/target_key_rules.h"
#include "common/win.h"

constexpr DWORD kTargetKeyPathSize = static_cast<DWORD>(vgtarget::kKeyPathSize);

// Results of GetCurrentTargetPrnKey.
constexpr int kTargetFound = 0;
constexpr int kTargetNotFound = 1;     // path = base key
constexpr int kTargetNoBaseKey = 4;    // path = base key
constexpr int kTargetBadArgument = 5;  // a kind other than 0 or 1, or a missing output

// Results of RebuildTargetKey besides the defaults call's own.
constexpr int kRebuildCreateFailed = 1;
constexpr int kRebuildNoLibrary = 4;
constexpr int kRebuildNoExport = 5;

// Whose hive holds the keys. The library always looks for the logon user's hive; the
// monitor does so only for printers of the line type and uses its own hive otherwise.
enum class TargetHive {
  kLogonUser,    // on NT, HKEY_USERS\<profile> when the process is not the logon user
  kCurrentUser,  // HKEY_CURRENT_USER and the base key, always
};

// The target key of the name (printer name for kind 0, port name for kind 1), compared
// without regard to case: kTargetFound and its path; kTargetNotFound or kTargetNoBaseKey
// with the base path. The root is set for every result but kTargetBadArgument.
//
// The hive comes from the logon user's facts (GetLogonUserFacts), found again only when they
// may have changed. A key found is remembered by root, base path and name, and its path is
// taken again without walking the base key as long as the key there still carries that name
// in its "Name"; otherwise (removed, rebuilt, renamed) the base key's subkeys are walked as
// the first time. Thread-safe.
int GetCurrentTargetPrnKey(const char* name, int kind, char* keyPath, HKEY* root,
                           TargetHive hive = TargetHive::kLogonUser);

// The printer's target key (by its printer name, or by its port name when that is empty) in
// the logon user's hive, found as GetCurrentTargetPrnKey finds it and opened in key with the
// access: the remembered path is checked through the handle that is then handed out, so one
// open serves the look-up and the work. kTargetFound with the key open, or with the key closed
// when it exists but does not open with that access; any other result leaves it closed.
// keyPath (kTargetKeyPathSize bytes) and root, each optional, as GetCurrentTargetPrnKey.
int OpenTargetKey(const char* printerName, const char* portName, REGSAM access, Registry* key,
                  char* keyPath = nullptr, HKEY* root = nullptr);

// OpenTargetKey for the status values: all access, or read access only when the key allows
// no more (writes then fail, reads still answer).
int OpenTargetKeyToWrite(const char* printerName, const char* portName, Registry* key);

// A new key under basePath with the lowest free number, holding "Name" = name, "Setting" =
// 0 and "Timer" = 10; basePath (kTargetKeyPathSize bytes) then holds the new key's path.
// 0 created and verified; 1 "Setting" did not read back as 0 or no number was free; 2 "Name"
// cannot be written; 3 a numbered key cannot be created; 4 the base key cannot be created.
int CreateTargetPrnKey(HKEY root, const char* name, char* basePath);

// Removes the key and everything below it. -1 when it or a key below it cannot be opened or
// removed, else 0.
int DeleteTargetKey(HKEY root, const char* keyPath);

// Marks the key unused ("Setting" = 255), then removes it. -1 when it cannot be opened.
int DeleteUnusedKey(HKEY root, const char* keyPath);

// Removes the stale keys under basePath: keys without a name and, under a printer-name base,
// keys whose printer the spooler cannot open or that has no driver or print processor. Then
// removes the nameless keys of the port-name base beside it. -1 when a base key cannot be
// opened, else 0.
int DeleteNoneReg(HKEY root, const char* basePath);

// Clears out stale keys, creates the printer's key under basePath (kTargetKeyPathSize bytes,
// then the new key's path) and fills it through the PrSetRegDefaultValue export of the
// model's printer library. Its result, or kRebuildCreateFailed, kRebuildNoLibrary,
// kRebuildNoExport.
int RebuildTargetKey(HKEY root, const char* printerName, const char* portName,
                     const char* modelId, int kind, char* basePath);

// The printer's key, rebuilt when it is missing: 0 when it existed, else RebuildTargetKey's
// result. keyPath (kTargetKeyPathSize bytes) receives the path when one was found or made;
// kind and root (each optional) the kind used and the key's root.
int CheckTargetRegKey(const char* printerName, const char* portName, const char* modelId,
                      int* kind, char* keyPath, HKEY* root = nullptr,
                      TargetHive hive = TargetHive::kLogonUser);

// The printer's key by its printer name, or by its port name when the printer name is empty.
int FindTargetKey(const char* printerName, const char* portName, char* keyPath, HKEY* root);

// The latest status reply and its channel ("Status", "Channel"). 0 written; 1 the printer
// has no key; 2 the key cannot be opened or written.
int SetTargetStatus(const char* printerName, const char* portName, const BYTE* reply,
                    DWORD length, DWORD channel);
// The communication state "ComStatus": results as SetTargetStatus.
int SetComStatus(const char* printerName, const char* portName, DWORD value);
// "ComStatus", or kComStatusDefault when it (or the printer's key) is missing.
constexpr int kComStatusDefault = 2;
int GetComStatus(const char* printerName, const char* portName);

// The same on a target key that the caller has found and opened (OpenTargetKeyToWrite): 0
// written, 2 the key is closed or the write fails.
int SetTargetStatus(Registry& target, const BYTE* reply, DWORD length, DWORD channel);
int SetComStatus(Registry& target, DWORD value);
int GetComStatus(const Registry& target);
