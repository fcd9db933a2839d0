#pragma once
// CQvStatChannel: a printer channel that finds and opens the printer's status channel,
// fetches one status reply into a buffer it owns, and does so on a worker thread of its own
// that reports to a window by posted messages.
#include <atomic>

#include "common/window_messages.h"
#include "common/worker_thread_win.h"
#include "printer/qvapi_binding_win.h"

class CQvStatChannel : public CQvApiChannel {
 public:
  CQvStatChannel(int kind, const char* name);
  ~CQvStatChannel() override;

  // 1 when the thread started; 0 when one is already running or creation failed.
  virtual int StartStatusThread(HWND window);
  // Stops and joins the thread; nothing is posted once it returns.
  virtual void EndStatusThread();
  // 1 a new reply is held, 0 nothing to report, -1 no channel open, else a negative code.
  virtual int GetPrinterStatus();
  // The index-th candidate status channel, 0 at the end.
  virtual DWORD EnumChannel(int index);
  // One pass of the worker: open the channel when needed, fetch, post. A class that replaces
  // it ends the thread in its own destructor, before its own members go.
  virtual void QvStatusThreadMain();

  // 1 opened, 0 the open failed, -1 no candidate channel exists.
  int OpenStatusChannel();

  const BYTE* GetReply() const { return m_cReply.As<BYTE>(); }
  int GetReplySize() const { return m_nReplySize; }
  // The running flag: from a successful StartStatusThread until EndStatusThread. A thread
  // that finished its pass on its own still counts until it is ended.
  bool IsRunning() const { return m_cWorker.IsActive(); }

 protected:
  HWND NotifyWindow() const { return m_hNotifyWindow; }
  void Post(UINT message, int value) const;
  // For the thread's body: sleeps up to the given time; false, at once, when the owner ends
  // the thread.
  bool SleepWhileRunning(DWORD milliseconds) const { return m_cWorker.Sleep(milliseconds); }
  // Keeps a new reply (the object owns it from now on).
  void KeepReply(CAppMem&& reply, int size);

  CAppMem m_cReply;
  int m_nReplySize = 0;

 private:
  // The receiver's window, borrowed: the receiver owns it. Cleared by the owner before it
  // joins; the worker posts nothing once it is clear.
  std::atomic<HWND> m_hNotifyWindow{nullptr};
  CWorkerThread m_cWorker;
};
