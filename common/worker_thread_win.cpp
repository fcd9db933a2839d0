#include "common/worker_thread_win.h"

#include <process.h>

#include <utility>

#include "common/exception_guard_win.h"

CWorkerThread::~CWorkerThread() {
  RequestStop();
  Join();
}

bool CWorkerThread::Start(const char* where, std::function<void()> body) {
  if (Joinable() || !body) return false;
  if (!m_hStopEvent.IsValid()) {
    m_hStopEvent.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!m_hStopEvent.IsValid()) return false;
  }
  ::ResetEvent(m_hStopEvent.Get());
  m_bStop = false;
  m_pszWhere = where ? where : "worker thread";
  m_body = std::move(body);
  m_bHeld = true;
  unsigned threadId = 0;
  m_hThread.Reset(reinterpret_cast<HANDLE>(
      ::_beginthreadex(nullptr, 0, &CWorkerThread::Entry, this, 0, &threadId)));
  if (!m_hThread.IsValid()) {
    m_bHeld = false;
    m_body = nullptr;
    return false;
  }
  m_dwThreadId = threadId;
  return true;
}

unsigned __stdcall CWorkerThread::Entry(void* self) {
  auto* worker = static_cast<CWorkerThread*>(self);
  vg::Guarded(worker->m_pszWhere, [worker] { worker->m_body(); });
  return 0;
}

void CWorkerThread::RequestStop() {
  m_bStop = true;
  if (m_hStopEvent.IsValid()) ::SetEvent(m_hStopEvent.Get());
}

void CWorkerThread::Join() {
  if (!Joinable()) return;
  if (::GetCurrentThreadId() != m_dwThreadId) {
    ::WaitForSingleObject(m_hThread.Get(), INFINITE);
    m_body = nullptr;
  }
  m_hThread.Close();
  m_dwThreadId = 0;
  m_bHeld = false;
}

bool CWorkerThread::Sleep(DWORD milliseconds) const {
  if (m_bStop) return false;
  if (!m_hStopEvent.IsValid()) {
    ::Sleep(milliseconds);
    return !m_bStop;
  }
  return ::WaitForSingleObject(m_hStopEvent.Get(), milliseconds) == WAIT_TIMEOUT;
}

bool CWorkerThread::WaitFor(HANDLE object, DWORD milliseconds) const {
  if (m_bStop) return false;
  if (!m_hStopEvent.IsValid()) return ::WaitForSingleObject(object, milliseconds) == WAIT_OBJECT_0;
  const HANDLE objects[] = {object, m_hStopEvent.Get()};
  return ::WaitForMultipleObjects(2, objects, FALSE, milliseconds) == WAIT_OBJECT_0;
}
