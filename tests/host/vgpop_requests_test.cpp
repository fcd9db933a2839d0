// The pop-up program's reading of its starts and of the monitor's hand-off blocks, and when it
// may end.
#include <gtest/gtest.h>

#include <string>

#include "tools/vgpop/popup_requests.h"

namespace {

using vgpop::Action;

TEST(PopupStart, UserMonitorJobAndRequest) {
  EXPECT_EQ(vgpop::ActionOfStart("Office", ""), Action::kShowDetail);
  EXPECT_EQ(vgpop::ActionOfStart("Office", "42"), Action::kShowDetail)
      << "a user's printer name wins";
  EXPECT_EQ(vgpop::ActionOfStart("", "42"), Action::kBackground) << "a job's start";
  EXPECT_EQ(vgpop::ActionOfStart("", ""), Action::kShowPopup) << "the monitor's request";
  EXPECT_TRUE(vgpop::IsViewOption("VIEW"));
  EXPECT_TRUE(vgpop::IsViewOption("view"));
  EXPECT_FALSE(vgpop::IsViewOption("V"));
  EXPECT_FALSE(vgpop::IsViewOption("VIEWS"));
}

TEST(PopupBlocks, ANewJobWaitsAndItsRequestsShow) {
  vgpop::JobMemory jobs;
  jobs.Note("42");  // the job the program was started for
  EXPECT_EQ(jobs.ActionOfBlock(2, ""), Action::kShowPopup)
      << "the monitor handed the job over once and asks without it";
  EXPECT_EQ(jobs.ActionOfBlock(2, "42"), Action::kShowPopup)
      << "a monitor that never handed its job over asks with it";
  EXPECT_EQ(jobs.ActionOfBlock(2, "43"), Action::kBackground) << "a second job";
  EXPECT_TRUE(jobs.Knows("43"));
  EXPECT_EQ(jobs.ActionOfBlock(2, "43"), Action::kShowPopup) << "that job's own request";
  EXPECT_EQ(jobs.ActionOfBlock(7, ""), Action::kIgnore) << "a block for the library";
  EXPECT_EQ(jobs.ActionOfBlock(0, "44"), Action::kIgnore);
  EXPECT_FALSE(jobs.Knows("44")) << "an ignored block teaches nothing";
}

TEST(PopupBlocks, TheMemoryOfJobsIsBounded) {
  vgpop::JobMemory jobs;
  jobs.Note("");
  EXPECT_FALSE(jobs.Knows("")) << "an empty id is no job";
  for (size_t i = 0; i < vgpop::JobMemory::kKeptJobs + 1; ++i) jobs.Note(std::to_string(i));
  EXPECT_FALSE(jobs.Knows("0")) << "the oldest goes";
  EXPECT_TRUE(jobs.Knows("1"));
  EXPECT_TRUE(jobs.Knows(std::to_string(vgpop::JobMemory::kKeptJobs)));
  jobs.Note("1");  // known: not kept twice
  jobs.Note("new");
  EXPECT_TRUE(jobs.Knows("2")) << "a repeated note took no place";
}

TEST(PopupEnd, OnlyWhenTheMonitorIsGoneAndNothingShows) {
  EXPECT_TRUE(vgpop::ShouldEnd(false, false, false));
  EXPECT_FALSE(vgpop::ShouldEnd(true, false, false)) << "the job may still need the user";
  EXPECT_FALSE(vgpop::ShouldEnd(false, true, false)) << "the user reads the window";
  EXPECT_FALSE(vgpop::ShouldEnd(false, false, true)) << "a request waits";
}

}  // namespace
