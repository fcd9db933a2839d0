// One poll of the monitor's worker: the first check at monitoring start, the status query of
// every cycle, and the cycle after the quit timer fired. The decisions are the portable ones
// of poll_decisions; this file gathers the observations and carries the actions out.
#include <mutex>
#include <vector>

#include "common/debug_log_win.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "monitor/main_frame_win.h"
#include "monitor/messages_win.h"
#include "monitor/poll_decisions.h"
#include "monitor/qv_win.h"
#include "monitor/spooler_job_win.h"
#include "resources/vgres_ids.h"

class CMainFrame::PollEnvironmentImpl : public vgmon::PollEnvironment {
 public:
  explicit PollEnvironmentImpl(CMainFrame& frame) : frame_(frame) {}

  int SpoolPause() override { return GetSpoolPause(frame_.m_szPrinterName); }
  int JobState() override { return ChkSpoolerJob(frame_.m_szPrinterName, frame_.m_szPortName); }
  int QuitTimeout() override { return frame_.GetQuitTimeout(); }
  int ProfileLimit(const char* key, int defaultValue) override {
    return frame_.ProfileInt(key, defaultValue);
  }
  bool QuitTimerRunning() override { return frame_.QuitTimerRunning(); }
  void StartQuitTimer(int seconds) override { frame_.StartQuitTimer(seconds); }
  void StopQuitTimer() override { frame_.KillQuitTimer(); }
  void ResetInstanceMap() override { frame_.ResetInstanceMap(); }
  // The pop-up may wait on another process: it starts once the decision is made.
  void StartPopup() override { popupWanted = true; }
  void PostClose() override { ::PostMessageA(frame_.Window(), WM_CLOSE, 0, 0); }
  void Log(const char* text) override { VgLogWrite(text); }
  void Log(const char* text, long number) override { VgLogWrite(text, number); }

  bool popupWanted = false;

 private:
  CMainFrame& frame_;
};

vgmon::PollState CMainFrame::CapturePollState() const {
  vgmon::PollState state;
  state.stNum = m_pcQv->m_nStNum;
  state.fineStNum = m_pcQv->m_nFineStNum;
  state.printState = m_pcQv->m_nPrintState;
  state.prevPrintState = m_pcQv->m_nPrevPrintState;
  state.lastPopup = m_nLastPopup;
  state.sameStatusCount = m_nSameStatusCount;
  state.quitCount = m_nQuitCount;
  state.complete = m_bComplete != FALSE;
  state.finished = m_bFinished != FALSE;
  state.alreadyRunning = m_bAlreadyRunning != FALSE;
  return state;
}

void CMainFrame::ApplyPollState(const vgmon::PollState& state) {
  m_nSameStatusCount = state.sameStatusCount;
  m_nQuitCount = state.quitCount;
  m_bComplete = state.complete;
  m_bFinished = state.finished;
}

int CMainFrame::CheckCommonErrors() {
  VgLogWrite("CMainFrame::CheckCommonErrors");
  Registry common(HKEY_LOCAL_MACHINE, vgreg::kCommonKey);
  const struct {
    const char* name;
    UINT stringId;
  } switches[] = {{vgreg::kCommonFileReplaced, IDS_ERR_FILE_REPLACED},
                  {vgreg::kCommonQvapiInUse, IDS_ERR_QVAPI_IN_USE},
                  {vgreg::kCommonOtherError, IDS_ERR_OTHERS}};
  bool anySet = false;
  for (const auto& entry : switches) {
    const DWORD value = common.GetDWordValue(entry.name, 0xFFFFFFFF);
    if (value == 1) ShowResMessage(nullptr, m_hResLib.Get(), entry.stringId);
    anySet = anySet || value != 0;
  }
  if (anySet) return 0;
  if (m_pcQv) m_pcQv->m_nStNum = 11;
  return 1;
}

int CMainFrame::FirstCheck() {
  VgLogWrite("CMainFrame::FirstCheck");
  const int ok = m_pcQv->AcquireChannel(m_nEnableGetStatusErr);
  if (m_pcQv->m_bChannelAcquired) return 1;

  {
    Registry target(m_hTargetRoot, m_szTargetKey, false, KEY_ALL_ACCESS);
    if (target.IsOpen()) {
      target.DeleteValue(vgreg::kTargetChannel);
      target.DeleteValue(vgreg::kTargetStatus);
      target.SetDWord(vgreg::kTargetComStatus, m_pcQv->m_dwComStatus);
    }
  }
  int nPopup = 0;
  m_pcQv->QueryStatus(nPopup);
  if (nPopup > 0) StartPopup();
  if (ok == 1) return 1;
  return (CheckCommonErrors() == 1 && !m_pcQv->m_bError) ? 1 : 0;
}

int CMainFrame::MonitorStatus() {
  VgLogWrite("CMainFrame::MonitorStatus");
  if (!m_pcQv->m_bChannelAcquired) {
    // A session that did not start (the bidirectional library was not ready) is started
    // again before the channels are: without it the printer library serves no channel.
    if (m_nSessionStart != 0) StartSession(std::vector<uint8_t>());
    m_pcQv->AcquireChannel(m_nEnableGetStatusErr);
    m_bFinished = m_pcQv->m_bError;
  }
  GetStatus();
  // A printer that reports another model ends monitoring whatever its status says.
  return (m_bFinished || m_pcQv->m_bError) ? 1 : 0;
}

int CMainFrame::GetStatus() {
  VgLogWrite("CMainFrame::GetStatus");
  const int s0 = m_pcQv->m_nStNum;
  const int f0 = m_pcQv->m_nFineStNum;
  int nPopup = 0;
  const int result = m_pcQv->QueryStatus(nPopup);
  VgLogWrite("m_pcQv->GetStatus : nRet", result);
  VgLogWrite("m_pcQv->GetStatus : nPopup", nPopup);

  if (m_nEnableGetStatusErr == 1 && m_pcQv->m_iEnableGetStatusErr == 0 && result > 0 &&
      m_pcQv->m_nStNum != 11) {
    m_pcQv->m_iEnableGetStatusErr = 1;
  }
  if (result > 0) m_nLastPopup = nPopup;
  if (!m_pcQv->m_bLastCallSucceeded && CheckCommonErrors() == 0) {
    m_bFinished = TRUE;
    return result;
  }
  if (result == 0 || result == -1) return result;

  PollEnvironmentImpl env(*this);
  {
    // The restart request of a second monitor changes these from the window thread.
    std::lock_guard<std::recursive_mutex> guard(m_quitLock);
    vgmon::PollState state = CapturePollState();
    vgmon::DecideAfterStatus(state, nPopup, s0, f0, env);
    ApplyPollState(state);
  }
  if (env.popupWanted) StartPopup();
  return result;
}

int CMainFrame::MonitorQuit() {
  PollEnvironmentImpl env(*this);
  std::lock_guard<std::recursive_mutex> guard(m_quitLock);
  vgmon::PollState state = CapturePollState();
  const int ends = vgmon::DecideQuit(state, env);
  ApplyPollState(state);
  return ends;
}
