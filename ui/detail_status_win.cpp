// The status window's reaction to the printer: each result of its worker becomes the current
// status, a pop-up that is no longer wanted closes, and a change is told once by the buzzer
// or the status's sound. The first status of a pop-up comes from what the monitor left in the
// printer's target key.
#include <vector>

#include "common/debug_log_win.h"
#include "common/install_profile_win.h"
#include "common/qvapi.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/target_keys_win.h"
#include "printer/channel_rules.h"
#include "printer/detail_qv_status_win.h"
#include "printer/sound_notify_win.h"
#include "resources/vgres_ids.h"
#include "ui/detail_rules.h"
#include "ui/detail_win.h"

namespace {

constexpr char kFallbackTitle[] = "KORVA Vigil 3";

}  // namespace

int CDetail::OnResultQVDeviceID(int result, int) {
  CTraceScope trace("CDetail::OnResultQVDeviceID");
  if (m_bShutDown) return 0;  // a report still queued when the window went
  if (result == -1 && !m_bCommonErrorsShown) {
    m_bCommonErrorsShown = true;
    CheckCommonErrors();
    if (m_bShutDown) return 0;
  }
  UpdateStatus(vgdetail::kReasonDeviceId, result);
  return 0;
}

int CDetail::OnResultQVStChannel(int result, int) {
  CTraceScope trace("CDetail::OnResultQVStChannel");
  if (m_bShutDown) return 0;
  if (result == -1 && !m_bCommonErrorsShown) {
    m_bCommonErrorsShown = true;
    CheckCommonErrors();
    if (m_bShutDown) return 0;
  }
  UpdateStatus(vgdetail::kReasonChannel, result);
  return 0;
}

int CDetail::OnResultQVStatus(int result, int) {
  CTraceScope trace("CDetail::OnResultQVStatus");
  if (m_bShutDown) return 0;
  UpdateStatus(vgdetail::kReasonStatus, result);
  return 0;
}

void CDetail::UpdateStatus(int callReason, int statusResult) {
  CTraceScope trace("CDetail::UpdateStatus");
  trace.Write("CallReason = %d, iStatusResult = %d\n", callReason, statusResult);
  StatusProc(callReason, statusResult);
  NotifyMemoScope memo(*this);

  int notify = 1;
  if (m_bAutoClose && m_pPrinterStatus != nullptr) {
    int soundFlag = 0;
    int soundKey = 0;
    int buzzerFlag = 0;
    notify = GetNotifySettings(m_pPrinterStatus, &soundFlag, &soundKey, &buzzerFlag);
  }
  if (vgdetail::KeepOpenValue(m_bAutoClose, notify, m_cDialogView.GetDialogType()) == 0) {
    trace.Write("CDetail::UpdateStatus : close dialog\n");
    ShutDown();
    EndWindow(2);
    return;
  }
  m_cDialogView.SetViewStatus(m_pPrinterStatus);
  if (SetBeepBuzzerStatus(m_pPrinterStatus) == 0) SetSoundStatus(m_pPrinterStatus);
}

void CDetail::StatusProc(int callReason, int statusResult) {
  CTraceScope trace("CDetail::StatusProc");
  trace.Write("CallReason : %d,  iStatusResult :%d\n", callReason, statusResult);
  if (callReason == vgdetail::kReasonStatus) {
    GetStatus(statusResult);
    return;
  }
  TakeStatus(
      MakeForcedStatus(vgdetail::CheckFailureStatus(statusResult, m_nEnableGetStatusErr), true));
}

CPrinterStatus* CDetail::MakeForcedStatus(int statusNo, bool fallBackToCandidate) {
  const DWORD channel = m_pQvStatus != nullptr ? m_pQvStatus->GetSelectedChannel() : 0;
  if (fallBackToCandidate) {
    if (channel != 0) {
      return m_cStatusInfo.CreateStatusObject(channel, nullptr, 0, statusNo,
                                              m_pQvStatus->GetChannelMode() & qvapi::kModeNetwork);
    }
    return m_cStatusInfo.CreateStatusObject(vgchan::SessionStatusCandidate(0), nullptr, 0, statusNo,
                                            0);
  }
  return m_cStatusInfo.CreateStatusObject(channel, nullptr, 0, statusNo, 0);
}

bool CDetail::TakeStatus(CPrinterStatus* status) {
  if (status == nullptr) return false;  // the previous status stays on the screen
  m_cStatusInfo.ReleaseStatusObject(m_pPrinterStatus);
  m_pPrinterStatus = status;
  return true;
}

int CDetail::EnableGetStatusErr() {
  if (m_nEnableGetStatusErr < 0) {
    m_nEnableGetStatusErr = m_szDatFileName.empty()
                                ? 0
                                : GetProfileIntOf(m_szModelID.c_str(), "EnableGetStatusErr", 0,
                                                  m_szDatFileName.c_str());
  }
  return m_nEnableGetStatusErr;
}

int CDetail::GetStatus(int statusResult) {
  CTraceScope trace("CDetail::GetStatus");
  int code = statusResult;
  if (statusResult == 1) {
    trace.Write("from Registry\n");
    code = -1;
    Registry key;
    if (::OpenTargetKey(m_szPrinterName.c_str(), m_szPortName.c_str(), KEY_READ, &key) ==
            kTargetFound &&
        key.IsOpen()) {
      const std::vector<BYTE> reply = key.GetBinary("Status");
      if (!reply.empty()) {
        DWORD channel = key.GetDWordValue("Channel", 0);
        if (channel == 0 && m_pQvStatus != nullptr) channel = m_pQvStatus->GetSelectedChannel();
        EnableGetStatusErr();
        const int mode =
            m_pQvStatus != nullptr ? (m_pQvStatus->GetChannelMode() & qvapi::kModeNetwork) : 0;
        CPrinterStatus* status = m_cStatusInfo.CreateStatusObject(
            channel, reply.data(), static_cast<int>(reply.size()), 0, mode);
        // A reply that cannot be decoded shows the default status.
        if (status == nullptr) status = m_cStatusInfo.CreateStatusObject(0, nullptr, 0, 0, 0);
        TakeStatus(status);
        return 1;
      }
    }
  }
  trace.Write("error : %d\n", code);
  if (vgdetail::ReadFailureKeepsStatus(code)) return code;
  TakeStatus(MakeForcedStatus(vgdetail::CommErrorStatus(m_nEnableGetStatusErr), false));
  return code;
}

int CDetail::SetDefStatus() {
  CTraceScope trace("CDetail::SetDefStatus");
  Registry key;
  const bool open = OpenOwnTargetKey(&key, KEY_READ);
  int comStatus = kComStatusDefault;
  if (!open) {
    trace.Write("RegStatus.IsOpen() == 0\n");
  } else {
    m_bNotifyAllowed = true;
    comStatus = GetComStatus(key);
    trace.Write("ComStatus : %d\n", comStatus);
  }
  const vgdetail::DefaultStatus first = vgdetail::DefaultStatusOf(open, comStatus);
  if (first.fromRegistry) {
    GetStatus(1);
    return 1;
  }
  trace.Write("error : %d\n", -1);
  if (!TakeStatus(m_cStatusInfo.CreateStatusObject(vgchan::SessionStatusCandidate(0), nullptr, 0,
                                                   first.statusNo, 0))) {
    trace.Write("error : m_pPrinterStatus == NULL\n");
    return 0;
  }
  return 1;
}

int CDetail::GetNotifySettings(const CPrinterStatus* status, int* soundFlag, int* soundKey,
                               int* buzzerFlag) {
  CTraceScope trace("CDetail::GetNotifySettings");
  int sound = 0;
  int item = 0;
  int buzzer = 0;
  int key = -1;
  if (status != nullptr && m_bMemoNotify && m_stNotifyMemo.status == status) {
    sound = m_stNotifyMemo.soundFlag;
    key = m_stNotifyMemo.soundKey;
    buzzer = m_stNotifyMemo.buzzerFlag;
    item = m_stNotifyMemo.notify;
  } else if (status != nullptr) {
    // One open of the target key and its "Notify" subkey serves both switches.
    Registry target;
    ::OpenTargetKey(m_szPrinterName.c_str(), m_szPortName.c_str(), KEY_READ, &target);
    NotifyItems notify(target);
    GetSoundNotify(target, notify, status->GetNotifyNo(), &sound, &item);
    key = status->GetSimpleStatusNo();
    GetBeepBuzzer(target, notify, m_szModelID.c_str(), status->GetNotifyNo(), &buzzer);
    if (m_bMemoNotify) m_stNotifyMemo = {status, sound, key, buzzer, item};
  }
  if (soundFlag != nullptr) *soundFlag = sound;
  if (soundKey != nullptr) *soundKey = key;
  if (buzzerFlag != nullptr) *buzzerFlag = buzzer;
  return item;
}

int CDetail::SetBeepBuzzerStatus(const CPrinterStatus* status) {
  CTraceScope trace("CDetail::SetBeepBuzzerStatus");
  const bool present = m_pBuzzer != nullptr && status != nullptr;
  int soundFlag = 0;
  int soundKey = -1;
  int buzzerFlag = 0;
  if (m_bNotifyAllowed && present) GetNotifySettings(status, &soundFlag, &soundKey, &buzzerFlag);
  const vgdetail::NotifyDecision decision =
      vgdetail::DecideBuzzer(m_bNotifyAllowed, present, m_nLastSoundKey, soundKey, buzzerFlag);
  m_nLastSoundKey = decision.lastKey;
  if (!decision.play) return 0;
  const int mode = GetLoopBuzzer();
  trace.Write("PlayBuzzer : No.%d, Mode : %d\n", soundKey, mode);
  return m_pBuzzer->Play(mode) ? 1 : 0;
}

int CDetail::SetSoundStatus(const CPrinterStatus* status) {
  CTraceScope trace("CDetail::SetSoundStatus");
  const bool present = m_pSound != nullptr && status != nullptr;
  int soundFlag = 0;
  int soundKey = -1;
  int buzzerFlag = 0;
  if (m_bNotifyAllowed && present) GetNotifySettings(status, &soundFlag, &soundKey, &buzzerFlag);
  const vgdetail::NotifyDecision decision =
      vgdetail::DecideSound(m_bNotifyAllowed, present, m_nLastSoundKey, soundKey, soundFlag);
  m_nLastSoundKey = decision.lastKey;
  if (!decision.play) return 0;
  trace.Write("PlaySound : No.%d\n", soundKey);
  // A status without a sound of its own plays nothing: a null resource would stop the buzzer.
  const int resource = status->GetSoundResNo();
  if (resource == 0) return 0;
  return m_pSound->Play(resource) ? 1 : 0;
}

int CDetail::GetLoopBuzzer() {
  CTraceScope trace("CDetail::GetLoopBuzzer");
  char path[kTargetKeyPathSize] = {};
  HKEY root = nullptr;
  if (GetCurrentTargetPrnKey(m_szPrinterName.c_str(), 0, path, &root) != kTargetFound) return 0;
  Registry key(root, path);
  if (!key.IsOpen()) return 0;
  DWORD stored = 0;
  const bool inRegistry = key.QueryDWord("LoopBuzzer", 0, &stored);
  const int modelValue =
      inRegistry || m_szDatFileName.empty()
          ? 0
          : GetProfileIntOf(m_szModelID.c_str(), "LoopBuzzer", 0, m_szDatFileName.c_str());
  return vgdetail::LoopBuzzerMode(inRegistry, stored, modelValue);
}

int CDetail::CheckCommonErrors() {
  CTraceScope trace("CDetail::CheckCommonErrors");
  Registry common(HKEY_LOCAL_MACHINE, vgreg::kCommonKey);
  if (!common.IsOpen()) return 0;
  uint32_t values[3] = {};
  for (size_t i = 0; i < 3; ++i) {
    values[i] = common.GetDWordValue(vgdetail::kCommonErrors[i].valueName, 0);
  }
  const std::vector<unsigned> messages = vgdetail::CommonErrorMessages(values);
  char title[MAX_PATH] = {};
  if (ResourceModule() == nullptr ||
      ::LoadStringA(ResourceModule(), IDS_APP_TITLE, title, sizeof title) <= 0) {
    lstrcpynA(title, kFallbackTitle, sizeof title);
  }
  for (unsigned id : messages) {
    if (m_bShutDown) break;  // the window went while a message was read
    char text[1024] = {};
    if (ResourceModule() != nullptr) ::LoadStringA(ResourceModule(), id, text, sizeof text);
    ::MessageBoxA(m_hWnd, text, title, MB_OK);
    RepostQuitIfEnded();
  }
  return messages.empty() ? 1 : 0;
}
