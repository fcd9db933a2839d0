// vgshot: opens one window of the system in one of its typical states on an installed
// model, tells when it stands on the screen, and closes it when told. ./run screenshots
// runs it once per line of tools/screenshot/shots.list and takes the picture in between.
//
//   vgshot WINDOW STATE SIGNAL_FOLDER DRIVER
//
// When the window is ready, SIGNAL_FOLDER\ready.txt receives "left top width height" of
// the window on the screen; the window closes once SIGNAL_FOLDER\done.txt exists. Exit
// code 0, or 2 for an unknown window or state, 3 when the model or window cannot be opened.
// A new window gets a function below and a line in kWindows.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/exception_guard_win.h"
#include "common/install_profile_win.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/spooler_printer_win.h"
#include "common/unique_handle.h"
#include "common/vgprn_exports.h"
#include "common/win.h"
#include "printer/profile_info.h"
#include "printer/status_info_win.h"
#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"
#include "tools/qvsim/qvsim_control_win.h"
#include "tools/screenshot/vgshot_ids.h"
#include "ui/dialog_box_win.h"
#include "ui/driver_key_path.h"
#include "ui/image_list_win.h"
#include "ui/mon_icon_list_ctrl_win.h"
#include "ui/ntfy_list_ctrl_win.h"
#include "ui/trouble_resource.h"
#include "ui/trouble_win.h"
#include "ui/wait_dlg_win.h"
#include "ui/start_preference_win.h"
#include "common/target_keys_win.h"
#include "common/unique_handle.h"

CVG_PxxxxApp& TheApp() {
  static CVG_PxxxxApp app;
  return app;
}

namespace {

constexpr DWORD kWaitMs = 30000;
// The status window's system menu item that opens the about box.
constexpr WPARAM kAboutCommand = 0x390;

struct Model {
  std::string driver;
  std::string model;
  std::string profile;
  std::string resourceLibrary;
};

bool WaitFor(const std::function<bool()>& condition) {
  const DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start > kWaitMs) return false;
    ::Sleep(10);
  }
  return true;
}

BOOL CALLBACK FindUnpainted(HWND window, LPARAM found) {
  if (!::IsWindowVisible(window) || !::GetUpdateRect(window, nullptr, FALSE)) return TRUE;
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

// True once the window and every child have painted what they were asked to.
bool Painted(HWND window) {
  if (::GetUpdateRect(window, nullptr, FALSE)) return false;
  bool unpainted = false;
  ::EnumChildWindows(window, &FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
  return !unpainted;
}

BOOL CALLBACK FindVisible(HWND window, LPARAM found) {
  if (!::IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Tells the script where the picture stands: "left top width height" in ready.txt.
bool WriteReady(const std::string& folder, const RECT& rect) {
  const std::string ready = folder + "\\ready.txt";
  const std::string partial = ready + ".part";
  FILE* file = std::fopen(partial.c_str(), "w");
  if (file == nullptr) return false;
  std::fprintf(file, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top);
  std::fclose(file);
  return ::MoveFileA(partial.c_str(), ready.c_str()) != FALSE;
}

// Watches the window that the main thread opens: once it shows, `prepare` puts it into its
// state, the ready file says where it is, and the done file closes it. When `prepare` opens
// another window from it for the picture, it names that one in *pictured, which is then
// pictured and closed first.
class Watcher {
 public:
  // pictured names a window that prepare opens from the window for the picture; area gives
  // the screen rectangle of the picture instead (the pictured window's own when not given);
  // finish undoes what prepare opened over the window before it closes.
  Watcher(std::string signalFolder, std::function<bool(HWND)> prepare, HWND* pictured = nullptr,
          std::function<RECT(HWND)> area = nullptr, std::function<void(HWND)> finish = nullptr)
      : folder_(std::move(signalFolder)),
        prepare_(std::move(prepare)),
        pictured_(pictured),
        area_(std::move(area)),
        finish_(std::move(finish)),
        uiThread_(::GetCurrentThreadId()),
        thread_([this] { vg::Guarded("vgshot watcher", [this] { Run(); }); }) {}
  ~Watcher() { thread_.join(); }
  bool Succeeded() const { return ok_; }

 private:
  void Run() {
    HWND window = nullptr;
    if (!WaitFor([&] {
          ::EnumThreadWindows(uiThread_, &FindVisible, reinterpret_cast<LPARAM>(&window));
          return window != nullptr;
        })) {
      return;
    }
    const bool prepared = prepare_(window);
    HWND shot = pictured_ != nullptr && *pictured_ != nullptr ? *pictured_ : window;
    if (prepared && WaitFor([&] { return Painted(shot); })) {
      RECT rect = {};
      ::GetWindowRect(shot, &rect);
      if (area_) rect = area_(window);
      ok_ = WriteReady(folder_, rect);
      const std::string done = folder_ + "\\done.txt";
      WaitFor([&] { return ::GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
    }
    if (finish_) finish_(window);
    if (shot != window) ::PostMessageA(shot, WM_CLOSE, 0, 0);
    ::PostMessageA(window, WM_CLOSE, 0, 0);
  }

  std::string folder_;
  std::function<bool(HWND)> prepare_;
  HWND* pictured_;
  std::function<RECT(HWND)> area_;
  std::function<void(HWND)> finish_;
  DWORD uiThread_;
  bool ok_ = false;
  std::thread thread_;
};

// The trouble dialog of a paper-out status, on page N ("pageN"), optionally at frame F of
// its picture ("pageN.F").
int ShowTrouble(const Model& model, const std::string& state, const std::string& folder) {
  int page = 0;
  int frame = -1;
  if (std::sscanf(state.c_str(), "page%d.%d", &page, &frame) < 1 || page < 1) return 2;

  CStatusInfo info(model.profile.c_str());
  info.SetDriverName(model.driver.c_str());
  info.SetDatFile(model.profile.c_str());
  info.SetResourceModule(TheApp().ResourceModule());
  const char reply[] = "@BDC ST\r\nST:00;ER:06;\f";
  CPrinterStatus* status = info.CreateStatusObject(0x10000005, reply, sizeof reply - 1, 0, 0);
  HRSRC resource = status != nullptr && status->GetHelpType() == kHelpResource
                       ? status->GetHelpResource()
                       : nullptr;
  info.ReleaseStatusObject(status);
  if (resource == nullptr) return 3;
  vgui::TroubleResource pages;
  HMODULE module = TheApp().ResourceModule();
  if (!vgui::ParseTroubleResource(::LockResource(::LoadResource(module, resource)),
                                  ::SizeofResource(module, resource), &pages) ||
      page > static_cast<int>(pages.pages.size())) {
    return 2;
  }

  CTrouble trouble;
  Watcher watcher(folder, [&](HWND window) {
    for (int next = 1; next < page; ++next) {
      ::PostMessageA(window, WM_COMMAND, IDC_TROUBLE_NEXT, 0);
      if (!WaitFor([&] { return trouble.CurrentPage() == next; })) return false;
    }
    ::SendMessageA(window, WM_NULL, 0, 0);
    if (frame >= 0) {
      // Right after the frame appears: the next one is half a second away.
      const int wanted = pages.pages[page - 1].firstBitmapId + frame;
      return WaitFor([&] { return trouble.Picture().CurrentPicture() == wanted; });
    }
    return true;
  });
  trouble.DoModal(resource);
  return watcher.Succeeded() ? 0 : 3;
}

// The printer of the spooler that uses the driver ("" when none does).
std::string PrinterOfDriver(const std::string& driver) {
  DWORD needed = 0;
  DWORD count = 0;
  ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::string buffer(needed, '\0');
  if (needed == 0 ||
      !::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, reinterpret_cast<BYTE*>(&buffer[0]), needed,
                       &needed, &count)) {
    return "";
  }
  const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (printers[i].pDriverName != nullptr && driver == printers[i].pDriverName &&
        printers[i].pPrinterName != nullptr) {
      return printers[i].pPrinterName;
    }
  }
  return "";
}

// The simulated printer's commands, as qvsimctl takes them.
bool Simulate(const std::vector<std::string>& command) {
  const qvsim::LineSink quiet = [](const std::string&) {};
  return qvsim::ControlMain(command, quiet, quiet) == qvsim::kExitOk;
}

// A status of the simulated printer, and the title the window shows for it.
struct PrinterState {
  const char* name;
  const char* reply;      // the standing reply; null for a printer that does not answer
  const char* statusKey;  // the model's status line of the state; null: the string below
  UINT messageId;
};

const PrinterState kStates[] = {
    {"ready", "@BDC ST\\r\\nST:04;\\f", nullptr, IDS_STATUS_READY},
    {"printing", "@BDC ST\\r\\nST:03;\\f", nullptr, IDS_STATUS_BUSY},
    {"paper-out", "@BDC ST\\r\\nST:00;ER:06;\\f", "STATUS03", 0},
    {"ink-low", "@BDC ST\\r\\nST:04;WR:10;\\f", "STATUS01", 0},
    {"comm-error", nullptr, nullptr, IDS_STATUS_COMM_ERROR},
};

// The title of one of the model's status lines, in the user's language section.
std::string StatusLineTitle(const Model& model, const char* key) {
  char value[kProfileTextSize] = {};
  if (GetLangProfileString(key, value, sizeof value, model.profile.c_str()) != 0) return "";
  CProfileInfo line;
  line.ParseLine(std::string(key) + "=" + value);
  ProfileLine parsed;
  return line.First(&parsed) == 1 ? parsed.text1 : "";
}

// The icon control's own procedure, while a picture is taken: its blinking holds still.
WNDPROC g_iconProc = nullptr;
LRESULT CALLBACK HoldStill(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) return 0;
  return ::CallWindowProcA(g_iconProc, window, message, wParam, lParam);
}

HICON ShownIcon(HWND window) {
  return reinterpret_cast<HICON>(::SendDlgItemMessageA(window, IDC_STATUS_ICON, STM_GETICON, 0, 0));
}

// Holds a blinking status icon still while it shows the status's own icon, not the blink
// icon it alternates with.
bool HoldIconStill(HWND window) {
  HWND icon = ::GetDlgItem(window, IDC_STATUS_ICON);
  const HICON blink = ::LoadIconA(TheApp().ResourceModule(), MAKEINTRESOURCEA(765));
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (!WaitFor([&] { return ShownIcon(window) != blink; })) return false;
    g_iconProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(icon, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HoldStill)));
    if (ShownIcon(window) != blink) return true;
    // It turned just now: let it go on and catch it again.
    ::SetWindowLongPtrA(icon, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_iconProc));
  }
  return false;
}

std::string TextOf(HWND window, int item) {
  char text[1024] = {};
  ::GetDlgItemTextA(window, item, text, sizeof text);
  return text;
}

// The status window of the installed printer library, as the pop-up program runs it (a
// detail start through PrStartView); `prepare` as for the Watcher. 0, or 3 when the library or
// the window cannot be had.
int RunStatusWindow(const Model& model, const std::string& printer, const std::string& folder,
                    std::function<bool(HWND)> prepare, HWND* pictured = nullptr) {
  char path[kInstallPathSize] = {};
  if (GetPrnDllPath(path, model.driver.c_str(), model.model.c_str()) != 1) return 3;
  ScopedModule library(::LoadLibraryA(path));
  const auto startView = library.IsValid()
                             ? reinterpret_cast<PFN_PrStartView>(reinterpret_cast<void*>(
                                   ::GetProcAddress(library.Get(), "PrStartView")))
                             : nullptr;
  if (startView == nullptr) return 3;
  char profile[kInstallPathSize] = {};
  char resources[kInstallPathSize] = {};
  GetProfilePath(profile, model.driver.c_str(), model.model.c_str());
  GetResDllPath(resources, model.driver.c_str(), model.model.c_str());
  Watcher watcher(folder, std::move(prepare), pictured);
  startView(2, printer.c_str(), model.driver.c_str(), "LPT1:", model.model.c_str(), profile,
            resources);
  return watcher.Succeeded() ? 0 : 3;
}

// The status window as a user opens it (a detail start through PrStartView), once it shows
// the simulated printer in the state: "ready", "printing", "paper-out", "ink-low" or
// "comm-error".
int ShowStatus(const Model& model, const std::string& state, const std::string& folder) {
  const PrinterState* chosen = nullptr;
  for (const PrinterState& candidate : kStates) {
    if (state == candidate.name) chosen = &candidate;
  }
  if (chosen == nullptr) return 2;
  const std::string printer = PrinterOfDriver(model.driver);
  if (printer.empty()) return 3;
  if (!Simulate({"reset", printer}) ||
      !Simulate({"deviceid", printer, "MFG:KORVA;MDL:" + model.model + ";CMD:ESCP;"}) ||
      !Simulate({"channels", printer, "0x10000005:0x0004,0x10010003:0"}) ||
      !Simulate({"reply", printer, chosen->reply != nullptr ? chosen->reply : ""}) ||
      (chosen->reply == nullptr && !Simulate({"fail", printer, "QVGetStatus", "-9"}))) {
    return 3;
  }
  std::string message =
      chosen->statusKey != nullptr ? StatusLineTitle(model, chosen->statusKey) : "";
  if (chosen->statusKey == nullptr) {
    char text[256] = {};
    ::LoadStringA(TheApp().ResourceModule(), chosen->messageId, text, sizeof text);
    message = text;
  }

  const int result = RunStatusWindow(model, printer, folder, [&](HWND window) {
    return WaitFor([&] { return TextOf(window, IDC_STATUS_MESSAGE) == message; }) &&
           HoldIconStill(window);
  });
  Simulate({"reset", printer});
  return result;
}

BOOL CALLBACK FindOtherVisible(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<HWND*>(param);
  if (window == *found || !::IsWindowVisible(window)) return TRUE;
  *found = window;
  return FALSE;
}

// The about box as a user opens it: from the status window's system menu.
int ShowAbout(const Model& model, const std::string& state, const std::string& folder) {
  if (state != "-") return 2;
  const std::string printer = PrinterOfDriver(model.driver);
  if (printer.empty() || !Simulate({"reset", printer}) ||
      !Simulate({"deviceid", printer, "MFG:KORVA;MDL:" + model.model + ";CMD:ESCP;"}) ||
      !Simulate({"channels", printer, "0x10000005:0x0004,0x10010003:0"}) ||
      !Simulate({"reply", printer, "@BDC ST\\r\\nST:04;\\f"})) {
    return 3;
  }
  HWND about = nullptr;
  const int result = RunStatusWindow(
      model, printer, folder,
      [&](HWND window) {
        ::PostMessageA(window, WM_SYSCOMMAND, kAboutCommand, 0);
        const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
        return WaitFor([&] {
          HWND found = window;
          ::EnumThreadWindows(thread, &FindOtherVisible, reinterpret_cast<LPARAM>(&found));
          about = found != window ? found : nullptr;
          return about != nullptr;
        });
      },
      &about);
  Simulate({"reset", printer});
  return result;
}

// The wait dialog of the agent settings. It closes by itself after ten seconds; here it
// stays until the picture is taken.
class ShotWait : public CWaitDlg {
 public:
  explicit ShotWait(const std::string& library) : CWaitDlg(library.c_str(), nullptr) {}
  int OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER) return 1;
    return CWaitDlg::OnMessage(hwnd, message, wParam, lParam);
  }
};

int ShowWait(const Model& model, const std::string& state, const std::string& folder) {
  if (state != "-") return 2;
  ShotWait wait(model.resourceLibrary);
  Watcher watcher(folder, [](HWND) { return true; });
  wait.DoModal(1);
  return watcher.Succeeded() ? 0 : 3;
}

// The preferences' two lists on their own: the notification items of the resource library
// (the first one on) and the tray icons, "on" with the second icon chosen and the list
// focused, or "off".
class ShotLists : public CDialogBox {
 public:
  explicit ShotLists(bool trayOn) : CDialogBox(IDD_SHOT_LISTS, nullptr), m_bTrayOn(trayOn) {
    SetResourceModule(::GetModuleHandleA(nullptr));
  }
  int OnMessage(HWND hwnd, UINT message, WPARAM, LPARAM lParam) override {
    switch (message) {
      case WM_INITDIALOG:
        return OnInitDialog(hwnd);
      case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_NOTIFY_LIST && header->code == NM_CLICK) m_cNotify.OnClick();
        if (header->idFrom == IDC_TRAY_ICON_LIST) m_cIcons.OnNotify(header);
        return 0;
      }
      case WM_CLOSE:
        End(2);
        return 1;
      default:
        return 0;
    }
  }

 private:
  int OnInitDialog(HWND hwnd) {
    HMODULE resources = TheApp().ResourceModule();
    m_cNotify.Prepare(::GetDlgItem(hwnd, IDC_NOTIFY_LIST), resources);
    char text[32] = {};
    ::LoadStringA(resources, IDS_NOTIFY_ITEM_COUNT, text, sizeof text);
    const int count = std::atoi(text);
    const int numbers[] = {12, 11};
    for (int i = 0; i < count; ++i) {
      char label[260] = {};
      ::LoadStringA(resources, IDS_NOTIFY_ITEM_ATTENTION + i, label, sizeof label);
      m_cNotify.Add(label, i == 0 ? 1 : 0, i < 2 ? numbers[i] : 0);
    }
    m_cNotify.LayOut();
    HWND icons = ::GetDlgItem(hwnd, IDC_TRAY_ICON_LIST);
    m_cIcons.Attach(icons);
    m_cIcons.SetEnabled(m_bTrayOn);
    m_cIcons.SetSelectedIndex(1);
    m_cIcons.Fill(resources);
    ::ShowWindow(hwnd, SW_SHOW);
    if (!m_bTrayOn) return 1;
    ::SetFocus(icons);
    return 0;
  }

  bool m_bTrayOn;
  CNtfyListCtrl m_cNotify;
  CMonIconListCtrl m_cIcons;
};

int ShowLists(const Model&, const std::string& state, const std::string& folder) {
  if (state != "tray-on" && state != "tray-off") return 2;
  ShotLists lists(state == "tray-on");
  Watcher watcher(folder, [](HWND) { return true; });
  lists.DoModal();
  return watcher.Succeeded() ? 0 : 3;
}

// The visible top-level window of a class in this process (any process when `own` is false),
// or null.
HWND VisibleWindowOf(const char* className, bool own = true) {
  for (HWND w = ::FindWindowExA(nullptr, nullptr, className, nullptr); w != nullptr;
       w = ::FindWindowExA(nullptr, w, className, nullptr)) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(w, &process);
    RECT rect = {};
    ::GetWindowRect(w, &rect);
    if ((!own || process == ::GetCurrentProcessId()) && ::IsWindowVisible(w) &&
        rect.right > rect.left) {
      return w;
    }
  }
  return nullptr;
}

RECT Union(HWND first, HWND second) {
  RECT a = {};
  RECT b = {};
  ::GetWindowRect(first, &a);
  if (second == nullptr || !::GetWindowRect(second, &b)) return a;
  RECT both = {};
  ::UnionRect(&both, &a, &b);
  return both;
}

struct PrinterOfModel {
  std::string name;
  std::string port;
};

// The spooler's printer that uses the driver.
PrinterOfModel FindPrinterOf(const std::string& driver) {
  PrinterOfModel found;
  found.name = PrinterOfDriver(driver);
  if (found.name.empty()) return found;
  const SpoolerPrinter printer(found.name.c_str());
  found.port = printer.PortName();
  return found;
}

// The agent check box, whose help the help window shows.
HELPINFO HelpOfAgentBox(HWND dialog) {
  HWND item = ::GetDlgItem(dialog, IDC_AGENT_ALLOW);
  RECT rect = {};
  ::GetWindowRect(item, &rect);
  HELPINFO info = {};
  info.cbSize = sizeof info;
  info.iContextType = HELPINFO_WINDOW;
  info.iCtrlId = IDC_AGENT_ALLOW;
  info.hItemHandle = item;
  // A little into the box's text, where a user points at it.
  info.MousePos = POINT{rect.left + 60, (rect.top + rect.bottom) / 2};
  return info;
}

// A window as it draws itself (WM_PRINT) to overlay.bmp in the signal folder, with its screen
// place in overlay.txt ("left top"): the script lays it over the picture. Wine's virtual
// desktop, without a window manager, may stack a pop-up menu under its dialog or not show it.
bool WriteOverlay(const std::string& folder, HWND window) {
  RECT rect = {};
  if (!::GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = ::GetDC(nullptr);
  ScopedCreatedDC memory(::CreateCompatibleDC(screen));
  ScopedBitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
  ::ReleaseDC(nullptr, screen);
  if (!memory.IsValid() || !bitmap.IsValid()) return false;
  HGDIOBJ old = ::SelectObject(memory.Get(), bitmap.Get());
  const bool printed = ::PrintWindow(window, memory.Get(), 0) != FALSE;
  ::SelectObject(memory.Get(), old);
  if (!printed) return false;

  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<BYTE> bits(static_cast<size_t>(stride) * height);
  if (::GetDIBits(memory.Get(), bitmap.Get(), 0, height, bits.data(),
                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != height) {
    return false;
  }
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(bits.size());
  FILE* out = std::fopen((folder + "\\overlay.bmp").c_str(), "wb");
  if (out == nullptr) return false;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info, sizeof info, 1, out);
  std::fwrite(bits.data(), 1, bits.size(), out);
  std::fclose(out);
  FILE* place = std::fopen((folder + "\\overlay.txt").c_str(), "w");
  if (place == nullptr) return false;
  std::fprintf(place, "%ld %ld\n", rect.left, rect.top);
  std::fclose(place);
  return true;
}

// The printer's preferences through the library's entry: "buzzer" with the model's resource
// library, "no-buzzer" with the same library without its buzzer sound (vgresnobuzzer.dll beside
// vgshot), "menu" with the context menu of the agent box open, "help" with the agent box's
// topic shown.
int ShowPreferences(const Model& model, const std::string& state, const std::string& folder) {
  if (state != "buzzer" && state != "no-buzzer" && state != "menu" && state != "help") return 2;
  const PrinterOfModel printer = FindPrinterOf(model.driver);
  if (printer.name.empty()) return 3;
  std::string resources = model.resourceLibrary;
  if (state == "no-buzzer") {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, sizeof self);
    resources = std::string(self);
    resources = resources.substr(0, resources.find_last_of('\\') + 1) + "vgresnobuzzer.dll";
  }
  std::function<bool(HWND)> prepare = [](HWND) { return true; };
  std::function<RECT(HWND)> area;
  std::function<void(HWND)> finish;
  if (state == "menu") {
    prepare = [folder](HWND dialog) {
      const HELPINFO info = HelpOfAgentBox(dialog);
      // The menu opens where the system's pointer is, which follows a move a moment later:
      // a menu that opened elsewhere is dismissed and opened again.
      for (int attempt = 0; attempt < 10; ++attempt) {
        ::SetCursorPos(info.MousePos.x, info.MousePos.y);
        // Posted: the menu runs its own loop on the dialog's thread until it is dismissed.
        ::PostMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(info.hItemHandle),
                       MAKELPARAM(info.MousePos.x, info.MousePos.y));
        HWND menu = nullptr;
        if (!WaitFor([&] { return (menu = VisibleWindowOf("#32768")) != nullptr; })) return false;
        RECT rect = {};
        ::GetWindowRect(menu, &rect);
        if (rect.left == info.MousePos.x && rect.top == info.MousePos.y) {
          return WaitFor([&] { return Painted(menu); }) && WriteOverlay(folder, menu);
        }
        ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        if (!WaitFor([] { return VisibleWindowOf("#32768") == nullptr; })) return false;
      }
      return false;
    };
    area = [](HWND dialog) { return Union(dialog, VisibleWindowOf("#32768")); };
    finish = [](HWND) {
      if (HWND menu = VisibleWindowOf("#32768")) ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
      WaitFor([] { return VisibleWindowOf("#32768") == nullptr; });
    };
  }
  if (state == "help") {
    prepare = [](HWND dialog) {
      HELPINFO info = HelpOfAgentBox(dialog);
      ::SetCursorPos(info.MousePos.x, info.MousePos.y);
      DWORD_PTR answer = 0;
      ::SendMessageTimeoutA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info), SMTO_NORMAL,
                            kWaitMs, &answer);
      return WaitFor([] { return VisibleWindowOf("HH Parent") != nullptr; });
    };
    area = [](HWND dialog) { return Union(dialog, VisibleWindowOf("HH Parent")); };
    finish = [](HWND) {
      if (HWND help = VisibleWindowOf("HH Parent")) ::PostMessageA(help, WM_CLOSE, 0, 0);
    };
  }
  Watcher watcher(folder, prepare, nullptr, area, finish);
  RunPreferenceDialog(printer.name.c_str(), model.driver.c_str(), printer.port.c_str(),
                      model.model.c_str(), resources.c_str());
  return watcher.Succeeded() ? 0 : 3;
}

// The printer's tray icon at the end of the taskbar, pointed at (the taskbar shows its tip to a
// real pointer, which the virtual screen may not have): the installed icon program, started as
// the preferences start it, with the printer out of paper.
int ShowTray(const Model& model, const std::string& state, const std::string& folder) {
  if (state != "-") return 2;
  const PrinterOfModel printer = FindPrinterOf(model.driver);
  if (printer.name.empty()) return 3;
  CheckTargetRegKey(printer.name.c_str(), printer.port.c_str(), model.model.c_str(), nullptr,
                    nullptr);
  const char reply[] = "@BDC ST\r\nST:00;ER:06;\f";
  SetTargetStatus(printer.name.c_str(), printer.port.c_str(), reinterpret_cast<const BYTE*>(reply),
                  sizeof reply - 1, 0x10000005);
  SetComStatus(printer.name.c_str(), printer.port.c_str(), 2);
  if (!RunIconProgram(1, printer.name.c_str(), model.driver.c_str(), printer.port.c_str(),
                      model.model.c_str())) {
    return 3;
  }
  HWND tray = nullptr;
  HWND tip = nullptr;
  const bool shown =
      WaitFor([&] { return ::FindWindowA("VgIconTrayWindow", nullptr) != nullptr; }) &&
      WaitFor([&] { return (tray = VisibleWindowOf("Shell_TrayWnd", false)) != nullptr; });
  int result = 3;
  if (shown) {
    RECT bar = {};
    ::GetWindowRect(tray, &bar);
    // The newest icon stands at the right end of the bar. The pointer rests on it a moment,
    // so that the taskbar shows the icon's tip when it can.
    const POINT icon{bar.right - 10, (bar.top + bar.bottom) / 2};
    ::SetCursorPos(icon.x, icon.y);
    for (int i = 0; i < 30 && tip == nullptr; ++i) {
      ::PostMessageA(tray, WM_MOUSEMOVE, 0, MAKELPARAM(icon.x - bar.left, icon.y - bar.top));
      ::Sleep(100);
      tip = VisibleWindowOf("tooltips_class32", false);
    }
    WaitFor([&] { return !::GetUpdateRect(tray, nullptr, FALSE); });
    RECT picture = bar;
    picture.left = bar.right - 240;
    picture.top = bar.top - 30;
    if (tip != nullptr) {
      RECT tipRect = {};
      ::GetWindowRect(tip, &tipRect);
      ::UnionRect(&picture, &picture, &tipRect);
    }
    if (WriteReady(folder, picture)) result = 0;
    const std::string done = folder + "\\done.txt";
    WaitFor([&] { return ::GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
  }
  RunIconProgram(0, printer.name.c_str(), model.driver.c_str(), printer.port.c_str(),
                 model.model.c_str());
  WaitFor([] { return ::FindWindowA("VgIconTrayWindow", nullptr) == nullptr; });
  return result;
}

struct ShotWindow {
  const char* name;
  int (*show)(const Model&, const std::string& state, const std::string& folder);
};

const ShotWindow kWindows[] = {
    {"about", &ShowAbout}, {"trouble", &ShowTrouble}, {"status", &ShowStatus},
    {"wait", &ShowWait},   {"lists", &ShowLists},     {"prefs", &ShowPreferences},
    {"tray", &ShowTray},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: vgshot WINDOW STATE SIGNAL_FOLDER DRIVER\n");
    return 2;
  }
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  Model model;
  model.driver = argv[4];
  const std::string keyPath = vgui::MakeDriverKeyPath(model.driver);
  vgui::SetDriverKeyPath(keyPath);
  model.model = Registry(HKEY_LOCAL_MACHINE, keyPath.c_str()).GetString(vgreg::kDriverModelId);
  char path[kInstallPathSize] = {};
  if (GetProfilePath(path, model.driver.c_str(), model.model.c_str()) != 1) return 3;
  model.profile = path;
  if (GetResDllPath(path, model.driver.c_str(), model.model.c_str()) != 1) return 3;
  model.resourceLibrary = path;
  const ScopedModule resources(::LoadLibraryA(path));
  if (!resources.IsValid()) return 3;
  TheApp().SetResourceModule(resources.Get());

  int result = 2;
  for (const ShotWindow& window : kWindows) {
    if (std::string(argv[1]) == window.name) result = window.show(model, argv[2], argv[3]);
  }
  TheApp().SetResourceModule(nullptr);
  return result;
}
