#pragma once
// CWtsApi: the terminal-services library bound at run time, and whether terminal services
// are present on this Windows.
#include "common/unique_handle.h"
#include "common/win.h"
// Types and constants only: the functions are bound at run time.
#include <wtsapi32.h>

class CWtsApi {
 public:
  // Last errors of the forwarders.
  static constexpr DWORD kErrorNotAvailable = 0x2001000A;  // not loaded, or no terminal server
  static constexpr DWORD kErrorNoFunction = 0x2001000B;    // the library lacks the function

  CWtsApi() = default;
  ~CWtsApi();
  CWtsApi(const CWtsApi&) = delete;
  CWtsApi& operator=(const CWtsApi&) = delete;

  // Loads "WTSAPI32.DLL" from the system folder; returns the loaded flag.
  BOOL Load();
  // Frees the library and clears both flags.
  void Unload();
  BOOL IsLoaded() const { return m_bLoaded; }

  // Decides, by the Windows version, whether terminal services are present; sets and returns
  // the terminal-server flag. On 9x the flag is left as it was.
  BOOL IsTerminalServer();

  // Forward to the library's functions, resolved by name at every call. Both need the
  // library loaded and the terminal-server flag set.
  BOOL WTSQuerySessionInformationA(HANDLE server, DWORD sessionId, WTS_INFO_CLASS infoClass,
                                   LPSTR* buffer, DWORD* bytesReturned);
  // 1 when the memory was handed to the library.
  BOOL WTSFreeMemory(PVOID memory);

 private:
  ScopedModule m_hModule;
  BOOL m_bLoaded = FALSE;
  BOOL m_bTerminalServer = FALSE;
};

// One text of a session into out (kSessionTextSize bytes); a failed or empty answer leaves
// out as it was. Returns the forwarder's result.
constexpr DWORD kSessionTextSize = MAX_PATH;
BOOL QuerySessionString(CWtsApi& wts, DWORD sessionId, WTS_INFO_CLASS infoClass, char* out);
