#pragma once
// CStatusView: the status window's one view. It owns the controls of the status window's
// template and paints a decoded status into them: the printer picture in its category's
// colour with a blinking overlay, the status icon (which may blink), the status line, the
// message in a larger font, and the help button with its note when the status carries help.
#include <string>

#include "common/unique_handle.h"
#include "ui/bmp256_ctrl_win.h"
#include "ui/icon_ctrl_win.h"
#include "ui/view_base_win.h"

class CStatusView : public CViewBase {
 public:
  CStatusView();
  ~CStatusView() override;

  // Takes over the template's controls, hands the picture control the model's three picture
  // files from the status-table file, and makes the message font. 1 when done.
  int Init(HWND dialog, HMODULE resourceModule, const ViewProfile& profile) override;
  void Stop() override;
  int Enable(int flag) override;
  int Show(int flag) override;
  void GetSize(int* width, int* height) const override;
  void Move(int x, int y) override;
  void SetViewStatus(const CPrinterStatus* status) override;

  bool HelpAvailable() const { return m_bHelpAvailable; }
  DWORD CurrentIcon() const { return m_nCurrentIcon; }
  int CurrentOverlay() const { return m_nCurrentOverlay; }
  const std::string& StatusLine() const { return m_szStatusLine; }
  const CBMP256Ctrl& Picture() const { return m_cPicture; }
  const CIconCtrl& Icon() const { return m_cIcon; }
  HFONT MessageFont() const { return m_messageFont.Get(); }
  // The status line's rectangle now and as the template placed it (client coordinates).
  const RECT& StatusLineRect() const { return m_rcStatusLine; }
  const RECT& TemplateStatusLineRect() const { return m_rcStatusLineTemplate; }

 private:
  void ApplyItems(bool show, int flag);
  void MakeMessageFont();

  // The template's controls, owned by the dialog.
  CBMP256Ctrl m_cPicture;
  HWND m_hStatusLine = nullptr;
  CIconCtrl m_cIcon;
  HWND m_hMessage = nullptr;
  HWND m_hHelpNote = nullptr;
  HWND m_hHelp = nullptr;
  std::string m_szStatusLine;
  bool m_bHelpAvailable = false;
  RECT m_rcStatusLine = {};
  RECT m_rcStatusLineTemplate = {};
  ScopedFont m_messageFont;
  DWORD m_nCurrentIcon = 0;
  int m_nCurrentOverlay = 0;
};
