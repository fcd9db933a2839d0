// vgpop.exe, the pop-up program: started by the monitor with a /F parameter file (or with
// length-prefixed /P, /O, /M options), it shows the printer it was handed and registers its
// window in the monitor's window table, so that later jobs for the printer reach it as
// ParamBlocks instead of new processes. Each event is also appended to VGPOP.LOG in the
// temporary folder, where the demo reads it.
//   vgpop.exe /F "VG_1234.tmp" /S            vgpop.exe /P5 "Print" /O5 "LPT1:" /M6 "VP-100" /S
#include <cstdio>
#include <cstring>
#include <string>

#include "common/exception_guard_win.h"
#include "common/map_records_win.h"
#include "common/param_block.h"
#include "common/unique_handle.h"
#include "common/vgl_param.h"
#include "common/win.h"

namespace {

const char kClassName[] = "VgPopupWindow";
// Without a user the window goes away by itself after this long.
constexpr UINT kLifetimeMs = 10 * 60 * 1000;
constexpr UINT_PTR kLifetimeTimer = 1;

struct Popup {
  std::string printer;
  std::string port;
  std::string text;
  HWND label = nullptr;
};
Popup g_popup;

void Record(const std::string& line) {
  char temp[MAX_PATH] = {};
  if (::GetTempPathA(MAX_PATH, temp) == 0) return;
  FILE* log = std::fopen((std::string(temp) + "VGPOP.LOG").c_str(), "a");
  if (log == nullptr) return;
  std::fprintf(log, "%lu: %s\n", static_cast<unsigned long>(::GetCurrentProcessId()),
               line.c_str());
  std::fclose(log);
}

void Show(const std::string& line) {
  Record(line);
  g_popup.text += line + "\r\n";
  if (g_popup.label) ::SetWindowTextA(g_popup.label, g_popup.text.c_str());
}

// A ParamBlock from the monitor: its code and the texts of its items. Anything else is
// refused with the reason, so that a stray or forged message leaves a trace and no effect.
bool DescribeBlock(const uint8_t* block, size_t size, std::string* text) {
  const vgmon::ReceivedParamBlock received = vgmon::ParseParamBlock(block, size);
  if (!received.ok) {
    *text = "Refused a block of " + std::to_string(size) + " bytes that is not a ParamBlock: " +
            received.error;
    return false;
  }
  *text = "Handed a new job from the monitor";
  if (received.Code() >= 0) *text += " (code " + std::to_string(received.Code()) + ")";
  for (const vgmon::ReceivedParamItem& item : received.items) {
    *text += item.type == vgmon::kItemJobId ? ", job id \""
             : item.type == vgmon::kItemKvm ? ", KVM \""
                                            : ", item \"";
    // Shown on one line whatever bytes the item holds.
    for (char c : item.text) *text += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
    *text += "\"";
  }
  return true;
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g_popup.label = ::CreateWindowExA(0, "STATIC", g_popup.text.c_str(), WS_CHILD | WS_VISIBLE,
                                        10, 10, 460, 200, window, nullptr, nullptr, nullptr);
      ::SetTimer(window, kLifetimeTimer, kLifetimeMs, nullptr);
      return 0;
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data == nullptr || data->lpData == nullptr) {
        Record("Refused a WM_COPYDATA message without data");
        return FALSE;
      }
      std::string text;
      const bool taken =
          DescribeBlock(static_cast<const uint8_t*>(data->lpData), data->cbData, &text);
      if (taken) {
        Show(text);
      } else {
        Record(text);
      }
      return taken ? TRUE : FALSE;
    }
    case WM_TIMER:
      if (wParam == kLifetimeTimer) ::DestroyWindow(window);
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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  CVglParam param(commandLine);
  g_popup.printer = param.PrinterName;
  g_popup.port = param.PortName;
  Record(std::string("started with: ") + commandLine);
  if (g_popup.printer.empty() && g_popup.port.empty()) {
    Record("no printer named; nothing to show");
    return 1;
  }
  std::string shown = "Showing the printer \"" + std::string(param.PrinterName) + "\" on \"" +
                      param.PortName + "\" (model " + param.ModelID + ").";
  if (param.JobID[0]) shown += " Job " + std::string(param.JobID) + ".";
  if (param.KVM[0]) shown += " KVM \"" + std::string(param.KVM) + "\".";

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  windowClass.lpszClassName = kClassName;
  ::RegisterClassA(&windowClass);
  HWND window = ::CreateWindowExA(0, kClassName, ("KORVA Vigil 3 - " + g_popup.printer).c_str(),
                                  WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 500, 260,
                                  nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;

  // One pop-up per printer: a second one hands its job to the first and leaves.
  HWND existing = nullptr;
  ScopedHandle table;
  const int registered = RegisterMapWindow(MapNameSet::kMonitor, param.PrinterName,
                                           param.PortName, kMapKindStatus, window, &existing,
                                           &table);
  if (registered == kMapWindowOpen && existing != nullptr) {
    Record("a pop-up window for this printer is open already");
    ::DestroyWindow(window);
    return 0;
  }
  Show(shown);
  ::ShowWindow(window, showCommand);
  ::UpdateWindow(window);

  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  if (table.IsValid()) {
    UnregisterMapWindow(MapNameSet::kMonitor, table.Get(), param.PrinterName, param.PortName,
                        kMapKindStatus, param.PrinterName[0] == '\0' ? 1 : 0);
  }
  Record("closed");
  return 0;
}
