// vgicon.exe, the tray icon program: one notification-area icon per printer, for every printer
// of the user in one process. Started with a parameter file (/F, consumed; /A, kept, as the
// log-on registration starts it) or with length-prefixed options:
//   vgicon.exe /A "C:\...\VG_1A2B.tmp"        vgicon.exe /P6 "Office" /O5 "LPT1:" /M "VP-100"
// it shows the printer's icon, or hands the printer to the instance that runs already. With
// the R flag it removes that printer's icon; the instance ends with its last icon. With the S
// or E flag (as the icon's menu starts it) it shows the printer's status window or its
// preferences through the printer status library, in a process of its own, and ends with it.
#include <string>

#include "common/debug_log_win.h"
#include "common/exception_guard_win.h"
#include "common/install_profile_win.h"
#include "common/unique_handle.h"
#include "common/vgl_param.h"
#include "common/win.h"
#include "printer/vgprn_app_win.h"
#include "common/vgprn_exports.h"
#include "tools/vgicon/icon_rules.h"
#include "tools/vgicon/tray_icons_win.h"

CVG_PxxxxApp& TheApp() {
  static CVG_PxxxxApp app;
  return app;
}

namespace {

// Exit codes.
constexpr int kDone = 0;
constexpr int kNoPrinter = 2;
constexpr int kNoWindow = 3;
constexpr int kNoLibrary = 4;

// Serialises the start of an instance: two programs started at once must not both become one.
constexpr char kStartMutex[] = "VgIconProgramStart";

constexpr int kDetailStart = 2;  // the status window as the user opens it

// The printer's status window or preferences, through the model's printer status library.
int ShowWindowOf(const CVglParam& request, bool preferences) {
  char library[kInstallPathSize] = {};
  char resources[kInstallPathSize] = {};
  char profile[kInstallPathSize] = {};
  if (GetPrnDllPath(library, request.DriverName, request.ModelID) != 1) return kNoLibrary;
  GetResDllPath(resources, request.DriverName, request.ModelID);
  GetProfilePath(profile, request.DriverName, request.ModelID);
  ScopedModule module(::LoadLibraryA(library));
  if (!module.IsValid()) return kNoLibrary;
  if (preferences) {
    const auto start = reinterpret_cast<PFN_PrStartPreference>(
        reinterpret_cast<void*>(::GetProcAddress(module.Get(), "PrStartPreference")));
    if (start == nullptr) return kNoLibrary;
    start(request.PrinterName, request.DriverName, request.PortName, request.ModelID, 0, resources);
    return kDone;
  }
  const auto start = reinterpret_cast<PFN_PrStartView>(
      reinterpret_cast<void*>(::GetProcAddress(module.Get(), "PrStartView")));
  if (start == nullptr) return kNoLibrary;
  start(kDetailStart, request.PrinterName, request.DriverName, request.PortName, request.ModelID,
        profile, resources);
  return kDone;
}

int Run(HINSTANCE instance) {
  CTraceScope trace("vgicon");
  const CVglParam request(::GetCommandLineA());
  const vgicon::Action action =
      vgicon::ActionOf(request.PrinterName[0] != '\0' || request.PortName[0] != '\0',
                       request.RemoveFlag != 0, request.FlagS != 0, request.FlagE != 0);
  trace.Write("printer : %s, port : %s, action : %d\n", request.PrinterName, request.PortName,
              static_cast<int>(action));
  switch (action) {
    case vgicon::Action::kNothing:
      return kNoPrinter;
    case vgicon::Action::kShowStatus:
      return ShowWindowOf(request, false);
    case vgicon::Action::kShowPreferences:
      return ShowWindowOf(request, true);
    case vgicon::Action::kShowIcon:
    case vgicon::Action::kRemoveIcon:
      break;
  }

  CTrayIcons icons;
  {
    ScopedHandle mutex(::CreateMutexA(nullptr, FALSE, kStartMutex));
    if (mutex.IsValid()) ::WaitForSingleObject(mutex.Get(), 30000);
    // An instance that is just ending refuses the request: this start then serves instead.
    HWND running = ::FindWindowA(CTrayIcons::kClassName, nullptr);
    const bool handedOver = running != nullptr && CTrayIcons::SendRequest(running, request);
    if (!handedOver && action == vgicon::Action::kShowIcon && !icons.Create(instance)) {
      if (mutex.IsValid()) ::ReleaseMutex(mutex.Get());
      return kNoWindow;
    }
    if (mutex.IsValid()) ::ReleaseMutex(mutex.Get());
    if (handedOver || action == vgicon::Action::kRemoveIcon) return kDone;
  }
  icons.Apply(request);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return kDone;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return vg::Guarded("vgicon", 1, [&] { return Run(instance); });
}
