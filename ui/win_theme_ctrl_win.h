#pragma once
// CWinThemeCtrl: the visual-styles library bound at run time, so that dialogs get the
// themed background on systems that have it (Windows XP and later) and nothing fails on
// the others. Every function is looked up by name when it is called; a missing one counts
// as an unthemed system.
#include "common/unique_handle.h"
#include "common/win.h"

// EnableThemeDialogTexture flags: a themed background that suits a tab page.
constexpr DWORD kThemeDialogTextureEnableTab = 0x00000006;  // ETDT_ENABLETAB

class CWinThemeCtrl {
 public:
  CWinThemeCtrl();
  virtual ~CWinThemeCtrl();
  CWinThemeCtrl(const CWinThemeCtrl&) = delete;
  CWinThemeCtrl& operator=(const CWinThemeCtrl&) = delete;

  // Gives the dialog the themed background when the library is loaded, the dialog's
  // texture may be enabled and a theme is active; else does nothing and returns 1
  // (S_FALSE, as the library does when there is nothing to do).
  HRESULT EnableThemeDialogTexture(HWND hwnd, DWORD flags);

  bool IsLoaded() const { return m_hModule.IsValid(); }

 private:
  ScopedModule m_hModule;
  // An open theme, closed with the object through the library (so no owner of its own).
  HANDLE m_hTheme = nullptr;
};
