// Channel choices of the printer library: candidate orders, first-record selection and the
// parallel-port allowance test.
#include "printer/channel_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint32_t> List(uint32_t (*candidate)(int)) {
  std::vector<uint32_t> list;
  for (int i = 0; candidate(i) != 0; ++i) list.push_back(candidate(i));
  return list;
}

TEST(ChannelCandidates, OrdersOfPreference) {
  EXPECT_EQ(List(vgchan::StatusThreadCandidate),
            (std::vector<uint32_t>{0x4, 0x10000005, 0x10010003}));
  EXPECT_EQ(List(vgchan::SessionStatusCandidate),
            (std::vector<uint32_t>{0x4, 0x10000005, 0x10010003, 0x10000003, 0x02000001}));
  EXPECT_EQ(List(vgchan::SessionDataCandidate),
            (std::vector<uint32_t>{0x10010003, 0x4, 0x10000003}));
  EXPECT_EQ(vgchan::StatusThreadCandidate(3), 0u);
  EXPECT_EQ(vgchan::StatusThreadCandidate(-1), 0u);
  EXPECT_EQ(vgchan::SessionStatusCandidate(99), 0u);
}

TEST(ChannelSelection, FirstRecordOfAChannelDecides) {
  const qvapi::ChannelRecord records[] = {{0x4, 0x0000}, {0x4, 0x0004}, {0x10000005, 0x8004}};
  EXPECT_EQ(vgchan::FindChannelRecord(records, 3, 0x4, 4), -2);
  EXPECT_EQ(vgchan::FindChannelRecord(records, 3, 0x4, 0), 0);
  EXPECT_EQ(vgchan::FindChannelRecord(records, 3, 0x10000005, 0x8004), 2);
  EXPECT_EQ(vgchan::FindChannelRecord(records, 3, 0x10000005, 0x0010), -2);
  EXPECT_EQ(vgchan::FindChannelRecord(records, 3, 0x10010003, 0), -1);
  EXPECT_EQ(vgchan::FindChannelRecord(records, 2, 0x10000005, 0), -1) << "count bounds the scan";
  EXPECT_EQ(vgchan::FindChannelRecord(nullptr, 3, 0x4, 0), -1);
}

TEST(ChannelSelection, ModeWordIsTheLowHalfOfTheSecondWord) {
  const qvapi::ChannelRecord records[] = {{0x4, 0xFFFF0000}};
  EXPECT_EQ(vgchan::FindChannelRecord(records, 1, 0x4, 4), -2);
}

TEST(ParallelPort, NeedsAnLptPortAndTheParallelChannel) {
  EXPECT_EQ(vgchan::IsLptStatusChannel("LPT1:", 0x10010003), 1);
  EXPECT_EQ(vgchan::IsLptStatusChannel("\\\\server\\lpt", 0x10010003), 1);
  EXPECT_EQ(vgchan::IsLptStatusChannel("Lpt1:", 0x10010003), 0);
  EXPECT_EQ(vgchan::IsLptStatusChannel("USB001", 0x10010003), 0);
  EXPECT_EQ(vgchan::IsLptStatusChannel("LPT1:", 0x10000005), 0);
}

}  // namespace
