// vgpop.exe, the pop-up program: it shows a printer's status window through PrStartView of the
// printer's installed status library.
//
//   vgpop.exe /F "VG_1234.tmp" /S          the monitor, with a parameter file
//   vgpop.exe /P5 "Print" /O5 "LPT1:" /M6 "VP-100" [/J "42"] /S
//                                          the monitor, without a file
//   vgpop.exe /VIEW "printer name"         a user: the printer's status window
//
// Started by the monitor at a job's start (with a job id), it waits in the background for that
// job, its hidden window registered in the monitor's window table, so that the monitor's later
// pop-up requests reach it as hand-off blocks (WM_COPYDATA). A request (or a start without a
// job id) opens the status window as a pop-up start; a request while the window is open brings
// it forward. A user's start opens it as a detail start. The program ends by itself once the
// monitor of its printer has ended and no window of it is open. What it does is appended to
// VGPOP.LOG in the temporary folder.
#include <cstdio>
#include <string>

#include "common/cmd_line.h"
#include "common/exception_guard_win.h"
#include "common/install_profile_win.h"
#include "common/instance_names.h"
#include "common/map_records_win.h"
#include "common/param_block.h"
#include "common/unique_handle.h"
#include "common/vgl_param.h"
#include "common/vgprn_exports.h"
#include "common/win.h"
#include "common/window_messages.h"
#include "tools/vgpop/popup_requests.h"

namespace {

const char kClassName[] = "VgPopupWindow";
const char kTitle[] = "KORVA Vigil 3";
// A request taken from a hand-off is answered after the sender has its answer.
constexpr UINT kRequestMessage = WM_APP + 1;
// How often the program looks whether its printer's monitor is still there.
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchMs = 1000;
// The view types of PrStartView.
constexpr int kPopupStart = 1;
constexpr int kDetailStart = 2;
// A program that stops answering must not hold up the one handing over to it.
constexpr UINT kHandOffTimeoutMs = 10000;

void Record(const std::string& line) {
  char temp[MAX_PATH] = {};
  if (::GetTempPathA(MAX_PATH, temp) == 0) return;
  FILE* log = std::fopen((std::string(temp) + "VGPOP.LOG").c_str(), "a");
  if (log == nullptr) return;
  std::fprintf(log, "%lu: %s\n", static_cast<unsigned long>(::GetCurrentProcessId()), line.c_str());
  std::fclose(log);
}

class PopupProgram {
 public:
  // The printer and its installation; false (with the reason logged) when the status library
  // cannot be had.
  bool Prepare(const CVglParam& param);
  const std::string& Printer() const { return m_printer; }
  const std::string& Port() const { return m_port; }

  // Runs the status window for the action, or brings the open one forward.
  void Show(vgpop::Action action);
  bool WindowOpen() const { return m_windowOpen; }
  bool MonitorRunning() const;
  vgpop::JobMemory& Jobs() { return m_jobs; }

 private:
  std::string m_printer;
  std::string m_port;
  std::string m_driver;
  std::string m_model;
  std::string m_datFile;
  std::string m_resDll;
  ScopedModule m_library;
  PFN_PrStartView m_startView = nullptr;
  vgpop::JobMemory m_jobs;
  bool m_windowOpen = false;
};

bool PopupProgram::Prepare(const CVglParam& param) {
  m_printer = param.PrinterName;
  m_port = param.PortName;
  m_driver = param.DriverName;
  m_model = param.ModelID;
  if (m_driver.empty()) {
    Record("the spooler does not know the printer \"" + m_printer + "\"");
    return false;
  }
  char path[kInstallPathSize] = {};
  if (GetProfilePath(path, m_driver.c_str(), m_model.c_str()) == 1) m_datFile = path;
  if (GetResDllPath(path, m_driver.c_str(), m_model.c_str()) == 1) m_resDll = path;
  if (GetPrnDllPath(path, m_driver.c_str(), m_model.c_str()) != 1) {
    Record("the printer's status library is not known (driver \"" + m_driver + "\", model \"" +
           m_model + "\")");
    return false;
  }
  // Loaded once, so that a pop-up shows without waiting for the library.
  m_library.Reset(::LoadLibraryA(path));
  if (m_library.IsValid()) {
    m_startView = reinterpret_cast<PFN_PrStartView>(
        reinterpret_cast<void*>(::GetProcAddress(m_library.Get(), "PrStartView")));
  }
  if (m_startView == nullptr) {
    Record(std::string("the status library ") + path + " cannot show the status window");
    return false;
  }
  return true;
}

bool PopupProgram::MonitorRunning() const {
  const std::string name = vgnames::InstanceMappingName(m_printer, m_port);
  ScopedHandle mapping(::OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()));
  return mapping.IsValid();
}

void PopupProgram::Show(vgpop::Action action) {
  if (m_windowOpen) {
    HWND open = FindMapWindow(MapNameSet::kPrinterLibrary, m_printer.c_str(), m_port.c_str(),
                              kMapKindStatus);
    if (open != nullptr) ::SendMessageA(open, WM_USERPOPUP, 0, 0);
    Record("the status window is open: brought forward");
    return;
  }
  const bool popup = action == vgpop::Action::kShowPopup;
  Record(popup ? "opens the status window (pop-up start)"
               : "opens the status window (detail start)");
  m_windowOpen = true;
  const int result =
      m_startView(popup ? kPopupStart : kDetailStart, m_printer.c_str(), m_driver.c_str(),
                  m_port.c_str(), m_model.c_str(), m_datFile.c_str(), m_resDll.c_str());
  m_windowOpen = false;
  Record("the status window has closed (" + std::to_string(result) + ")");
}

PopupProgram g_program;
int g_pending = 0;  // requests posted and not yet answered

void EndIfDone(HWND window) {
  if (vgpop::ShouldEnd(g_program.MonitorRunning(), g_program.WindowOpen(), g_pending > 0)) {
    Record("no monitor serves the printer and no window is open: done");
    ::DestroyWindow(window);
  }
}

// A block as the log shows it: its code and items, each on one line whatever bytes it holds.
std::string DescribeBlock(const vgmon::ReceivedParamBlock& block) {
  std::string text = "Handed a block from the monitor";
  if (block.Code() >= 0) text += " (code " + std::to_string(block.Code()) + ")";
  for (const vgmon::ReceivedParamItem& item : block.items) {
    text += item.type == vgmon::kItemJobId ? ", job id \""
            : item.type == vgmon::kItemKvm ? ", KVM \""
                                           : ", item \"";
    for (char c : item.text) text += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
    text += "\"";
  }
  return text;
}

void Request(HWND window, vgpop::Action action) {
  ++g_pending;
  ::PostMessageA(window, kRequestMessage, static_cast<WPARAM>(action), 0);
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data == nullptr || data->lpData == nullptr) {
        Record("Refused a WM_COPYDATA message without data");
        return FALSE;
      }
      // Any program can send this: a block that is not the monitor's leaves a trace and no
      // effect.
      const vgmon::ReceivedParamBlock block =
          vgmon::ParseParamBlock(static_cast<const uint8_t*>(data->lpData), data->cbData);
      if (!block.ok) {
        Record("Refused a block of " + std::to_string(data->cbData) +
               " bytes that is not a ParamBlock: " + block.error);
        return FALSE;
      }
      Record(DescribeBlock(block));
      const std::string job(block.ItemText(vgmon::kItemJobId).value_or(std::string_view()));
      const int code = block.Code();
      const vgpop::Action action =
          g_program.Jobs().ActionOfBlock(code < 0 ? 0 : static_cast<uint8_t>(code), job);
      if (action == vgpop::Action::kBackground) {
        Record("a further job: waits for its pop-up requests");
      } else if (action == vgpop::Action::kShowPopup) {
        Record("a pop-up request");
        Request(window, action);
      } else {
        Record("not a request of the monitor: ignored");
      }
      return TRUE;
    }
    case kRequestMessage:
      --g_pending;
      g_program.Show(static_cast<vgpop::Action>(wParam));
      EndIfDone(window);
      return 0;
    case WM_TIMER:
      if (wParam == kWatchTimer) EndIfDone(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return vg::Guarded("vgpop WindowProc", LRESULT{0},
                     [&] { return HandleMessage(window, message, wParam, lParam); });
}

// The printer named with /VIEW, or "".
std::string ViewPrinterOf(const char* commandLine) {
  CCmdLine line;
  line.SetText(commandLine);
  char name[kParamTextSize];
  char value[kParamTextSize];
  std::string printer;
  for (int i = 0; line.GetArg(i, name, value) != -1; ++i) {
    if (vgpop::IsViewOption(name)) printer = value;
  }
  return printer;
}

// Hands the start over to the program already serving the printer, as the monitor would.
void HandOver(HWND other, const CVglParam& param, HWND from) {
  std::vector<uint8_t> block =
      vgmon::BuildMonitorParamBlock(vgmon::kCodeToPopup, param.JobID, param.KVM);
  COPYDATASTRUCT data = {};
  data.cbData = static_cast<DWORD>(block.size());
  data.lpData = block.data();
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutA(other, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                        reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kHandOffTimeoutMs,
                        &answer);
}

int Run(HINSTANCE instance, const char* commandLine) {
  Record(std::string("started with: ") + commandLine);
  CVglParam param(commandLine);
  const std::string viewPrinter = ViewPrinterOf(commandLine);
  if (!viewPrinter.empty()) {
    CopyParamText(param.PrinterName, viewPrinter);
    param.FillFromSpooler();
    param.FillModelID();
  }
  if (param.PrinterName[0] == '\0' && param.PortName[0] == '\0') {
    Record("no printer named; nothing to show");
    ::MessageBoxA(nullptr,
                  "Shows the status window of a printer:\n\n    vgpop.exe /VIEW \"printer name\"",
                  kTitle, MB_OK | MB_ICONINFORMATION);
    return 2;
  }
  if (!g_program.Prepare(param)) {
    if (!viewPrinter.empty()) {
      ::MessageBoxA(nullptr,
                    ("The status of \"" + viewPrinter +
                     "\" cannot be shown: the printer or its status library is not installed.")
                        .c_str(),
                    kTitle, MB_OK | MB_ICONEXCLAMATION);
    }
    return 1;
  }

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  ::RegisterClassA(&windowClass);
  // Never shown: it takes the monitor's requests and the watch timer.
  ScopedWindow window(
      ::CreateWindowExA(0, kClassName, (std::string(kTitle) + " - " + g_program.Printer()).c_str(),
                        WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr));
  if (!window.IsValid()) return 1;

  const vgpop::Action start = vgpop::ActionOfStart(viewPrinter, param.JobID);
  g_program.Jobs().Note(param.JobID);

  // One program serves a printer: another one already registered gets this start.
  HWND other = nullptr;
  ScopedHandle table;
  const int registered =
      RegisterMapWindow(MapNameSet::kMonitor, g_program.Printer().c_str(), g_program.Port().c_str(),
                        kMapKindStatus, window.Get(), &other, &table);
  if (registered == kMapWindowOpen && other != nullptr) {
    if (start == vgpop::Action::kShowDetail) {
      // The user's window runs here; the other program keeps the monitor's requests.
      g_program.Show(start);
    } else {
      Record("another pop-up program serves this printer: handed over to it");
      HandOver(other, param, window.Get());
    }
    return 0;
  }

  if (start == vgpop::Action::kBackground) {
    Record(std::string("waits in the background for job ") + param.JobID);
  } else {
    Request(window.Get(), start);
  }
  ::SetTimer(window.Get(), kWatchTimer, kWatchMs, nullptr);

  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  (void)window.Take();  // destroyed by its own message
  if (table.IsValid()) {
    UnregisterMapWindow(MapNameSet::kMonitor, table.Get(), g_program.Printer().c_str(),
                        g_program.Port().c_str(), kMapKindStatus,
                        g_program.Printer().empty() ? 1 : 0);
  }
  Record("ended");
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  return vg::Guarded("vgpop", 1, [&] { return Run(instance, commandLine); });
}
