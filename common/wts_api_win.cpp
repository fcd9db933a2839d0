#include "common/wts_api_win.h"

#include <string_view>
#include <vector>

#include "common/logon_rules.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/system_library_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "common/windows_version_win.h"

namespace {

// NT 4 names its installed suites in this list.
bool ProductSuiteHasTerminalServer() {
  Registry options(HKEY_LOCAL_MACHINE, vgreg::kProductOptionsKey);
  if (options.GetValueType("ProductSuite") != REG_MULTI_SZ) return false;
  const std::vector<BYTE> data = options.GetBinary("ProductSuite");
  return vglogon::MultiSzContains(
      std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), "Terminal Server");
}

// Windows 2000 tells through the suite mask of its version. -1 when the calls are missing.
int SuiteMaskHasTerminal() {
  using VerSetConditionMaskFn = ULONGLONG(WINAPI*)(ULONGLONG, DWORD, BYTE);
  using VerifyVersionInfoFn = BOOL(WINAPI*)(OSVERSIONINFOEXA*, DWORD, DWORDLONG);
  ScopedModule ntdll(LoadSystemLibrary("ntdll.dll"));
  ScopedModule kernel(LoadSystemLibrary("KERNEL32.DLL"));
  auto setConditionMask = GetProcAs<VerSetConditionMaskFn>(ntdll.Get(), "VerSetConditionMask");
  auto verifyVersionInfo = GetProcAs<VerifyVersionInfoFn>(kernel.Get(), "VerifyVersionInfoA");
  if (setConditionMask == nullptr || verifyVersionInfo == nullptr) return -1;
  OSVERSIONINFOEXA wanted = {};
  wanted.dwOSVersionInfoSize = sizeof wanted;
  wanted.wSuiteMask = VER_SUITE_TERMINAL;
  const ULONGLONG condition = setConditionMask(0, VER_SUITENAME, VER_AND);
  return verifyVersionInfo(&wanted, VER_SUITENAME, condition) ? 1 : 0;
}

}  // namespace

CWtsApi::~CWtsApi() { Unload(); }

BOOL CWtsApi::Load() {
  if (m_bLoaded) return m_bLoaded;
  // From the system folder only: a library of the same name beside the program or in the
  // current folder would otherwise answer for the session.
  m_hModule.Reset(LoadSystemLibrary("WTSAPI32.DLL"));
  m_bLoaded = m_hModule.IsValid();
  return m_bLoaded;
}

void CWtsApi::Unload() {
  m_hModule.Close();
  m_bLoaded = FALSE;
  m_bTerminalServer = FALSE;
}

BOOL CWtsApi::IsTerminalServer() {
  const WindowsVersion version = GetWindowsVersion();
  switch (vglogon::ChooseTerminalServerCheck(version.nt, version.major, version.minor)) {
    case vglogon::TerminalServerCheck::kNotNt:
      break;
    case vglogon::TerminalServerCheck::kProductSuite:
      m_bTerminalServer = ProductSuiteHasTerminalServer();
      break;
    case vglogon::TerminalServerCheck::kSuiteMask: {
      const int answer = SuiteMaskHasTerminal();
      if (answer >= 0) m_bTerminalServer = answer;
      break;
    }
    case vglogon::TerminalServerCheck::kAlways:
      m_bTerminalServer = TRUE;
      break;
  }
  return m_bTerminalServer;
}

BOOL CWtsApi::WTSQuerySessionInformationA(HANDLE server, DWORD sessionId, WTS_INFO_CLASS infoClass,
                                          LPSTR* buffer, DWORD* bytesReturned) {
  using QueryFn = BOOL(WINAPI*)(HANDLE, DWORD, WTS_INFO_CLASS, LPSTR*, DWORD*);
  if (!m_bLoaded || !m_bTerminalServer) {
    ::SetLastError(kErrorNotAvailable);
    return FALSE;
  }
  auto query = GetProcAs<QueryFn>(m_hModule.Get(), "WTSQuerySessionInformationA");
  if (query == nullptr) {
    ::SetLastError(kErrorNoFunction);
    return FALSE;
  }
  return query(server, sessionId, infoClass, buffer, bytesReturned);
}

BOOL CWtsApi::WTSFreeMemory(PVOID memory) {
  using FreeFn = void(WINAPI*)(PVOID);
  if (!m_bLoaded || !m_bTerminalServer) {
    ::SetLastError(kErrorNotAvailable);
    return FALSE;
  }
  auto freeMemory = GetProcAs<FreeFn>(m_hModule.Get(), "WTSFreeMemory");
  if (freeMemory == nullptr) {
    ::SetLastError(kErrorNoFunction);
    return FALSE;
  }
  freeMemory(memory);
  return TRUE;
}

BOOL QuerySessionString(CWtsApi& wts, DWORD sessionId, WTS_INFO_CLASS infoClass, char* out) {
  LPSTR buffer = nullptr;
  DWORD bytes = 0;
  BOOL result = wts.WTSQuerySessionInformationA(WTS_CURRENT_SERVER_HANDLE, sessionId, infoClass,
                                                &buffer, &bytes);
  if (!result || buffer == nullptr) return result;
  // The answer's own length bounds the read: it need not be terminated within it.
  const std::string_view text = vgtext::BoundedView(buffer, bytes);
  if (out != nullptr && !text.empty()) vgtext::CopyBounded(out, kSessionTextSize, text);
  wts.WTSFreeMemory(buffer);
  return result;
}
