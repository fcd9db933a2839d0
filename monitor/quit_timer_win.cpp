#include "monitor/quit_timer_win.h"

namespace {

class RealSystem final : public CQuitTimer::System {
 public:
  void SetTimer(HWND window, UINT_PTR id, UINT milliseconds) override {
    ::SetTimer(window, id, milliseconds, nullptr);
  }
  void KillTimer(HWND window, UINT_PTR id) override { ::KillTimer(window, id); }
  void Post(HWND window, UINT message) override { ::PostMessageA(window, message, 0, 0); }
};

RealSystem& TheRealSystem() {
  static RealSystem system;
  return system;
}

}  // namespace

CQuitTimer::CQuitTimer(System* system) : m_pSystem(system ? system : &TheRealSystem()) {}

void CQuitTimer::Attach(HWND window) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_hWnd = window;
  m_dwOwnerThread = ::GetCurrentThreadId();
}

bool CQuitTimer::OnOwnerThread() const { return ::GetCurrentThreadId() == m_dwOwnerThread; }

UINT_PTR CQuitTimer::Id() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_nId;
}

void CQuitTimer::Start(int seconds) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_nId = kTimerId;
  m_nMilliseconds = static_cast<UINT>(seconds) * 1000;
  ++m_nStarts;
  if (OnOwnerThread()) {
    ApplyLocked();
  } else if (m_hWnd != nullptr) {
    m_pSystem->Post(m_hWnd, kApplyMessage);
  }
}

void CQuitTimer::Stop() {
  std::lock_guard<std::mutex> guard(m_lock);
  m_nId = 0;
  if (OnOwnerThread()) {
    ApplyLocked();
  } else if (m_hWnd != nullptr && m_bSet) {
    m_pSystem->Post(m_hWnd, kApplyMessage);
  }
}

void CQuitTimer::Apply() {
  std::lock_guard<std::mutex> guard(m_lock);
  if (OnOwnerThread()) ApplyLocked();
}

void CQuitTimer::ApplyLocked() {
  if (m_hWnd == nullptr) return;
  if (m_nId != 0) {
    if (m_bSet && m_nAppliedStarts == m_nStarts) return;  // this start is carried out already
    m_pSystem->SetTimer(m_hWnd, kTimerId, m_nMilliseconds);
    m_bSet = true;
    m_nAppliedStarts = m_nStarts;
  } else if (m_bSet) {
    m_pSystem->KillTimer(m_hWnd, kTimerId);
    m_bSet = false;
  }
}

bool CQuitTimer::IsFiring(UINT_PTR id) const {
  std::lock_guard<std::mutex> guard(m_lock);
  return id == kTimerId && m_nId != 0 && m_bSet;
}
