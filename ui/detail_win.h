#pragma once
// CDetail: the status window of one printer (template 102 of the resource library). It shows
// the printer's current status through its view switcher, keeps itself up to date from a
// status worker thread, plays the notification sound or the buzzer once per change, hands a
// second start for its printer over to the window already open, remembers where a pop-up
// stood, and closes itself when a pop-up's status is no longer one the user is told about.
//
// It runs on the thread that calls DoModal (PrStartView's caller); the worker reaches it only
// through posted messages (common/window_messages.h).
#include <memory>
#include <string>

#include "common/registry_win.h"
#include "common/unique_handle.h"
#include "common/win.h"
#include "printer/status_info_win.h"
#include "ui/dialog_box_win.h"
#include "ui/dialog_view_win.h"
#include "ui/win_theme_ctrl_win.h"

class CDetailQvStatus;
class CResSndNtfy;
class CBeepBuzzer;

class CDetail : public CDialogBox {
 public:
  explicit CDetail(HWND parent);
  ~CDetail() override;

  // Set by the creator before DoModal: the resource library and the view type (2 until set).
  using CDialogBox::SetResourceModule;
  void SetViewType(int viewType) { m_nViewType = viewType; }

  using CDialogBox::DoModal;
  // Runs the window for the printer: 1 closed by OK, 2 closed otherwise or refused, -1 when
  // the dialog cannot be created. The last argument is not used.
  virtual int DoModal(const char* printerName, const char* portName, const char* modelId,
                      const char* datFileName, int unused);
  virtual int OnOK();
  virtual int OnInitDialog();

  int OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  void AttachControls(HWND hwnd) override;

  // The worker's three reports (call reasons 2, 3 and 4).
  int OnResultQVDeviceID(int result, int unused);
  int OnResultQVStChannel(int result, int unused);
  int OnResultQVStatus(int result, int unused);

  // Takes the result as the current status, closes a pop-up that is no longer wanted, and
  // otherwise shows the status and tells it by buzzer or sound.
  void UpdateStatus(int callReason, int statusResult);
  // Replaces the current status for the result.
  void StatusProc(int callReason, int statusResult);
  // The stored reply as the current status (result 1); 0 and -2 leave it; other results
  // make the communication-error status. Returns 1, 0, -2 or the failure code.
  int GetStatus(int statusResult);
  // The first status of a pop-up start; 1 when one was made.
  int SetDefStatus();
  // 1 when the buzzer was started for the status.
  int SetBeepBuzzerStatus(const CPrinterStatus* status);
  // 1 when the status's sound was started.
  int SetSoundStatus(const CPrinterStatus* status);
  // The machine's common-error messages; 1 when none was shown.
  int CheckCommonErrors();
  // The status's notify flag (its "Notify" item), and its sound flag, sound key (simple status
  // number) and buzzer flag.
  int GetNotifySettings(const CPrinterStatus* status, int* soundFlag, int* soundKey,
                        int* buzzerFlag);
  // 1 when the buzzer repeats until the window closes.
  int GetLoopBuzzer();

  // What the window holds, for whoever looks at it from outside.
  const CPrinterStatus* CurrentStatus() const { return m_pPrinterStatus; }
  bool AutoClose() const { return m_bAutoClose; }
  bool NotificationsAllowed() const { return m_bNotifyAllowed; }
  int LastSoundKey() const { return m_nLastSoundKey; }
  CDialogView& View() { return m_cDialogView; }

 private:
  void ShutDown();
  void PlaceWindow();
  void StorePopupPosition();
  void SetIntervals();
  void SetUpSystemMenu();
  void SetIcons();
  void OnHelp();
  void OnAbout();
  void HandOffTo(HWND existing);
  void BringSelfForward();
  // Replaces the current status by a new one (kept when none was made); true when replaced.
  bool TakeStatus(CPrinterStatus* status);
  // A status without a reply: on the worker's channel, or without one on the first candidate
  // channel (fallBackToCandidate) or on no channel.
  CPrinterStatus* MakeForcedStatus(int statusNo, bool fallBackToCandidate);
  int EnableGetStatusErr();
  // Opens the printer's target key, as DoModal found it.
  bool OpenOwnTargetKey(Registry* key, REGSAM access) const;
  // A nested loop (about box, trouble dialog) may have taken the quit message meant for this
  // window's loop: post it again.
  void RepostQuitIfEnded();
  void EndWindow(int code);

  CStatusInfo m_cStatusInfo;
  CPrinterStatus* m_pPrinterStatus = nullptr;
  CDialogView m_cDialogView;
  std::unique_ptr<CDetailQvStatus> m_pQvStatus;
  bool m_bPopupPosition = false;
  bool m_bAutoClose = false;
  int m_nViewType = 2;
  HKEY m_hTargetRoot = nullptr;
  std::string m_szTargetKey;
  bool m_bPortMode = false;
  std::string m_szPrinterName;
  std::string m_szModelID;
  std::string m_szPortName;
  std::string m_szDatFileName;
  std::unique_ptr<CResSndNtfy> m_pSound;
  std::unique_ptr<CBeepBuzzer> m_pBuzzer;
  bool m_bNotifyAllowed = false;
  int m_nLastSoundKey = -1;
  int m_nEnableGetStatusErr = -1;
  bool m_bCommonErrorsShown = false;
  bool m_bNotOwner = false;

  // The window table's mapping, held while the window is registered in it.
  ScopedHandle m_hMapFile;
  bool m_bShutDown = false;
  // The notification settings of one status, asked up to three times for one change (the
  // keep-open rule, the buzzer, the sound): read once while a change is handled.
  struct NotifySettings {
    const CPrinterStatus* status = nullptr;
    int soundFlag = 0;
    int soundKey = -1;
    int buzzerFlag = 0;
    int notify = 0;
  };
  class NotifyMemoScope {
   public:
    explicit NotifyMemoScope(CDetail& detail) : m_detail(detail) {
      m_detail.m_stNotifyMemo = NotifySettings();
      m_detail.m_bMemoNotify = true;
    }
    ~NotifyMemoScope() { m_detail.m_bMemoNotify = false; }
    NotifyMemoScope(const NotifyMemoScope&) = delete;
    NotifyMemoScope& operator=(const NotifyMemoScope&) = delete;

   private:
    CDetail& m_detail;
  };
  bool m_bMemoNotify = false;
  NotifySettings m_stNotifyMemo;
  // Help is open, and the auto-close flag it gives back.
  bool m_bInHelp = false;
  bool m_bHelpAutoClose = false;
  int m_nEndCode = 2;
  CWinThemeCtrl m_cTheme;
  ScopedIcon m_hBigIcon;
  ScopedIcon m_hSmallIcon;
};
