// The rules of the guard around calls into the bidirectional library: how long a call may
// take, what counts as its crash, and when the library may be called, released and unloaded.
#include "printer/qvapi_call_rules.h"

#include <gtest/gtest.h>

namespace {

using namespace vgqvcall;

TEST(QvCallDeadline, OnePollIntervalWithinItsBounds) {
  EXPECT_EQ(DeadlineMs(10), 10000u);
  EXPECT_EQ(DeadlineMs(2), 2000u);
  EXPECT_EQ(DeadlineMs(300), 300000u);
  EXPECT_EQ(DeadlineMs(1), 2000u) << "a one-second poll still gives the library two";
  EXPECT_EQ(DeadlineMs(301), 300000u);
  EXPECT_EQ(DeadlineMs(999999999), 300000u);
  EXPECT_EQ(DeadlineMs(0), 10000u) << "unknown: the default interval";
  EXPECT_EQ(DeadlineMs(-1), 10000u) << "the timer export's 'no value'";
}

TEST(QvCallCrash, WarningsAndErrorsEndTheCallNoticesGoOn) {
  EXPECT_TRUE(IsCrash(0xC0000005));  // access violation
  EXPECT_TRUE(IsCrash(0xC000001D));  // illegal instruction
  EXPECT_TRUE(IsCrash(0xC0000094));  // integer division by zero
  EXPECT_TRUE(IsCrash(0xC00000FD));  // stack overflow
  EXPECT_TRUE(IsCrash(0xE06D7363));  // another compiler's C++ exception
  EXPECT_TRUE(IsCrash(0x80000003));  // a breakpoint left in
  EXPECT_FALSE(IsCrash(0x40010006));  // debugger output
  EXPECT_FALSE(IsCrash(0x406D1388));  // a thread's name for the debugger
  EXPECT_FALSE(IsCrash(0));
}

TEST(QvCallBook, AGivenUpCallHoldsTheLibraryUntilItComesBack) {
  CallBook book;
  EXPECT_EQ(book.Admit(), Refusal::kNone);

  book.GaveUp();
  book.GaveUp();  // two threads each gave one up
  EXPECT_EQ(book.Admit(), Refusal::kUnanswered);
  book.CameBackLate();
  EXPECT_EQ(book.Admit(), Refusal::kUnanswered) << "one is still out";
  book.CameBackLate();
  EXPECT_EQ(book.Admit(), Refusal::kNone);
  book.CameBackLate();
  EXPECT_EQ(book.Unanswered(), 0) << "never below none";
}

TEST(QvCallBook, ACrashIsForGood) {
  CallBook book;
  book.Crashed(0xC0000005);
  book.Crashed(0xC000001D);
  EXPECT_TRUE(book.HasCrashed());
  EXPECT_EQ(book.CrashCode(), 0xC0000005u) << "the first crash is the one told";
  EXPECT_EQ(book.Admit(), Refusal::kCrashed);

  // A crash outranks a call still out.
  CallBook late;
  late.GaveUp();
  late.Crashed(0xC0000005);
  late.CameBackLate();
  EXPECT_EQ(late.Admit(), Refusal::kCrashed);
}

}  // namespace
