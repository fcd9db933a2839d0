// The guard around calls into the bidirectional library: a crash inside a call ends that call
// and no other, a call that does not come back in time is given up without the caller
// waiting longer, and the library is left alone until it is fit to be called again.
#include <gtest/gtest.h>

#include <intrin.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "common/unique_handle.h"
#include "common/win.h"
#include "printer/qvapi_call_guard_win.h"
#include "printer/qvapi_call_signal_win.h"
#include "printer/qvapi_fault_trap_win.h"
#include "support/process_output.h"
#include "support/qvsim_library.h"
#include "support/win_test_support.h"

namespace {

// Stand-ins for calls into another maker's library, each failing in one way.
int32_t ReturnsSeven(void*) { return 7; }

int32_t WritesToAnUnmappedPage(void* context) {
  volatile uintptr_t address = reinterpret_cast<uintptr_t>(context);
  *reinterpret_cast<volatile int32_t*>(address) = 1;
  return 0;
}

int32_t DividesByZero(void* context) {
  volatile int divisor = *static_cast<int*>(context);
  return 100 / divisor;
}

int32_t RaisesAForeignCppException(void*) {
  ::RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  return 0;
}

// A library that probes a pointer and handles the fault itself: the guard never sees it.
int32_t ProbesABadPointerItself(void*) {
  return ::IsBadReadPtr(reinterpret_cast<const void*>(0x10), 4) ? 42 : 0;
}

// The trap inside the trap: a crash in an inner guarded call leaves the outer frame working.
int32_t CrashesInsideAnInnerTrap(void*) {
  int32_t inner = -1;
  const DWORD code =
      vgtrap::RunTrapped(&WritesToAnUnmappedPage, reinterpret_cast<void*>(0x20), &inner);
  return code == EXCEPTION_ACCESS_VIOLATION ? 5 : 0;
}

DWORD ChainHead() { return __readfsdword(0); }

TEST(QvApiFaultTrap, ACrashEndsOnlyTheCallAndLeavesTheChainWhole) {
  const DWORD head = ChainHead();
  int32_t result = -99;
  EXPECT_EQ(vgtrap::RunTrapped(&ReturnsSeven, nullptr, &result), 0u);
  EXPECT_EQ(result, 7);

  result = -99;
  EXPECT_EQ(vgtrap::RunTrapped(&WritesToAnUnmappedPage, reinterpret_cast<void*>(0x10), &result),
            static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  EXPECT_EQ(result, -99) << "a crashed call leaves the result alone";
  EXPECT_EQ(ChainHead(), head) << "the exception chain is as it was";

  int zero = 0;
  EXPECT_EQ(vgtrap::RunTrapped(&DividesByZero, &zero, &result),
            static_cast<DWORD>(EXCEPTION_INT_DIVIDE_BY_ZERO));
  EXPECT_EQ(vgtrap::RunTrapped(&RaisesAForeignCppException, nullptr, &result), 0xE06D7363u);
  EXPECT_EQ(ChainHead(), head);

  // Nested traps, and the thread's own structured handling afterwards.
  EXPECT_EQ(vgtrap::RunTrapped(&CrashesInsideAnInnerTrap, nullptr, &result), 0u);
  EXPECT_EQ(result, 5);
  EXPECT_TRUE(::IsBadReadPtr(reinterpret_cast<const void*>(0x10), 4));
  EXPECT_EQ(ChainHead(), head);
}

TEST(QvApiFaultTrap, FaultsTheLibraryHandlesItselfAreNotItsCrash) {
  int32_t result = -1;
  EXPECT_EQ(vgtrap::RunTrapped(&ProbesABadPointerItself, nullptr, &result), 0u);
  EXPECT_EQ(result, 42);
}

// The same on other threads, many times: the handler runs on the crashing thread's own stack.
TEST(QvApiFaultTrap, CrashesOnSeveralThreadsAtOnce) {
  std::atomic<int> caught{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&caught] {
      for (int i = 0; i < 50; ++i) {
        int32_t result = 0;
        if (vgtrap::RunTrapped(&WritesToAnUnmappedPage, reinterpret_cast<void*>(0x10), &result) ==
            EXCEPTION_ACCESS_VIOLATION) {
          ++caught;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(caught.load(), 200);
}

// Both kinds of the guard's wake-up: a Set is kept for the next Wait, one Set wakes one Wait,
// Reset forgets it, and a Wait without one ends when its time is up.
TEST(QvCallSignal, WakesOneWaitAndKeepsASetForTheNext) {
  for (CCallSignal::Kind kind : {CCallSignal::Kind::kBest, CCallSignal::Kind::kEvent}) {
    SCOPED_TRACE(kind == CCallSignal::Kind::kBest ? "best" : "event");
    CCallSignal signal(kind);
    ASSERT_TRUE(signal.IsValid());
    EXPECT_FALSE(signal.Wait(30)) << "nothing set";
    signal.Set();
    EXPECT_TRUE(signal.Wait(0)) << "kept for the next wait";
    EXPECT_FALSE(signal.Wait(0)) << "taken by it";
    signal.Set();
    signal.Reset();
    EXPECT_FALSE(signal.Wait(0));

    std::atomic<bool> woke{false};
    std::thread waiter([&] { woke = signal.Wait(INFINITE); });
    ::Sleep(20);
    signal.Set();
    waiter.join();
    EXPECT_TRUE(woke.load());
  }
}

// A call that blocks until the test lets it go.
struct Gate {
  Gate() : open(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Gate() { Open(); }
  void Open() { ::SetEvent(open.Get()); }
  std::function<int32_t()> Call(int32_t result) {
    HANDLE event = open.Get();
    return [event, result] {
      ::WaitForSingleObject(event, INFINITE);
      return result;
    };
  }
  ScopedHandle open;
};

class QvCallGuardTest : public ::testing::Test {
 protected:
  void SetUp() override { guard_.SetPollSeconds(2); }
  void TearDown() override {
    gate_.Open();
    // Given-up calls come back once the gate is open; then every thread is idle.
    for (int i = 0; i < 200 && guard_.Unanswered() > 0; ++i) ::Sleep(20);
    guard_.EndIdleThreads();
  }

  Gate gate_;
  CQvCallGuard guard_;
};

TEST_F(QvCallGuardTest, AnsweredCallsGiveTheirResult) {
  bool answered = false;
  EXPECT_EQ(guard_.Call("QVGetStatus", [] { return -5; }, &answered), -5);
  EXPECT_TRUE(answered);
  EXPECT_EQ(guard_.Call("QVGetStatus", [] { return 16; }, &answered), 16);
  EXPECT_TRUE(guard_.Admits());
  EXPECT_EQ(guard_.DeadlineMs(), 2000u);
}

TEST_F(QvCallGuardTest, ACallThatDoesNotComeBackIsGivenUpAndBlocksTheLibraryUntilItDoes) {
  bool answered = true;
  EXPECT_EQ(guard_.Call("QVGetStatus", gate_.Call(16), &answered), vgqvcall::kNoAnswer);
  EXPECT_FALSE(answered);
  EXPECT_EQ(guard_.Unanswered(), 1);
  EXPECT_FALSE(guard_.Admits()) << "its code still runs";

  // The library may be stuck: nothing else goes in, and nothing waits.
  std::atomic<bool> ran{false};
  EXPECT_EQ(guard_.Call("QVGetStatus",
                        [&ran] {
                          ran = true;
                          return 1;
                        },
                        &answered),
            vgqvcall::kNoAnswer);
  EXPECT_FALSE(answered);
  EXPECT_FALSE(ran.load());

  gate_.Open();
  for (int i = 0; i < 250 && guard_.Unanswered() > 0; ++i) ::Sleep(20);
  ASSERT_EQ(guard_.Unanswered(), 0) << "the late call came back";
  EXPECT_TRUE(guard_.Admits());
  EXPECT_EQ(guard_.Call("QVGetStatus", [] { return 3; }, &answered), 3) << "and calls go in again";
  EXPECT_TRUE(answered);
}

TEST_F(QvCallGuardTest, ACrashedLibraryIsNotCalledAgain) {
  bool answered = true;
  EXPECT_EQ(guard_.Call("QVGetDeviceID",
                        [] { return WritesToAnUnmappedPage(reinterpret_cast<void*>(0x10)); },
                        &answered),
            vgqvcall::kNoAnswer);
  EXPECT_FALSE(answered);
  EXPECT_TRUE(guard_.HasCrashed());
  EXPECT_FALSE(guard_.Admits()) << "neither released nor unloaded";

  std::atomic<bool> ran{false};
  EXPECT_EQ(guard_.Call("QVGetStatus",
                        [&ran] {
                          ran = true;
                          return 1;
                        },
                        &answered),
            vgqvcall::kNoAnswer);
  EXPECT_FALSE(ran.load());
}

// A crash after the caller gave up still counts: the library is left alone from then on.
TEST_F(QvCallGuardTest, ACrashAfterTheCallWasGivenUpStillCounts) {
  HANDLE event = gate_.open.Get();
  EXPECT_EQ(guard_.Call("QVGetStatus",
                        [event] {
                          ::WaitForSingleObject(event, INFINITE);
                          return WritesToAnUnmappedPage(reinterpret_cast<void*>(0x10));
                        }),
            vgqvcall::kNoAnswer);
  gate_.Open();
  for (int i = 0; i < 250 && guard_.Unanswered() > 0; ++i) ::Sleep(20);
  EXPECT_EQ(guard_.Unanswered(), 0);
  EXPECT_TRUE(guard_.HasCrashed());
  EXPECT_FALSE(guard_.Admits());
}

// Calls from two threads run side by side, as they did without the guard: one may wait for
// what the other does (a cancel for a pending read).
TEST_F(QvCallGuardTest, CallsOfSeveralThreadsRunSideBySide) {
  ScopedHandle entered(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  HANDLE enteredEvent = entered.Get();
  HANDLE gate = gate_.open.Get();
  std::atomic<int32_t> first{0};
  std::thread reader([this, &first, enteredEvent, gate] {
    first = guard_.Call("QVGetStatus", [enteredEvent, gate] {
      ::SetEvent(enteredEvent);
      ::WaitForSingleObject(gate, INFINITE);
      return 11;
    });
  });
  // While the first call waits inside the library, the second one opens its gate.
  ASSERT_EQ(::WaitForSingleObject(entered.Get(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(guard_.Call("QVReceiveCancel",
                        [gate] {
                          ::SetEvent(gate);
                          return 0;
                        }),
            0);
  reader.join();
  EXPECT_EQ(first.load(), 11) << "the first call came back in time";
  EXPECT_EQ(guard_.Unanswered(), 0);
}

// What a given-up call writes stays its own: the caller's memory may be gone by then.
TEST_F(QvCallGuardTest, AGivenUpCallWorksOnItsOwnCopies) {
  auto copy = std::make_shared<std::vector<char>>(16, 'a');
  HANDLE event = gate_.open.Get();
  EXPECT_EQ(guard_.Call("QVGetStatus",
                        [copy, event] {
                          ::WaitForSingleObject(event, INFINITE);
                          (*copy)[0] = 'z';
                          return 16;
                        }),
            vgqvcall::kNoAnswer);
  EXPECT_EQ((*copy)[0], 'a');
  gate_.Open();
  for (int i = 0; i < 250 && guard_.Unanswered() > 0; ++i) ::Sleep(20);
  EXPECT_EQ((*copy)[0], 'z') << "the late call wrote into what it shares with nobody";
}

// The simulated printer's crash and hang, met through the guard as the binding meets them.
class GuardedSimulatedPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib_.Load());
    name_ = vgtest::UniqueName("Guarded Printer");
    ASSERT_EQ(Ctl("channels", "0x10000005:4").exitCode, 0u);
    ASSERT_EQ(Ctl("reply", "\"@BDC ST\\r\\nST:04;\\f\"").exitCode, 0u);
    handle_ = lib_.QVOpenChannel(qvapi::kKindPrinter, name_.c_str(), qvapi::kChannel10000005);
    ASSERT_GT(handle_, 0);
    guard_.SetPollSeconds(2);
  }
  void TearDown() override {
    Ctl("reset");  // ends a blocked call
    for (int i = 0; i < 250 && guard_.Unanswered() > 0; ++i) ::Sleep(20);
    guard_.EndIdleThreads();
  }

  vgtest::CapturedRun Ctl(const std::string& command, const std::string& arguments = "") {
    return vgtest::RunCaptured("qvsimctl.exe", command + " " + vgtest::QuoteArgument(name_) +
                                                   (arguments.empty() ? "" : " " + arguments));
  }
  // The first call of a status read, as the binding makes it: on the call's own size.
  std::function<int32_t()> SizeQuery() const {
    const PFN_QVGetStatus getStatus = lib_.QVGetStatus;
    const int32_t handle = handle_;
    return [getStatus, handle] {
      int32_t size = 0;
      return getStatus(handle, nullptr, &size);
    };
  }

  vgtest::QvSimLibrary lib_;
  std::string name_;
  int32_t handle_ = 0;
  CQvCallGuard guard_;
};

TEST_F(GuardedSimulatedPrinterTest, ItsAccessViolationEndsTheCallAndTheLibrarysUse) {
  ASSERT_EQ(Ctl("crash", "QVGetStatus 1").exitCode, 0u);
  bool answered = true;
  EXPECT_EQ(guard_.Call("QVGetStatus", SizeQuery(), &answered), vgqvcall::kNoAnswer);
  EXPECT_FALSE(answered);
  EXPECT_TRUE(guard_.HasCrashed());
  const vgtest::CapturedRun calls = Ctl("calls");
  EXPECT_EQ(calls.exitCode, 0u) << "the simulator's lock was not left held";
  EXPECT_NE(calls.output.find("QVGetStatus(handle=" + std::to_string(handle_) +
                              ", buffer=null, size=0) = crash; access violation raised"),
            std::string::npos)
      << calls.output;
  EXPECT_EQ(guard_.Call("QVGetStatus", SizeQuery()), vgqvcall::kNoAnswer)
      << "not called again, though the printer would answer now";
  EXPECT_EQ(lib_.ReadStatus(handle_).first, qvapi::kBufferTooSmall);
}

TEST_F(GuardedSimulatedPrinterTest, ItsHangIsGivenUpAndTheLibraryUsedAgainOnceReleased) {
  ASSERT_EQ(Ctl("hang", "QVGetStatus forever 1").exitCode, 0u);
  EXPECT_EQ(guard_.Call("QVGetStatus", SizeQuery()), vgqvcall::kNoAnswer);
  EXPECT_EQ(guard_.Unanswered(), 1);
  EXPECT_EQ(guard_.Call("QVGetStatus", SizeQuery()), vgqvcall::kNoAnswer) << "refused at once";
  ASSERT_EQ(Ctl("release").exitCode, 0u);
  for (int i = 0; i < 250 && guard_.Unanswered() > 0; ++i) ::Sleep(20);
  EXPECT_EQ(guard_.Unanswered(), 0);
  EXPECT_EQ(guard_.Call("QVGetStatus", SizeQuery()), qvapi::kBufferTooSmall);
  const std::string log = Ctl("calls").output;
  EXPECT_NE(log.find("= blocked; until released"), std::string::npos) << log;
}

}  // namespace
