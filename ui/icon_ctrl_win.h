#pragma once
// CIconCtrl: the status icon. It takes over a static icon control of a dialog and shows an
// icon of the resource library, or alternates between the icons of a list every 500 ms.
#include <vector>

#include "common/win.h"
#include "ui/picture_animation.h"
#include "ui/wnd_base_win.h"

struct IconList {
  int count;
  const DWORD* ids;
};

class CIconCtrl : public CStatic {
 public:
  CIconCtrl();
  virtual ~CIconCtrl();

  void Attach(HWND hwnd);
  // The module of the icons; null means the resource library.
  void SetModule(HMODULE module) { m_hModule = module; }
  // Shows the first icon of the list; two or more alternate, one stands still.
  void SetIcons(const IconList& list);

  UINT_PTR TimerId() const { return m_nTimerId; }
  DWORD CurrentIcon() const { return m_cCycle.Current(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnTimer(UINT_PTR id);
  bool ShowIcon(DWORD id);
  void KillIconTimer();
  void Detach();
  HMODULE Module() const;

  UINT_PTR m_nTimerId = 0;
  HMODULE m_hModule = nullptr;  // borrowed: the caller keeps it loaded
  vgui::IconCycle m_cCycle;
  WNDPROC m_pfnPrevProc = nullptr;
};
