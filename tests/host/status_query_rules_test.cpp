// The status query's decisions: what a status read's result leads to, the allowance of busy
// parallel ports, and the quiet repetition of a "printing" status.
#include "printer/status_query_rules.h"

#include <gtest/gtest.h>

namespace {

using vgquery::BusyAllowance;
using vgquery::ClassifyStatusRead;
using vgquery::ReadOutcome;

TEST(StatusRead, ResultsOfTheFirstAndSecondRead) {
  int count = 0;
  const BusyAllowance none{0, false, &count};
  EXPECT_EQ(ClassifyStatusRead(0, true, none), ReadOutcome::kNothing);
  EXPECT_EQ(ClassifyStatusRead(0, false, none), ReadOutcome::kNothing);
  EXPECT_EQ(ClassifyStatusRead(-17, true, none), ReadOutcome::kFailure);
  EXPECT_EQ(ClassifyStatusRead(-17, false, none), ReadOutcome::kFailure);
  EXPECT_EQ(ClassifyStatusRead(-4, true, none), ReadOutcome::kContinue);
  EXPECT_EQ(ClassifyStatusRead(-4, false, none), ReadOutcome::kSubstitute)
      << "a buffer too small on the read itself is a failed read";
  EXPECT_EQ(ClassifyStatusRead(16, true, none), ReadOutcome::kContinue);
  EXPECT_EQ(ClassifyStatusRead(16, false, none), ReadOutcome::kContinue);
  for (int code : {-1, -2, -3, -6, -18, INT32_MIN}) {
    EXPECT_EQ(ClassifyStatusRead(code, true, none), ReadOutcome::kSubstitute) << code;
    EXPECT_EQ(ClassifyStatusRead(code, false, none), ReadOutcome::kSubstitute) << code;
  }
  EXPECT_EQ(count, 0);
}

TEST(StatusRead, BusyParallelPortIsToleratedUpToTheAllowance) {
  int count = 0;
  const BusyAllowance lpt{3, true, &count};
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(ClassifyStatusRead(-5, true, lpt), ReadOutcome::kFailure) << i;
    EXPECT_EQ(count, i);
  }
  EXPECT_EQ(ClassifyStatusRead(-5, true, lpt), ReadOutcome::kSubstitute);
  EXPECT_EQ(ClassifyStatusRead(-5, false, lpt), ReadOutcome::kSubstitute);
  EXPECT_EQ(count, 3) << "the count stops at the allowance";

  count = 0;
  EXPECT_EQ(ClassifyStatusRead(-5, false, lpt), ReadOutcome::kFailure) << "second read alike";

  count = 0;
  EXPECT_EQ(ClassifyStatusRead(-5, true, BusyAllowance{3, false, &count}),
            ReadOutcome::kSubstitute) << "not a parallel-port status channel";
  EXPECT_EQ(ClassifyStatusRead(-5, true, BusyAllowance{0, true, &count}),
            ReadOutcome::kSubstitute) << "no allowance";
  EXPECT_EQ(ClassifyStatusRead(-5, true, BusyAllowance{3, true, nullptr}),
            ReadOutcome::kSubstitute);
  EXPECT_EQ(count, 0);
}

TEST(StatusNotify, OnlyARepeatedPrintingStatusStaysQuiet) {
  using vgquery::IsRepeatedPrintingStatus;
  EXPECT_TRUE(IsRepeatedPrintingStatus(1, 13, 40, 40));
  EXPECT_FALSE(IsRepeatedPrintingStatus(1, 13, 40, 41)) << "a new status is told";
  EXPECT_FALSE(IsRepeatedPrintingStatus(2, 13, 40, 40)) << "state 3 replies are told";
  EXPECT_FALSE(IsRepeatedPrintingStatus(0, 13, 40, 40));
  EXPECT_FALSE(IsRepeatedPrintingStatus(1, 12, 40, 40)) << "only the printing class";
}

}  // namespace
