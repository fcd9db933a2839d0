#pragma once
// CQvStatChannel: a printer channel that finds and opens the printer's status channel,
// fetches one status reply into a buffer it owns, and does so on a worker thread of its own
// that reports to a window by posted messages.
#include <atomic>

#include "printer/qvapi_binding_win.h"

constexpr UINT WM_RESULT_DEVICEID_ERROR = WM_USER + 0x28;
constexpr UINT WM_RESULT_CHANNEL_ERROR = WM_USER + 0x29;
constexpr UINT WM_RESULT_QVSTATUS = WM_USER + 0x2A;

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
  // One pass of the worker: open the channel when needed, fetch, post.
  virtual void QvStatusThreadMain();

  // 1 opened, 0 the open failed, -1 no candidate channel exists.
  int OpenStatusChannel();

  const BYTE* GetReply() const { return m_cReply.As<BYTE>(); }
  int GetReplySize() const { return m_nReplySize; }
  bool IsRunning() const { return m_bRunning; }

 protected:
  HWND NotifyWindow() const { return m_hNotifyWindow; }
  void Post(UINT message, int value) const;
  // Keeps a new reply (the object owns it from now on).
  void KeepReply(CAppMem&& reply, int size);

  CAppMem m_cReply;
  int m_nReplySize = 0;

 private:
  static unsigned __stdcall ThreadEntry(void* self);

  std::atomic<HWND> m_hNotifyWindow{nullptr};
  HANDLE m_hThread = nullptr;
  // Cleared by the owner before it joins; the worker reads it between steps.
  std::atomic<bool> m_bRunning{false};
};
