#pragma once
// CVglEnvDlg: a printer's monitoring preferences. The user chooses which printer events open
// the status window, sound or the printer's buzzer, the tray icon and which one, and whether
// the network agent may watch the printer. The settings live in the printer's target key;
// a value that was never stored comes from the model's profile section and is written back
// at once. OK stores what the dialog shows; Cancel stores nothing.
//
// The caller copies the identity in, loads the resources (the template follows from what the
// printer offers: 100 without a buzzer, 110 with one) and runs it only when it is ready. A
// second dialog for a printer whose dialog is open raises that one and closes at once.
// Context help (the right mouse button and the help key) is in vgl_env_dlg_help_win.cpp.
#include <vector>

#include "common/unique_handle.h"
#include "common/win.h"
#include "ui/dialog_box_win.h"
#include "ui/mon_icon_list_ctrl_win.h"
#include "ui/ntfy_entry.h"
#include "ui/ntfy_list_ctrl_win.h"

// After the project's Windows header, which it needs.
#include <htmlhelp.h>

class CVglEnvDlg : public CDialogBox {
 public:
  static constexpr size_t kTextSize = 260;

  explicit CVglEnvDlg(HWND parent);
  ~CVglEnvDlg() override;

  // The identity of the printer and the resource library's path; false when a text does not
  // fit 259 characters (nothing is copied then).
  bool SetIdentity(const char* printerName, const char* driverName, const char* portName,
                   const char* modelId, const char* resourceLibrary);

  // Loads the resource library and finds the profile INI ("Cannot link Resource Dll" or
  // string 1223 when that fails), settles what the printer offers and chooses the template.
  // 1 when the dialog is ready to run.
  int LoadPreferenceResources();
  bool IsReady() const { return m_bReady; }

  // Runs the dialog: 1 OK, 2 cancelled, -1 when it is not ready or cannot be made.
  int DoModal() override;
  int OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual int OnInitDialog();

  // The settings of the target key into the members (missing values written back first);
  // 0 when the key cannot be opened.
  int LoadSettings();
  // The notification items into the list; 0 when the "Notify" key cannot be opened.
  int LoadNotifyItems();
  // true: members to the check boxes; false: the check boxes to the members.
  void UpdateControls(bool toControls);
  // The profile's defaults to the check boxes and the list; nothing is stored.
  void RestoreDefaults();
  // The members and the list to the target key; 0 when it cannot be opened.
  int SaveSettings();

  // Context help.
  int PopUpHelpMenu();
  void OnContextMenu(HWND window, int x, int y);
  int OnHelpInfo(const HELPINFO* info);

  // The choices as they stand (after OK: as stored).
  int TrayIconEnable() const { return m_bTrayIconEnable; }
  int TrayIconSelected() const { return m_nTrayIconSelected; }
  bool NoSound() const { return m_bNoSound != 0; }
  bool NoBuzzer() const { return m_bNoBuzzer != 0; }
  WORD TemplateId() const { return m_wTemplate; }
  const char* HelpFile() const { return m_szHelpFile; }
  const char* TargetKeyPath() const { return m_szTargetKey; }
  bool IsDuplicate() const { return m_bDuplicate != 0; }

 private:
  void OnOK();
  void OnTraySwitched();
  void OnTraySelected();
  void OnAgentPermissionSwitched();
  void OnAgentPendingSwitched();
  void OnHelpButton();
  void OnDestroy();
  void InitAgentCheckBoxes();
  void InitHelp();
  void ShowPreview();
  int ShowMessage(UINT stringId);
  bool IsLegacyNetworkOnlyNow() const;
  // The HTML Help window type of every topic, placed beside the mouse cursor.
  void DefineHelpWindowType();
  bool IsHtmlHelp() const;
  // WinHelp for the dialog's file; remembered so that the help program goes with the dialog.
  void CallWinHelp(HWND window, UINT command, ULONG_PTR data);

  std::vector<CNtfyEntry> m_aEntries;
  char m_szHelpFile[kTextSize] = {};
  ScopedBitmap m_hPreview[4];  // bitmaps 501, 502, 503 and 500
  ScopedModule m_hResDll;
  int m_nTrayIconSelected = 0;
  int m_bAgentAllowedAtOpening = 0;
  DWORD_PTR m_dwHelpCookie = 0;
  HWND m_hParentWnd = nullptr;  // borrowed: the caller's window
  int m_bNoSound = 1;
  bool m_bReady = false;
  char m_szModelId[kTextSize] = {};
  char m_szPortName[kTextSize] = {};
  char m_szPrinterName[kTextSize] = {};
  char m_szDriverName[kTextSize] = {};
  char m_szResDllPath[kTextSize] = {};
  char m_szTargetKey[kTextSize] = {};
  HKEY m_hTargetRoot = HKEY_CURRENT_USER;  // a predefined root, never closed
  CMonIconListCtrl m_cIconList;
  int m_bShownTrayEnable = 0;
  int m_nShownTraySelected = 0;
  int m_bTrayIconEnable = 0;
  int m_bAgentAllowed = 0;
  int m_bSoundNotifyEnable = 0;
  int m_bAgentPending = 0;
  CNtfyListCtrl m_cNtfyList;
  int m_bNoBuzzer = 1;
  int m_bBeepBuzzerEnable = 0;
  int m_bLoopBuzzer = 0;
  int m_nAgentKind = 1;
  int m_bDuplicate = 0;
  bool m_bNtPlatform = true;
  char m_szProfilePath[kTextSize] = {};
  WORD m_wTemplate = 0;
  bool m_bHelpInitialised = false;
  bool m_bWinHelpUsed = false;  // WinHelp was asked: it is told to quit with the dialog
  ScopedHandle m_hMapFile;  // the window table, held while the dialog is registered
};
