#include "printer/stat_channel_win.h"

#include "common/debug_log_win.h"
#include "printer/channel_rules.h"

CQvStatChannel::CQvStatChannel(int kind, const char* name) : CQvApiChannel(kind, name) {}

CQvStatChannel::~CQvStatChannel() { EndStatusThread(); }

DWORD CQvStatChannel::EnumChannel(int index) { return vgchan::StatusThreadCandidate(index); }

int CQvStatChannel::OpenStatusChannel() {
  CTraceScope trace("CQvStatChannel::OpenStatusChannel");
  DWORD chosen = 0;
  for (int index = 0;; ++index) {
    const DWORD channel = EnumChannel(index);
    if (channel == 0) break;
    const int result = SelectChannel(channel, qvapi::kModeStatus);
    trace.Write("SelectChannel result : %d\n", result);
    if (result == 1) {
      chosen = channel;
      break;
    }
    if (result == -1) break;
  }
  trace.Write("SelChannelNo. = %#x\n", static_cast<unsigned>(chosen));
  if (chosen == 0) return -1;
  const int handle = OpenChannel();
  if (handle < 1) {
    trace.Write("error OpenChannel result : %d\n", handle);
    return 0;
  }
  return 1;
}

void CQvStatChannel::KeepReply(CAppMem&& reply, int size) {
  m_cReply = std::move(reply);
  m_nReplySize = size;
}

int CQvStatChannel::GetPrinterStatus() {
  CTraceScope trace("Enter CQvStatChannel::GetPrinterStatus");
  struct ExitLine {
    CTraceScope& trace;
    ~ExitLine() { trace.Write("Exit CQvStatChannel::GetPrinterStatus\n"); }
  } exitLine{trace};

  if (!IsOpen()) return -1;
  int32_t size = 0;
  int result = GetStatus(nullptr, &size);
  trace.Write("QVGetStatus(1st) : %d\n", result);
  if (result == 0) return 0;
  if (result < 0 && result != qvapi::kBufferTooSmall) return result;
  if (size <= 0) return 0;  // nothing pending after all

  CAppMem buffer;
  if (buffer.Alloc(static_cast<size_t>(size)) == nullptr) return -2;
  const int32_t allocated = size;
  result = GetStatus(buffer.Get(), &size);
  trace.Write("QVGetStatus(2nd) : %d\n", result);
  if (result <= 0) return result;
  // The reply is kept exactly as long as the library says, never longer than the buffer.
  KeepReply(std::move(buffer), size > 0 && size < allocated ? size : allocated);
  return 1;
}

void CQvStatChannel::Post(UINT message, int value) const {
  HWND window = m_hNotifyWindow;
  if (window != nullptr) ::PostMessageA(window, message, static_cast<WPARAM>(value), 0);
}

int CQvStatChannel::StartStatusThread(HWND window) {
  if (m_cWorker.Joinable()) return 0;  // running, or finished on its own and not yet ended
  m_hNotifyWindow = window;
  if (!m_cWorker.Start("CQvStatChannel::QvStatusThreadMain", [this] { QvStatusThreadMain(); })) {
    m_hNotifyWindow = nullptr;
    return 0;
  }
  return 1;
}

void CQvStatChannel::QvStatusThreadMain() {
  if (!SleepWhileRunning(500)) return;
  if (!IsOpen()) {
    const int opened = OpenStatusChannel();
    if (opened < 1) {
      Post(WM_RESULT_CHANNEL_ERROR, opened);
      return;
    }
  }
  if (!IsRunning()) return;
  const int result = GetPrinterStatus();
  if (IsRunning()) Post(WM_RESULT_QVSTATUS, result);
  VgTrace("CQvStatChannel::Status loop end\n");
}

void CQvStatChannel::EndStatusThread() {
  CTraceScope trace("Enter CQvStatChannel::EndStatusThread");
  m_hNotifyWindow = nullptr;
  m_cWorker.RequestStop();
  m_cWorker.Join();
  trace.Write("Exit CQvStatChannel::EndStatusThread\n");
}
