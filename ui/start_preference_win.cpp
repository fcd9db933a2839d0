#include "ui/start_preference_win.h"

#include <memory>
#include <new>
#include <string>

#include "common/debug_log_win.h"
#include "common/exception_guard_win.h"
#include "common/install_profile_win.h"
#include "common/unique_handle.h"
#include "common/vgl_param.h"
#include "printer/driver_key_check_win.h"
#include "printer/vgprn_app_win.h"
#include "common/registry_keys.h"
#include "common/vgprn_exports.h"
#include "ui/icon_start_rules.h"
#include "ui/image_list_win.h"
#include "ui/vgl_env_dlg_win.h"

namespace {

const char* Text(const char* value) { return value != nullptr ? value : ""; }

// The Run key of the current user, opened to change it; null when it does not open.
ScopedRegKey OpenRunKey() {
  ScopedRegKey key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, vgreg::kRunKey, 0, KEY_ALL_ACCESS, key.Receive()) !=
      ERROR_SUCCESS) {
    key.Reset();
  }
  return key;
}

// Removes the parameter file of a registration, but only one that this system made.
void DeleteRegistrationFile(const std::string& runValue) {
  const std::string file = RunValueParamFile(runValue);
  if (file.empty() || !IsOwnParamFileName(file)) return;
  CVglParam param;
  param.DeleteParamFile(file.c_str());
}

}  // namespace

int RegisterStartup(int trayEnable, const char* printerName, const char* driverName,
                    const char* portName, const char* modelId) {
  CTraceScope trace("RegisterStartup");
  char program[kInstallPathSize] = {};
  GetIconProgramPath(program, Text(driverName), Text(modelId));
  const std::string valueName(vgstart::RunValueName(Text(printerName), Text(portName)));

  if (trayEnable == 1) {
    // Without the program there is nothing to start at log-on.
    if (program[0] == '\0') {
      trace.Write("no icon program\n");
      return 0;
    }
    CVglParam param;
    std::optional<std::string> commandLine;
    std::string madeFile;
    if (param.CreateRunParamFile(Text(printerName), Text(portName), Text(modelId)) == 1) {
      madeFile = std::string(param.TempFolder) + param.ParamFileName;
      commandLine = vgstart::AutoStartCommandLine(program, madeFile);
    } else {
      commandLine = vgstart::OptionsCommandLine(program, Text(printerName), Text(portName),
                                                Text(modelId), false);
    }
    if (!commandLine) {
      trace.Write("command line does not fit\n");
      if (!madeFile.empty()) param.DeleteParamFile(madeFile.c_str());
      return 0;
    }
    trace.Write("Run : %s = %s\n", valueName.c_str(), commandLine->c_str());
    ScopedRegKey run = OpenRunKey();
    if (run.IsValid()) {
      ::RegSetValueExA(run.Get(), valueName.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(commandLine->c_str()),
                       static_cast<DWORD>(commandLine->size() + 1));
    }
    return 1;
  }

  ScopedRegKey run = OpenRunKey();
  if (!run.IsValid()) return 1;
  char value[vgstart::kCommandLineSize + 1] = {};
  DWORD size = vgstart::kCommandLineSize;
  DWORD type = 0;
  if (::RegQueryValueExA(run.Get(), valueName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS) {
    const std::string text(value, strnlen(value, vgstart::kCommandLineSize));
    if (!text.empty()) DeleteRegistrationFile(text);
    ::RegDeleteValueA(run.Get(), valueName.c_str());
    trace.Write("Run : %s removed\n", valueName.c_str());
  }
  return 1;
}

int RunIconProgram(int trayEnable, const char* printerName, const char* driverName,
                   const char* portName, const char* modelId) {
  CTraceScope trace("RunIconProgram");
  char program[kInstallPathSize] = {};
  GetIconProgramPath(program, Text(driverName), Text(modelId));
  const bool remove = trayEnable == 0;
  CVglParam param;
  param.RemoveFlag = remove ? 1 : 0;
  std::optional<std::string> commandLine;
  const bool haveFile =
      param.CreateParamFile(Text(printerName), Text(portName), Text(modelId)) == 1;
  if (haveFile) {
    commandLine = vgstart::ParamFileCommandLine(program, param.ParamFileName);
  } else {
    commandLine = vgstart::OptionsCommandLine(program, Text(printerName), Text(portName),
                                              Text(modelId), remove);
  }
  const auto dropFile = [&] {
    if (!haveFile) return;
    char name[kParamTextSize];
    CopyParamText(name, param.ParamFileName);
    param.DeleteParamFile(name);
  };
  if (!commandLine) {
    dropFile();
    return 0;
  }
  trace.Write("szCmdLine = %s\n", commandLine->c_str());
  if (program[0] == '\0' || !RunCommandLine(commandLine->c_str(), program)) {
    trace.Write("the icon program did not start\n");
    dropFile();
    return 0;
  }
  return 1;
}

int RunPreferenceDialog(const char* printerName, const char* driverName, const char* portName,
                        const char* modelId, const char* resourceLibrary) {
  CTraceScope trace("RunPreferenceDialog");
  // The dialog's lists are list views of the common controls.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);

  std::unique_ptr<CVglEnvDlg> dialog(new (std::nothrow) CVglEnvDlg(nullptr));
  if (!dialog) return kPreferencesFailed;
  if (!dialog->SetIdentity(printerName, driverName, portName, modelId, resourceLibrary)) {
    return kPreferencesFailed;
  }
  dialog->LoadPreferenceResources();
  if (!dialog->IsReady()) return kPreferencesFailed;

  const int code = dialog->DoModal();
  trace.Write("DoModal : %d\n", code);
  if (code == 1) {
    const int tray = dialog->TrayIconEnable();
    RegisterStartup(tray, printerName, driverName, portName, modelId);
    RunIconProgram(tray, printerName, driverName, portName, modelId);
    return kPreferencesConfirmed;
  }
  return code == 2 ? kPreferencesCancelled : kPreferencesOtherResult;
}

extern "C" int __cdecl PrStartPreference(const char* printerName, const char* driverName,
                                         const char* portName, const char* modelId, int,
                                         const char* resDllName) {
  return vg::Guarded("PrStartPreference()", 1, [&]() -> int {
    CTraceScope trace("PrStartPreference()");
    trace.Write("PrinterName : %s, DriverName : %s, PortName : %s, ModelID : %s\n",
                Text(printerName), Text(driverName), Text(portName), Text(modelId));
    CBaseInfo& identity = TheApp().BaseInfo();
    identity.Set(printerName, driverName, portName, modelId, nullptr, resDllName);
    if (!identity.IsValid()) return 1;

    // Without a name from the caller, the model's resource library of its installation.
    std::string resources = Text(resDllName);
    if (resources.empty()) {
      char path[kInstallPathSize] = {};
      if (GetResDllPath(path, identity.DriverName(), identity.ModelID()) == 1) resources = path;
    }
    if (CheckDriverKey(identity.DriverName(), resources.c_str()) == 0) return 1;
    return RunPreferenceDialog(Text(printerName), Text(driverName), Text(portName),
                               Text(modelId), resources.c_str());
  });
}
