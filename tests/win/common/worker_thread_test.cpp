// The worker thread that the monitor's poller and the printer status threads run on: a stop
// request ends its sleeps at once, it is joined once, and nothing it throws leaves it.
#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <string>

#include "common/debug_log_win.h"
#include "common/exception_guard_win.h"
#include "common/unique_handle.h"
#include "common/worker_thread_win.h"
#include "support/win_test_support.h"

namespace {

TEST(WorkerThread, AStopRequestEndsALongSleepAtOnce) {
  CWorkerThread worker;
  ScopedHandle sleeping(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  std::atomic<int> slept{-1};
  ASSERT_TRUE(worker.Start("test worker", [&] {
    ::SetEvent(sleeping.Get());
    slept = worker.Sleep(600000) ? 1 : 0;
  }));
  EXPECT_TRUE(worker.IsActive());
  ASSERT_EQ(::WaitForSingleObject(sleeping.Get(), 10000), WAIT_OBJECT_0);
  const DWORD start = ::GetTickCount();
  worker.RequestStop();
  EXPECT_FALSE(worker.IsActive()) << "stopping";
  EXPECT_TRUE(worker.Joinable());
  worker.Join();
  EXPECT_LT(::GetTickCount() - start, 10000u) << "the ten-minute sleep ended early";
  EXPECT_EQ(slept.load(), 0) << "the sleep reports the stop";
  EXPECT_FALSE(worker.Joinable());
  EXPECT_FALSE(worker.Sleep(0)) << "asked to stop: no more sleeping";
}

TEST(WorkerThread, AWaitEndsWithItsObjectOrWithTheStop) {
  CWorkerThread worker;
  ScopedHandle ready(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ScopedHandle never(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  std::atomic<int> first{-1};
  std::atomic<int> second{-1};
  ASSERT_TRUE(worker.Start("test worker", [&] {
    first = worker.WaitFor(ready.Get(), INFINITE) ? 1 : 0;
    second = worker.WaitFor(never.Get(), INFINITE) ? 1 : 0;
  }));
  ::SetEvent(ready.Get());
  // The second wait can only end by the stop.
  for (int i = 0; i < 1000 && first.load() < 0; ++i) ::Sleep(10);
  worker.RequestStop();
  worker.Join();
  EXPECT_EQ(first.load(), 1);
  EXPECT_EQ(second.load(), 0);
}

TEST(WorkerThread, OneThreadAtATimeUntilJoined) {
  CWorkerThread worker;
  ScopedHandle go(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  std::atomic<int> runs{0};
  ASSERT_TRUE(worker.Start("test worker", [&] {
    ::WaitForSingleObject(go.Get(), INFINITE);
    ++runs;
  }));
  EXPECT_FALSE(worker.Start("test worker", [&] { ++runs; })) << "one is running";
  ::SetEvent(go.Get());
  for (int i = 0; i < 1000 && runs.load() == 0; ++i) ::Sleep(10);
  // Finished on its own but not joined: still held, so still refused.
  EXPECT_TRUE(worker.IsActive());
  EXPECT_FALSE(worker.Start("test worker", [&] { ++runs; }));
  worker.Join();
  EXPECT_EQ(runs.load(), 1);
  ASSERT_TRUE(worker.Start("test worker", [&] { ++runs; })) << "joined: it starts again";
  EXPECT_TRUE(worker.IsActive()) << "a new start clears the earlier stop";
  worker.Join();
  EXPECT_EQ(runs.load(), 2);
  EXPECT_FALSE(worker.Start("test worker", nullptr)) << "nothing to run";
  worker.Join();  // nothing held: nothing happens
}

TEST(WorkerThread, TheOwnersEndStopsAndJoins) {
  std::atomic<bool> ended{false};
  {
    CWorkerThread worker;
    ASSERT_TRUE(worker.Start("test worker", [&] {
      while (worker.Sleep(600000)) {
      }
      ended = true;
    }));
  }
  EXPECT_TRUE(ended.load());
}

// An exception in the body ends the thread quietly with one log line; the process goes on.
TEST(WorkerThread, AnExceptionEndsTheBodyWithALogLine) {
  VgTraceEnable(true);
  const std::string logPath = VgLogPath();
  const size_t offset = vgtest::FileSize(logPath);
  CWorkerThread worker;
  ASSERT_TRUE(worker.Start("CTestWorker::Run", [] { throw std::bad_alloc(); }));
  worker.Join();
  VgTraceEnable(false);
  const auto lines = vgtest::LogLinesOf(logPath, ::GetCurrentProcessId(), 4, offset);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("CTestWorker::Run : exception caught : std::bad_alloc"),
            std::string::npos)
      << lines[0];
}

TEST(ExceptionGuard, AThrowingBodyGivesTheFailureResultAndALogLine) {
  VgTraceEnable(true);
  const std::string logPath = VgLogPath();
  const size_t offset = vgtest::FileSize(logPath);
  EXPECT_EQ(vg::Guarded("PrTest()", -1, [] { return 7; }), 7);
  EXPECT_EQ(vg::Guarded("PrTest()", -1, []() -> int { throw std::runtime_error("broken"); }),
            -1);
  EXPECT_EQ(vg::Guarded("PrOther()", 1, []() -> int { throw 42; }), 1);
  bool ran = false;
  vg::Guarded("Proc", [&] { ran = true; });
  EXPECT_TRUE(ran);
  VgTraceEnable(false);
  const auto lines = vgtest::LogLinesOf(logPath, ::GetCurrentProcessId(), 4, offset);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("PrTest() : exception caught : broken"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("PrOther() : exception caught : unknown"), std::string::npos)
      << lines[1];
}

}  // namespace
