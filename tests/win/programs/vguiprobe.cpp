// Test helper: the dialogs in a process of its own, so that a test can choose the Windows
// version that Wine reports to it.
//   vguiprobe theme          prints "loaded=N result=R" of the visual-styles binding
//   vguiprobe about RESDLL   shows the about box, closes it with OK once it is shown, and
//                            exits with its result (-1 when it could not be shown)
#include <cstdio>
#include <cstring>

#include "common/win.h"
#include "printer/vgprn_app_win.h"
#include "ui/about_box_win.h"
#include "ui/win_theme_ctrl_win.h"

CVG_PxxxxApp& TheApp() {
  static CVG_PxxxxApp app;
  return app;
}

namespace {

// Presses OK of the about box once it stands on the screen.
class SelfClosingAbout : public CAboutBox {
 public:
  SelfClosingAbout() : CAboutBox(nullptr) {}
  int OnInitDialog() override {
    const int result = CAboutBox::OnInitDialog();
    ::PostMessageA(GetSafeHwnd(), WM_COMMAND, IDOK, 0);
    return result;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "theme") == 0) {
    CWinThemeCtrl theme;
    HWND window = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr);
    const HRESULT result = theme.EnableThemeDialogTexture(window, kThemeDialogTextureEnableTab);
    std::printf("loaded=%d result=%ld\n", theme.IsLoaded() ? 1 : 0, static_cast<long>(result));
    ::DestroyWindow(window);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "about") == 0) {
    HMODULE resources = ::LoadLibraryA(argv[2]);
    if (resources == nullptr) return 3;
    TheApp().SetResourceModule(resources);
    SelfClosingAbout about;
    const int result = about.DoModal();
    TheApp().SetResourceModule(nullptr);
    ::FreeLibrary(resources);
    std::printf("about=%d\n", result);
    return result;
  }
  return 2;
}
