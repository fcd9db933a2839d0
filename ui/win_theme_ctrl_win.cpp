#include "ui/win_theme_ctrl_win.h"

#include "common/system_library_win.h"
#include "common/windows_version_win.h"
#include "ui/theme_rules.h"

namespace {

constexpr char kThemeLibrary[] = "UxTheme.dll";

using IsThemeDialogTextureEnabledFn = BOOL(WINAPI*)(HWND);
using IsThemeActiveFn = BOOL(WINAPI*)();
using EnableThemeDialogTextureFn = HRESULT(WINAPI*)(HWND, DWORD);
using CloseThemeDataFn = HRESULT(WINAPI*)(HANDLE);

}  // namespace

CWinThemeCtrl::CWinThemeCtrl() {
  const WindowsVersion version = GetWindowsVersion();
  if (!vgui::HasVisualStyles(version.nt, version.major, version.minor)) return;
  // Only the system folder's copy: a library of that name beside the program that loaded us
  // is not the system's.
  m_hModule.Reset(LoadSystemLibrary(kThemeLibrary));
}

CWinThemeCtrl::~CWinThemeCtrl() {
  // The theme is closed by the library, before the library goes with its owner.
  if (m_hTheme != nullptr) {
    auto closeTheme = GetProcAs<CloseThemeDataFn>(m_hModule.Get(), "CloseThemeData");
    if (closeTheme != nullptr) closeTheme(m_hTheme);
  }
}

HRESULT CWinThemeCtrl::EnableThemeDialogTexture(HWND hwnd, DWORD flags) {
  if (!m_hModule.IsValid()) return S_FALSE;
  auto textureEnabled =
      GetProcAs<IsThemeDialogTextureEnabledFn>(m_hModule.Get(), "IsThemeDialogTextureEnabled");
  if (textureEnabled == nullptr || textureEnabled(hwnd) != TRUE) return S_FALSE;
  auto themeActive = GetProcAs<IsThemeActiveFn>(m_hModule.Get(), "IsThemeActive");
  if (themeActive == nullptr || themeActive() != TRUE) return S_FALSE;
  auto enable = GetProcAs<EnableThemeDialogTextureFn>(m_hModule.Get(), "EnableThemeDialogTexture");
  if (enable == nullptr) return S_FALSE;
  return enable(hwnd, flags);
}
