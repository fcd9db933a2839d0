#include "ui/agent_settings_win.h"

#include <atomic>
#include <optional>
#include <string>

#include "common/debug_log_win.h"
#include "common/registry_win.h"
#include "common/system_library_win.h"
#include "common/vgl_param.h"
#include "common/windows_version_win.h"
#include "ui/agent_rules.h"
#include "ui/driver_key_path.h"
#include "ui/wait_dlg_win.h"

// After the project's Windows header, which it needs.
#include <shellapi.h>

namespace {

constexpr char kSecondAgentKey[] = "software\\KORVA\\QVPrinter\\SAgent2";
constexpr char kServiceAgentKey[] = "SYSTEM\\CurrentControlSet\\services\\ZRAgent";
constexpr char kLibraryKey[] = "Software\\Korva\\eQVAPI";
constexpr char kIpxKey[] = "Enum\\Network\\NWLINK";
constexpr int kCommonAppData = 0x0023;  // CSIDL_COMMON_APPDATA

bool KeyExists(const char* path) { return Registry(HKEY_LOCAL_MACHINE, path).IsOpen(); }

// The common application-data folder, made when missing. Bound at run time: older shells
// lack the call, and the library must still load there.
std::optional<std::string> CommonAppDataFolder(HWND owner) {
  using GetFolderFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
  HMODULE shell = LoadSystemLibrary("shell32.dll");
  if (shell == nullptr) return std::nullopt;
  std::optional<std::string> folder;
  char buffer[MAX_PATH + 1] = {};
  auto getFolder = GetProcAs<GetFolderFn>(shell, "SHGetSpecialFolderPathA");
  if (getFolder != nullptr && getFolder(owner, buffer, kCommonAppData, TRUE) && buffer[0] != '\0') {
    folder = std::string(buffer);
  }
  ::FreeLibrary(shell);
  return folder;
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void ShowWaitDialog(const AgentDialogInfo& dialog, int n) {
  CWaitDlg wait(dialog.resourceLibrary, dialog.dialog);
  wait.DoModal(n);
}

}  // namespace

int GetAgentKind(const char* driverName) {
  const std::string keyPath = vgui::MakeDriverKeyPath(driverName != nullptr ? driverName : "");
  std::string library;
  if (!keyPath.empty())
    library = Registry(HKEY_LOCAL_MACHINE, keyPath.c_str()).GetString("QVAPI32");
  return vgagent::AgentKindFromLibrary(library);
}

int IsAgentAllowed(int kind) {
  if (kind == vgagent::kAgentKind2) {
    return Registry(HKEY_LOCAL_MACHINE, kSecondAgentKey).GetDWordValue("AllowMonitoring", 0) != 0
               ? 1
               : 0;
  }
  if (kind == vgagent::kAgentKind1) return KeyExists(kServiceAgentKey) ? 1 : 0;
  return 0;
}

int IsLegacyNetworkOnly(int agentKind) {
  if (agentKind >= vgagent::kAgentKind2) return 0;
  return vgagent::LegacyNetworkOnly(agentKind, KeyExists(kLibraryKey), KeyExists(kIpxKey)) ? 1 : 0;
}

int IsVistaOrLater() {
  const WindowsVersion version = GetWindowsVersion();
  return vgagent::VistaOrLater(version.nt, version.major) ? 1 : 0;
}

namespace vgagent {

int StartProgram(const char* programPath, const char* commandLine) {
  return RunCommandLine(commandLine, programPath);
}

namespace {
std::atomic<ElevatedStarter> g_elevatedStarter{nullptr};
}  // namespace

void SetElevatedStarter(ElevatedStarter starter) { g_elevatedStarter = starter; }

INT_PTR StartElevated(HWND owner, const char* programPath, const char* parameters,
                      DWORD* lastError) {
  if (const ElevatedStarter starter = g_elevatedStarter) {
    return starter(owner, programPath, parameters, lastError);
  }
  // A success leaves the last error alone: an old "cancelled" must not read as a refusal.
  ::SetLastError(ERROR_SUCCESS);
  const INT_PTR result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteA(owner, "runas", programPath, parameters, nullptr, SW_SHOWNORMAL));
  *lastError = ::GetLastError();
  return result;
}

}  // namespace vgagent

void SetQOLTAgent2(const AgentDialogInfo& dialog, int n) {
  CTraceScope trace("CVglEnvDlg::SetQOLTAgent2");
  trace.Write("SetQOLTAgent2()\n");
  trace.Write("iService = %d\n", n);
  const std::string driver = dialog.driverName != nullptr ? dialog.driverName : "";
  const std::string printer = dialog.printerName != nullptr ? dialog.printerName : "";
  if (driver.empty() || printer.empty()) return;

  const std::string keyPath = vgui::MakeDriverKeyPath(driver);
  Registry driverKey(HKEY_LOCAL_MACHINE, keyPath.c_str());
  std::string program;
  if (keyPath.empty() || !driverKey.QueryString("VG_RCV", &program, vgagent::kAgentBufferSize) ||
      program.empty()) {
    return;
  }

  if (!IsVistaOrLater()) {
    const auto commandLine = vgagent::AgentSettingsCommandLine(program, driver, printer, n);
    if (!commandLine) {
      trace.Write("command line does not fit\n");
      return;
    }
    trace.Write("szCmdLine = %s\n", commandLine->c_str());
    if (vgagent::StartProgram(program.c_str(), commandLine->c_str())) ShowWaitDialog(dialog, n);
    return;
  }

  const auto parameters = vgagent::AgentSettingsParameters(driver, printer, n);
  const auto appData = CommonAppDataFolder(dialog.dialog);
  if (!parameters || !appData) return;
  const auto folder = vgagent::ElevationFolder(*appData);
  const auto copy = vgagent::ElevationCopyPath(*appData, program);
  if (!folder || !copy) return;
  if (!IsDirectory(*folder) && !::CreateDirectoryA(folder->c_str(), nullptr)) return;
  if (!::CopyFileA(program.c_str(), copy->c_str(), FALSE)) return;
  trace.Write("szCmdLine = %s\n", parameters->c_str());
  DWORD lastError = 0;
  const INT_PTR result =
      vgagent::StartElevated(dialog.dialog, copy->c_str(), parameters->c_str(), &lastError);
  trace.Write("(int)hExec = %d, dwLastErr = %d\n", static_cast<int>(result),
              static_cast<int>(lastError));
  if (result > 32 && lastError != ERROR_CANCELLED) ShowWaitDialog(dialog, n);
}
