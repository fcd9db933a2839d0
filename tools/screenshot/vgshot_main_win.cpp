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

#include "common/exception_guard_win.h"
#include "common/install_profile_win.h"
#include "common/registry_win.h"
#include "common/unique_handle.h"
#include "common/win.h"
#include "printer/status_info_win.h"
#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"
#include "tools/screenshot/vgshot_ids.h"
#include "ui/about_box_win.h"
#include "ui/dialog_box_win.h"
#include "ui/dialog_view_win.h"
#include "ui/driver_key_path.h"
#include "ui/image_list_win.h"
#include "ui/mon_icon_list_ctrl_win.h"
#include "ui/ntfy_list_ctrl_win.h"
#include "ui/trouble_resource.h"
#include "ui/trouble_win.h"
#include "ui/wait_dlg_win.h"

CVG_PxxxxApp& TheApp() {
  static CVG_PxxxxApp app;
  return app;
}

namespace {

constexpr DWORD kWaitMs = 30000;

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

// Watches the window that the main thread opens: once it shows, `prepare` puts it into its
// state, the ready file says where it is, and the done file closes it.
class Watcher {
 public:
  Watcher(std::string signalFolder, std::function<bool(HWND)> prepare)
      : folder_(std::move(signalFolder)),
        prepare_(std::move(prepare)),
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
    if (prepare_(window) && WaitFor([&] { return Painted(window); })) {
      RECT rect = {};
      ::GetWindowRect(window, &rect);
      const std::string ready = folder_ + "\\ready.txt";
      const std::string partial = ready + ".part";
      if (FILE* file = std::fopen(partial.c_str(), "w")) {
        std::fprintf(file, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top);
        std::fclose(file);
        ::MoveFileA(partial.c_str(), ready.c_str());
        ok_ = true;
      }
      const std::string done = folder_ + "\\done.txt";
      WaitFor([&] { return ::GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
    }
    ::PostMessageA(window, WM_CLOSE, 0, 0);
  }

  std::string folder_;
  std::function<bool(HWND)> prepare_;
  DWORD uiThread_;
  bool ok_ = false;
  std::thread thread_;
};

// The about box as the status window's system menu opens it.
int ShowAbout(const Model&, const std::string& state, const std::string& folder) {
  if (state != "-") return 2;
  CAboutBox about(nullptr);
  Watcher watcher(folder, [](HWND) { return true; });
  about.DoModal();
  return watcher.Succeeded() ? 0 : 3;
}

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
  CPrinterStatus* status =
      info.CreateStatusObject(0x10000005, reply, sizeof reply - 1, 0, 0);
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

// The status window's template with its view showing one decoded status, in the visible
// dialog type, as the status window shows it.
class StatusShot : public CDialogBox {
 public:
  StatusShot(const CPrinterStatus* status, const Model& model)
      : CDialogBox(IDD_STATUS, nullptr), status_(status), model_(model) {}

  int OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM) override {
    switch (message) {
      case WM_INITDIALOG:
        view_.Init(hwnd, TheApp().ResourceModule(), {model_.profile.c_str(), model_.model.c_str()});
        view_.SetViewStatus(status_);
        view_.ChangeDialogType(2);
        view_.Show(5);
        return 1;
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) End(1);
        return 1;
      case WM_CLOSE:
        view_.Stop();
        End(2);
        return 1;
      default:
        return 0;
    }
  }

 private:
  const CPrinterStatus* status_;
  const Model& model_;
  CDialogView view_;
};

// The status window showing the printer ready ("ready") or out of paper ("paper-out", a
// status with help).
int ShowStatus(const Model& model, const std::string& state, const std::string& folder) {
  const char* reply = nullptr;
  if (state == "ready") reply = "@BDC ST\r\nST:04;\f";
  if (state == "paper-out") reply = "@BDC ST\r\nST:00;ER:06;\f";
  if (reply == nullptr) return 2;
  TheApp().SetCurrentPrinterName(PrinterOfDriver(model.driver).c_str());
  CStatusInfo info(model.profile.c_str());
  info.SetDriverName(model.driver.c_str());
  info.SetDatFile(model.profile.c_str());
  info.SetResourceModule(TheApp().ResourceModule());
  CPrinterStatus* status =
      info.CreateStatusObject(0x10000005, reply, static_cast<int>(std::strlen(reply)), 0, 0);
  if (status == nullptr) return 3;
  int result = 3;
  {
    StatusShot shot(status, model);
    Watcher watcher(folder, [](HWND) { return true; });
    shot.DoModal();
    result = watcher.Succeeded() ? 0 : 3;
  }
  info.ReleaseStatusObject(status);
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

struct ShotWindow {
  const char* name;
  int (*show)(const Model&, const std::string& state, const std::string& folder);
};

const ShotWindow kWindows[] = {
    {"about", &ShowAbout},
    {"trouble", &ShowTrouble},
    {"status", &ShowStatus},
    {"wait", &ShowWait},
    {"lists", &ShowLists},
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
  model.model = Registry(HKEY_LOCAL_MACHINE, keyPath.c_str()).GetString("ModelID");
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
