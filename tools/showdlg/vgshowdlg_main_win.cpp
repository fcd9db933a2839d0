// vgshowdlg.exe: shows a dialog template of a resource library, for people who design the
// templates and for screenshots. With --sample it fills the template roughly as the status
// window and the preferences do (a status with help, the notification items, the tray
// icons), so that the layout can be judged with real content.
//   vgshowdlg.exe [--library FILE] [--sample] [--close-after MS] TEMPLATE
// The library defaults to vgres.dll beside the program. The window stays until it is closed
// (OK, Cancel, Escape, the Close command) or the time runs out.
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/unique_handle.h"
#include "common/win.h"
#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"
#include "ui/image_list_win.h"
#include "ui/mon_icon_list_ctrl_win.h"
#include "ui/ntfy_list_ctrl_win.h"

CVG_PxxxxApp& TheApp() {
  static CVG_PxxxxApp app;
  return app;
}

namespace {

constexpr UINT_PTR kCloseTimer = 1;
const char kPrinter[] = "VP-100";

struct Sample {
  HMODULE library = nullptr;  // borrowed: the program's entry owns it
  CNtfyListCtrl notify;
  CMonIconListCtrl icons;
  ScopedBitmap picture;
  ScopedIcon overlay;
  ScopedFont heading;
  ScopedBitmap preview;
  WNDPROC pictureProc = nullptr;
};
Sample g_sample;

std::string Text(UINT id) {
  char text[1024] = {};
  int length = ::LoadStringA(g_sample.library, id, text, sizeof text);
  return std::string(text, length > 0 ? length : 0);
}

// The printer picture with its overlay, painted as the status window's picture control does.
LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT && g_sample.picture.IsValid()) {
    const ScopedPaint paint(window);
    HDC dc = paint.Get();
    BITMAP info = {};
    ::GetObjectA(g_sample.picture.Get(), sizeof info, &info);
    ::SetWindowPos(window, nullptr, 0, 0, info.bmWidth, info.bmHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const ScopedCreatedDC memory(::CreateCompatibleDC(dc));
    {
      const ScopedSelectObject select(memory.Get(), g_sample.picture.Get());
      ::BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory.Get(), 0, 0, SRCCOPY);
    }
    if (g_sample.overlay.IsValid()) {
      ::DrawIconEx(dc, 0, 0, g_sample.overlay.Get(), 0, 0, 0, nullptr, DI_NORMAL);
    }
    return 0;
  }
  return ::CallWindowProcA(g_sample.pictureProc, window, message, wParam, lParam);
}

void SetTitle(HWND dialog, UINT titleId) {
  ::SetWindowTextA(dialog, (Text(titleId) + " : " + kPrinter).c_str());
}

void FillStatusWindow(HWND dialog) {
  SetTitle(dialog, IDS_APP_TITLE);
  HMODULE res = g_sample.library;
  g_sample.picture.Reset(static_cast<HBITMAP>(
      ::LoadImageA(res, MAKEINTRESOURCEA(IDB_PRINTER_RED), IMAGE_BITMAP, 0, 0, 0)));
  g_sample.overlay.Reset(static_cast<HICON>(
      ::LoadImageA(res, MAKEINTRESOURCEA(IDI_OVERLAY_ATTENTION), IMAGE_ICON, 75, 60, 0)));
  HWND picture = ::GetDlgItem(dialog, IDC_STATUS_PICTURE);
  g_sample.pictureProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(picture, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PictureProc)));
  ::SendDlgItemMessageA(
      dialog, IDC_STATUS_ICON, STM_SETICON,
      reinterpret_cast<WPARAM>(::LoadIconA(res, MAKEINTRESOURCEA(IDI_STATUS_PAPER_JAM))), 0);
  // The heading in 12 pt, as the view sets it.
  HWND message = ::GetDlgItem(dialog, IDC_STATUS_MESSAGE);
  LOGFONTA font = {};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(message, WM_GETFONT, 0, 0)), sizeof font,
               &font);
  {
    const ScopedWindowDC dc(message);
    font.lfHeight = -::MulDiv(12, ::GetDeviceCaps(dc.Get(), LOGPIXELSY), 72);
  }
  g_sample.heading.Reset(::CreateFontIndirectA(&font));
  ::SendMessageA(message, WM_SETFONT, reinterpret_cast<WPARAM>(g_sample.heading.Get()), FALSE);
  ::SetWindowTextA(message, Text(IDS_STATUS_PAPER_JAM).c_str());
  ::SetDlgItemTextA(dialog, IDC_STATUS_LINE, Text(IDS_STATUS_PAPER_JAM_TEXT).c_str());
  for (int id : {IDC_STATUS_HELP, IDC_STATUS_HELP_NOTE}) {
    ::ShowWindow(::GetDlgItem(dialog, id), SW_SHOW);
  }
}

void FillPreferences(HWND dialog) {
  SetTitle(dialog, IDS_PREFERENCES_TITLE);
  HMODULE res = g_sample.library;
  // The lists as the preferences fill them, through their own controls.
  g_sample.notify.Prepare(::GetDlgItem(dialog, IDC_NOTIFY_LIST), res);
  const int count = std::atoi(Text(IDS_NOTIFY_ITEM_COUNT).c_str());
  const int numbers[] = {12, 11};
  for (int i = 0; i < count; ++i) {
    g_sample.notify.Add(Text(IDS_NOTIFY_ITEM_ATTENTION + i).c_str(), i == 0 ? 1 : 0,
                        i < 2 ? numbers[i] : 0);
  }
  g_sample.notify.LayOut();
  g_sample.icons.Attach(::GetDlgItem(dialog, IDC_TRAY_ICON_LIST));
  g_sample.icons.SetEnabled(true);
  g_sample.icons.SetSelectedIndex(0);
  g_sample.icons.Fill(res);

  ::CheckDlgButton(dialog, IDC_TRAY_ENABLE, BST_CHECKED);
  for (auto [control, icon] : {std::pair<int, int>{IDC_TRAY_ICON, IDI_TRAY_SETTING},
                               std::pair<int, int>{IDC_SOUND_ICON, IDI_SOUND_SETTING}}) {
    ::SendDlgItemMessageA(dialog, control, STM_SETICON,
                          reinterpret_cast<WPARAM>(::LoadImageA(res, MAKEINTRESOURCEA(icon),
                                                                IMAGE_ICON, 16, 16, 0)),
                          0);
  }
  g_sample.preview.Reset(static_cast<HBITMAP>(
      ::LoadImageA(res, MAKEINTRESOURCEA(IDB_TRAY_PREVIEW_FIRST), IMAGE_BITMAP, 0, 0, 0)));
  ::SendDlgItemMessageA(dialog, IDC_TRAY_PREVIEW, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(g_sample.preview.Get()));
}

// The lists' notifications go to their controls, as in the preferences.
void OnNotify(const NMHDR* header) {
  if (header->idFrom == IDC_NOTIFY_LIST) {
    if (header->code == NM_CLICK) g_sample.notify.OnClick();
    if (header->code == LVN_KEYDOWN) {
      g_sample.notify.OnKeyDown(reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey);
    }
  } else if (header->idFrom == IDC_TRAY_ICON_LIST) {
    g_sample.icons.OnNotify(header);
  }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_NOTIFY:
      OnNotify(reinterpret_cast<const NMHDR*>(lParam));
      return TRUE;
    case WM_TIMER:
      if (wParam == kCloseTimer) ::DestroyWindow(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) ::DestroyWindow(dialog);
      return TRUE;
    case WM_CLOSE:
      ::DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

int Usage() {
  ::MessageBoxA(nullptr,
                "vgshowdlg.exe [--library FILE] [--sample] [--close-after MS] TEMPLATE",
                "vgshowdlg", MB_OK | MB_ICONINFORMATION);
  return 2;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::string library;
  bool sample = false;
  UINT closeAfter = 0;
  int templateId = 0;
  for (int i = 1; i < __argc; ++i) {
    const std::string arg = __argv[i];
    if (arg == "--library" && i + 1 < __argc) {
      library = __argv[++i];
    } else if (arg == "--sample") {
      sample = true;
    } else if (arg == "--close-after" && i + 1 < __argc) {
      closeAfter = static_cast<UINT>(std::strtoul(__argv[++i], nullptr, 10));
    } else if (!arg.empty() && arg[0] != '-') {
      templateId = std::atoi(arg.c_str());
    } else {
      return Usage();
    }
  }
  if (templateId <= 0) return Usage();
  if (library.empty()) {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    library = path;
    library = library.substr(0, library.find_last_of('\\') + 1) + "vgres.dll";
  }

  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  ScopedModule module(::LoadLibraryA(library.c_str()));
  if (!module.IsValid()) {
    ::MessageBoxA(nullptr, ("Cannot load " + library).c_str(), "vgshowdlg", MB_OK);
    return 1;
  }
  g_sample.library = module.Get();
  HWND dialog = ::CreateDialogParamA(module.Get(), MAKEINTRESOURCEA(templateId), nullptr,
                                     &DialogProc, 0);
  if (!dialog) {
    ::MessageBoxA(nullptr, ("No dialog template " + std::to_string(templateId)).c_str(),
                  "vgshowdlg", MB_OK);
    return 1;
  }
  if (sample) {
    if (templateId == IDD_STATUS) FillStatusWindow(dialog);
    if (templateId == IDD_PREFERENCES || templateId == IDD_PREFERENCES_BUZZER) {
      FillPreferences(dialog);
    }
    if (templateId == IDD_AGENT_WAIT) {
      SetTitle(dialog, IDS_PREFERENCES_TITLE);
      ::SetDlgItemTextA(dialog, IDC_WAIT_TEXT, Text(IDS_AGENT_WAIT).c_str());
    }
  }
  ::ShowWindow(dialog, SW_SHOW);
  if (closeAfter > 0) ::SetTimer(dialog, kCloseTimer, closeAfter, nullptr);

  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!::IsDialogMessageA(dialog, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  g_sample.heading.Close();
  g_sample.picture.Close();
  g_sample.preview.Close();
  g_sample.overlay.Close();
  return 0;
}
