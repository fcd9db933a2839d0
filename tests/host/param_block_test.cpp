// The bytes of the hand-off block and the pop-up program's command lines, as the receiving
// programs read them.
#include "monitor/param_block.h"

#include <gtest/gtest.h>

#include <string>

#include "monitor/spooler_job_rules.h"
#include "common/device_id.h"

namespace {

uint32_t Get32(const std::vector<uint8_t>& block, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | block[offset + static_cast<size_t>(i)];
  return value;
}

TEST(ParamBlock, MonitorBlockLayout) {
  const auto block = vgmon::BuildMonitorParamBlock(vgmon::kCodeToPopup, "1234", "kvm text");
  ASSERT_EQ(block.size(), 593u);
  EXPECT_EQ(Get32(block, 0), 593u);
  EXPECT_EQ(Get32(block, 4), 40u);
  EXPECT_EQ(Get32(block, 8), 32u);
  EXPECT_EQ(Get32(block, 12), 260u);
  EXPECT_EQ(Get32(block, 16), 2u);
  EXPECT_EQ(Get32(block, 20), 1u);
  for (size_t i = 24; i < 40; ++i) EXPECT_EQ(block[i], 0) << i;
  // Directory: offset, length with the zero, type, zero.
  EXPECT_EQ(Get32(block, 40), 73u);
  EXPECT_EQ(Get32(block, 44), 5u);
  EXPECT_EQ(Get32(block, 48), 10u);
  EXPECT_EQ(Get32(block, 52), 0u);
  EXPECT_EQ(Get32(block, 56), 333u);
  EXPECT_EQ(Get32(block, 60), 9u);
  EXPECT_EQ(Get32(block, 64), 11u);
  EXPECT_EQ(block[72], 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[73])), "1234");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[333])), "kvm text");
  EXPECT_EQ(block[592], 0);
}

TEST(ParamBlock, EmptyJobIdStillHasItsItemAndLongTextsAreCut) {
  const auto block =
      vgmon::BuildMonitorParamBlock(vgmon::kCodeToLibrary, "", std::string(400, 'k'));
  EXPECT_EQ(block[72], 7);
  EXPECT_EQ(Get32(block, 40), 73u);
  EXPECT_EQ(Get32(block, 44), 1u) << "just the terminating zero";
  EXPECT_EQ(Get32(block, 60), 260u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[333])), std::string(259, 'k'));
}

void Put32(std::vector<uint8_t>& block, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) block[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(ParamBlockReader, ReadsWhatTheMonitorBuilds) {
  const auto block = vgmon::BuildMonitorParamBlock(vgmon::kCodeToPopup, "1234", "kvm text");
  const auto view = vgmon::ReadParamBlock(block.data(), block.size());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->Code(), vgmon::kCodeToPopup);
  EXPECT_EQ(view->Item(vgmon::kItemJobId), "1234");
  EXPECT_EQ(view->Item(vgmon::kItemKvm), "kvm text");
  EXPECT_EQ(view->items.size(), 2u);
  EXPECT_EQ(view->Item(99), "") << "no such item";

  const auto empty = vgmon::BuildMonitorParamBlock(vgmon::kCodeToLibrary, "", "");
  const auto emptyView = vgmon::ReadParamBlock(empty.data(), empty.size());
  ASSERT_TRUE(emptyView);
  EXPECT_EQ(emptyView->Code(), vgmon::kCodeToLibrary);
  EXPECT_EQ(emptyView->Item(vgmon::kItemJobId), "");
  EXPECT_EQ(emptyView->items.size(), 2u) << "the empty job id is still an item";
}

TEST(ParamBlockReader, RefusesBlocksThatDoNotFitTheirBytes) {
  auto block = vgmon::BuildMonitorParamBlock(vgmon::kCodeToPopup, "7", "k");
  EXPECT_FALSE(vgmon::ReadParamBlock(block.data(), 39)) << "no whole header";
  EXPECT_FALSE(vgmon::ReadParamBlock(nullptr, 593));
  EXPECT_FALSE(vgmon::ReadParamBlock(block.data(), block.size() - 1))
      << "its total size is more than was handed over";

  auto header = block;
  Put32(header, 4, 44);
  EXPECT_FALSE(vgmon::ReadParamBlock(header.data(), header.size())) << "another header size";

  auto directory = block;
  Put32(directory, 16, 0x10000001);  // more items than the directory holds
  EXPECT_FALSE(vgmon::ReadParamBlock(directory.data(), directory.size()));

  auto extra = block;
  Put32(extra, 20, 0xFFFFFFF0);  // extra bytes far beyond the end, and wrapping in 32 bits
  EXPECT_FALSE(vgmon::ReadParamBlock(extra.data(), extra.size()));

  auto total = block;
  Put32(total, 0, 12);
  EXPECT_FALSE(vgmon::ReadParamBlock(total.data(), total.size())) << "smaller than its header";
}

TEST(ParamBlockReader, ItemsStayInsideTheBlock) {
  auto block = vgmon::BuildMonitorParamBlock(vgmon::kCodeToPopup, "1234", "kvm");
  // The job id's length says more than its slot: the text still ends at its zero.
  Put32(block, 44, 5000);
  // The KVM item points behind the block: it is left out.
  Put32(block, 56, 593);
  auto view = vgmon::ReadParamBlock(block.data(), block.size());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->Item(vgmon::kItemJobId), "1234");
  EXPECT_EQ(view->items.size(), 1u);

  // A text without a zero ends with the block.
  block[592] = 'z';
  Put32(block, 56, 590);
  Put32(block, 60, 300);
  block[590] = 'x';
  block[591] = 'y';
  view = vgmon::ReadParamBlock(block.data(), block.size());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->Item(vgmon::kItemKvm), "xyz");

  // A length without room for the zero cuts the text there.
  Put32(block, 44, 2);
  view = vgmon::ReadParamBlock(block.data(), block.size());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->Item(vgmon::kItemJobId), "12");
}

TEST(ParamBlockReader, BlocksOfOtherShapes) {
  const auto block = vgmon::BuildParamBlock(
      {{3, "first"}, {10, "job"}, {10, "second job"}}, 16, {9, 8, 7});
  const auto view = vgmon::ReadParamBlock(block.data(), block.size());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->extra, (std::vector<uint8_t>{9, 8, 7}));
  EXPECT_EQ(view->Code(), 9);
  EXPECT_EQ(view->Item(10), "job") << "the first item of a type";
  EXPECT_EQ(view->Item(3), "first");

  const auto bare = vgmon::BuildParamBlock({}, 260, {});
  const auto bareView = vgmon::ReadParamBlock(bare.data(), bare.size());
  ASSERT_TRUE(bareView);
  EXPECT_EQ(bareView->Code(), 0) << "no extra bytes, no code";
  EXPECT_TRUE(bareView->items.empty());
}

TEST(PopupCommandLine, ParameterFileForm) {
  EXPECT_EQ(vgmon::PopupArguments("VG_12AB.tmp", "P", "O", "M", "5"),
            std::string("/F \"VG_12AB.tmp\" /S"));
}

TEST(PopupCommandLine, LengthPrefixedFormsCarryQuotesWhole) {
  EXPECT_EQ(vgmon::PopupArguments("", "Printer \"A\"", "LPT1:", "VP-100", "42"),
            std::string("/P11 \"Printer \"A\"\" /O5 \"LPT1:\" /M6 \"VP-100\" /J \"42\" /S"));
  EXPECT_EQ(vgmon::PopupArguments("", "P", "", "M", ""),
            std::string("/P1 \"P\" /O0 \"\" /M1 \"M\" /S"));
}

TEST(PopupCommandLine, TooLongDoesNotFit) {
  EXPECT_FALSE(vgmon::PopupArguments("", std::string(240, 'p'), "LPT1:", "VP-100", "1"));
  EXPECT_TRUE(vgmon::ProgramCommandLine("C:\\Program Files\\pop.exe", "/S"));
  EXPECT_EQ(*vgmon::ProgramCommandLine("C:\\Program Files\\pop.exe", "/S"),
            "\"C:\\Program Files\\pop.exe\" /S");
  EXPECT_FALSE(vgmon::ProgramCommandLine(std::string(300, 'x'), std::string(250, 'a')));
}

TEST(SpoolerJobs, DummyDocumentsInAnyCase) {
  EXPECT_TRUE(vgmon::IsDummyDocument("local downlevel document"));
  EXPECT_TRUE(vgmon::IsDummyDocument("<<<*** Checking printer status. ***>>>"));
  EXPECT_TRUE(vgmon::IsDummyDocument("<<<*** korva qvapi dummy document data ***>>>"));
  EXPECT_FALSE(vgmon::IsDummyDocument("Local DownLevel Document 2"));
  EXPECT_FALSE(vgmon::IsDummyDocument(""));
}

TEST(SpoolerJobs, OnlyASingleJobIsJudgedByItsName) {
  EXPECT_EQ(vgmon::JudgeQueue(0, nullptr).result, 0);
  EXPECT_EQ(vgmon::JudgeQueue(1, "Local DownLevel Document").result, 0);
  EXPECT_TRUE(vgmon::JudgeQueue(1, "Local DownLevel Document").logsName);
  EXPECT_EQ(vgmon::JudgeQueue(1, "Report.doc").result, 1);
  EXPECT_EQ(vgmon::JudgeQueue(1, nullptr).result, -2);
  EXPECT_EQ(vgmon::JudgeQueue(2, nullptr).result, 1) << "two dummies are real work";
}

TEST(SpoolerJobs, ServerQueueOnlyForLocalPrintersOnShares) {
  EXPECT_TRUE(vgmon::ShouldAskServerQueue(true, "Local", "\\\\server\\share"));
  EXPECT_FALSE(vgmon::ShouldAskServerQueue(false, "Local", "\\\\server\\share"));
  EXPECT_FALSE(vgmon::ShouldAskServerQueue(true, "\\\\server\\printer", "\\\\server\\share"));
  EXPECT_FALSE(vgmon::ShouldAskServerQueue(true, "x\\y", "\\\\server\\share"));
  EXPECT_FALSE(vgmon::ShouldAskServerQueue(true, "Local", "LPT1:"));
  EXPECT_FALSE(vgmon::ShouldAskServerQueue(true, "Local", "\\"));
}

TEST(DeviceId, ModelBetweenMdlAndSemicolon) {
  EXPECT_EQ(vgdevice::ModelOf("MFG:KORVA;MDL:VP-100;CMD:ESCP;"), "VP-100");
  EXPECT_EQ(vgdevice::ModelOf("MDL:A;MDL:B;"), "A");
  EXPECT_EQ(vgdevice::ModelOf("MFG:KORVA;"), "");
  EXPECT_EQ(vgdevice::ModelOf("MDL:VP-100"), "") << "no closing semicolon";
  EXPECT_EQ(vgdevice::ModelOf("MDL:;"), "");
  EXPECT_EQ(vgdevice::ModelOf(""), "");
}

}  // namespace
