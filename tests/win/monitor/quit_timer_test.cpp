// The monitor's quit timer: requested from the worker or the window thread, carried out by the
// system only on the window's own thread, as the system demands of a window's timers.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "monitor/quit_timer_win.h"

namespace {

// Records the system calls and the thread that made each; posts for real.
class RecordingSystem : public CQuitTimer::System {
 public:
  struct Call {
    std::string what;
    DWORD thread;
    UINT milliseconds;
  };
  void SetTimer(HWND, UINT_PTR id, UINT milliseconds) override {
    Record("set " + std::to_string(id), milliseconds);
  }
  void KillTimer(HWND, UINT_PTR id) override { Record("kill " + std::to_string(id), 0); }
  void Post(HWND window, UINT message) override { ::PostMessageA(window, message, 0, 0); }

  std::vector<Call> Calls() const {
    std::lock_guard<std::mutex> guard(lock_);
    return calls_;
  }

 private:
  void Record(const std::string& what, UINT milliseconds) {
    std::lock_guard<std::mutex> guard(lock_);
    calls_.push_back({what, ::GetCurrentThreadId(), milliseconds});
  }
  mutable std::mutex lock_;
  std::vector<Call> calls_;
};

// A window of the test's thread that hands the posted requests to the timer, as the monitor's
// window does.
class TimerWindow {
 public:
  explicit TimerWindow(CQuitTimer& timer) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &TimerWindow::Proc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VgQuitTimerTestWindow";
    ::RegisterClassA(&windowClass);
    window_ = ::CreateWindowExA(0, "VgQuitTimerTestWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, ::GetModuleHandleA(nullptr), &timer);
    timer.Attach(window_);
  }
  ~TimerWindow() { ::DestroyWindow(window_); }
  // Handles this thread's messages until none is left.
  void Pump() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      ::SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* timer = reinterpret_cast<CQuitTimer*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == CQuitTimer::kApplyMessage && timer != nullptr) {
      timer->Apply();
      return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
};

TEST(QuitTimer, RequestsOfTheWorkerAreCarriedOutOnTheWindowsThread) {
  RecordingSystem system;
  CQuitTimer timer(&system);
  TimerWindow window(timer);
  const DWORD windowThread = ::GetCurrentThreadId();

  std::thread worker([&] {
    timer.Start(5);
    EXPECT_TRUE(timer.Running()) << "the worker sees its own request at once";
    EXPECT_EQ(timer.Id(), CQuitTimer::kTimerId);
  });
  worker.join();
  window.Pump();
  std::vector<RecordingSystem::Call> calls = system.Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].what, "set 9");
  EXPECT_EQ(calls[0].milliseconds, 5000u);
  EXPECT_EQ(calls[0].thread, windowThread);
  EXPECT_TRUE(timer.IsFiring(9));
  EXPECT_FALSE(timer.IsFiring(3)) << "another timer of the window";

  std::thread stopper([&] {
    timer.Stop();
    EXPECT_FALSE(timer.Running());
  });
  stopper.join();
  EXPECT_FALSE(timer.IsFiring(9)) << "a firing that overtook the stop does not count";
  window.Pump();
  calls = system.Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].what, "kill 9");
  EXPECT_EQ(calls[1].thread, windowThread);
}

TEST(QuitTimer, EachStartIsCarriedOutOnceAndAStopBeforeItCancelsIt) {
  RecordingSystem system;
  CQuitTimer timer(&system);
  TimerWindow window(timer);

  std::thread worker([&] {
    timer.Start(2);
    timer.Stop();  // before the window thread got to it
    timer.Start(3);
    timer.Start(4);
  });
  worker.join();
  window.Pump();
  std::vector<RecordingSystem::Call> calls = system.Calls();
  ASSERT_EQ(calls.size(), 1u) << "only the last request counts";
  EXPECT_EQ(calls[0].what, "set 9");
  EXPECT_EQ(calls[0].milliseconds, 4000u);

  std::thread worker2([&] {
    timer.Start(4);
    timer.Stop();
  });
  worker2.join();
  window.Pump();
  calls = system.Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].what, "kill 9");
}

// The window's own thread (a restart request, the window's destruction) acts at once.
TEST(QuitTimer, TheWindowsThreadActsAtOnce) {
  RecordingSystem system;
  CQuitTimer timer(&system);
  TimerWindow window(timer);
  timer.Stop();
  EXPECT_TRUE(system.Calls().empty()) << "nothing runs: nothing to kill";
  timer.Start(1);
  timer.Start(7);  // a restart: the period starts over
  timer.Stop();
  const std::vector<RecordingSystem::Call> calls = system.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].milliseconds, 1000u);
  EXPECT_EQ(calls[1].what, "set 9");
  EXPECT_EQ(calls[1].milliseconds, 7000u);
  EXPECT_EQ(calls[2].what, "kill 9");
}

}  // namespace
