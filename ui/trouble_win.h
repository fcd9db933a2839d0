#pragma once
// CTrouble: the step-by-step help dialog (template 103). It walks the user through a fix on
// the pages of a trouble resource of the resource library: a text and an animated picture
// per page, with Back, Next, OK and an extra close button as each page's flags say.
#include "common/win.h"
#include "ui/bmp256_ctrl_win.h"
#include "ui/dialog_box_win.h"
#include "ui/trouble_resource.h"

class CTrouble : public CDialogBox {
 public:
  CTrouble();
  ~CTrouble() override;

  int DoModal() override;
  // Runs the dialog on the trouble resource (of the resource library); 1 when it closes.
  virtual int DoModal(HRSRC resource);
  virtual int OnOK();
  virtual int OnInitDialog();

  int OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  void AttachControls(HWND hwnd) override;

  int CurrentPage() const { return m_nPage; }
  const CBMP256Ctrl& Picture() const { return m_cPicture; }

 private:
  void ShowPage(int index);
  // Activates the dialog and focuses its default button.
  void FocusDefaultButton();

  HRSRC m_hTrouble = nullptr;  // of the resource library: nothing to release
  vgui::TroubleResource m_stResource;
  int m_nPage = 0;
  CBMP256Ctrl m_cPicture;
};
