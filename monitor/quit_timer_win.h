#pragma once
// The monitor's quit timer (identifier 9 on its main window). The worker starts and stops it
// and the window thread restarts it, but the system sets and kills a window's timer only on
// the thread that owns the window: a request from another thread is noted at once (Running
// answers it) and carried out when the owner handles the posted message kApplyMessage.
#include <mutex>

#include "common/win.h"
#include "common/window_messages.h"

class CQuitTimer {
 public:
  static constexpr UINT_PTR kTimerId = 9;
  // Posted to the window: its thread carries out the last request (Apply).
  static constexpr UINT kApplyMessage = WM_APPLY_QUIT_TIMER;

  // How requests reach the system; the real calls unless a test hands its own.
  class System {
   public:
    virtual ~System() = default;
    virtual void SetTimer(HWND window, UINT_PTR id, UINT milliseconds) = 0;
    virtual void KillTimer(HWND window, UINT_PTR id) = 0;
    virtual void Post(HWND window, UINT message) = 0;
  };

  explicit CQuitTimer(System* system = nullptr);
  CQuitTimer(const CQuitTimer&) = delete;
  CQuitTimer& operator=(const CQuitTimer&) = delete;

  // On the window's own thread, once the window exists.
  void Attach(HWND window);

  // The identifier of the running quit timer, 0 when none runs.
  UINT_PTR Id() const;
  bool Running() const { return Id() != 0; }
  // From any thread: the timer runs with this period from now on (a running one starts over).
  void Start(int seconds);
  // From any thread: the timer no longer runs.
  void Stop();

  // On the window's thread, for kApplyMessage: the system timer follows the last request.
  void Apply();
  // On the window's thread, for WM_TIMER: true when the firing is the running quit timer's
  // (a firing that overtook a stop does not count).
  bool IsFiring(UINT_PTR id) const;

 private:
  bool OnOwnerThread() const;
  void ApplyLocked();

  System* m_pSystem;
  mutable std::mutex m_lock;
  HWND m_hWnd = nullptr;
  DWORD m_dwOwnerThread = 0;
  // The request: running or not, its period, and a count of starts so that each start is
  // carried out once.
  UINT_PTR m_nId = 0;
  UINT m_nMilliseconds = 0;
  unsigned m_nStarts = 0;
  // What the system holds.
  bool m_bSet = false;
  unsigned m_nAppliedStarts = 0;
};
