#pragma once
// CWaitDlg: the small dialog (template 111 of the resource library) shown while the network
// agent's setting changes. It cannot be closed by the user: it closes when the set-up program
// posts kSetupDoneMessage to it, and by itself about ten seconds after it opened. SetSAgent
// starts the bidirectional library's set-up program "qvapiset.exe", which answers this dialog
// when it shows (the preferences also call it without showing the dialog).
#include "common/unique_handle.h"
#include "ui/dialog_box_win.h"

class CWaitDlg : public CDialogBox {
 public:
  static constexpr UINT_PTR kStartTimer = 1;
  static constexpr UINT kStartMs = 100;
  static constexpr UINT_PTR kWaitTimer = 10;
  static constexpr UINT kWaitMs = 10000;

  // Loads the resource library (null or a file that does not load: no dialog is shown).
  CWaitDlg(const char* resourceLibrary, HWND parent);
  ~CWaitDlg() override;

  // Runs template 111 when the library is loaded and holds it; returns the result field,
  // which is always 0.
  int DoModal(int value);
  int DoModal() override { return DoModal(0); }
  int OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual int OnInitDialog();

  // Starts "qvapiset.exe" of the library's "InstallDir" with " /Agt=On" or " /Agt=Off", telling
  // it to answer this dialog's window (0 when it does not show). Nothing without "InstallDir".
  void SetSAgent(int on);

  bool IsLoaded() const { return m_hModule.IsValid(); }
  int Value() const { return m_nValue; }
  UINT_PTR RunningTimer() const { return m_nTimerId; }

 private:
  void StopTimer();
  void Close();

  ScopedModule m_hModule;
  int m_nResult = 0;
  UINT_PTR m_nTimerId = 0;
  int m_nPhase = 0;
  int m_nValue = 0;
};
