// The bytes of the hand-off block and the pop-up program's command lines, as the receiving
// programs read them.
#include "common/param_block.h"
#include "monitor/popup_command_line.h"

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

void Set32(std::vector<uint8_t>& block, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) block[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

// The result points into the block: the block must outlive it.
vgmon::ReceivedParamBlock Parse(const std::vector<uint8_t>& block) {
  return vgmon::ParseParamBlock(block.data(), block.size());
}

TEST(ReceivedParamBlock, MonitorBlockReadsBackWhole) {
  const auto block = vgmon::BuildMonitorParamBlock(vgmon::kCodeToPopup, "1234", "k v");
  const auto received = Parse(block);
  ASSERT_TRUE(received.ok) << received.error;
  EXPECT_EQ(received.Code(), 2);
  EXPECT_EQ(received.slotSize, 260u);
  ASSERT_EQ(received.items.size(), 2u);
  EXPECT_EQ(received.ItemText(vgmon::kItemJobId), std::optional<std::string_view>("1234"));
  EXPECT_EQ(received.ItemText(vgmon::kItemKvm), std::optional<std::string_view>("k v"));
  EXPECT_FALSE(received.ItemText(12).has_value());

  const auto emptyBlock = vgmon::BuildMonitorParamBlock(vgmon::kCodeToLibrary, "", "");
  const auto empty = Parse(emptyBlock);
  ASSERT_TRUE(empty.ok) << empty.error;
  EXPECT_EQ(empty.Code(), 7);
  EXPECT_EQ(empty.ItemText(vgmon::kItemJobId), std::optional<std::string_view>(""));
}

TEST(ReceivedParamBlock, OtherLayoutsAndItemsThatDidNotFit) {
  // Three items in 8-byte slots without extra bytes: texts are cut to 7 characters.
  const auto block = vgmon::BuildParamBlock({{1, "a"}, {2, "longer than a slot"}, {3, ""}}, 8, {});
  const auto received = Parse(block);
  ASSERT_TRUE(received.ok) << received.error;
  EXPECT_EQ(received.Code(), -1);
  ASSERT_EQ(received.items.size(), 3u);
  EXPECT_EQ(received.items[1].text, "longer ");
  // With slot size 0 no item has room: the directory stays zero and the block holds none.
  const auto noRoom = vgmon::BuildParamBlock({{1, "a"}}, 0, {9});
  const auto none = Parse(noRoom);
  ASSERT_TRUE(none.ok) << none.error;
  EXPECT_TRUE(none.items.empty());
  EXPECT_EQ(none.Code(), 9);
}

TEST(ReceivedParamBlock, RefusesBlocksWhoseSizesDoNotAgree) {
  const auto good = vgmon::BuildMonitorParamBlock(vgmon::kCodeToPopup, "1", "k");
  EXPECT_FALSE(vgmon::ParseParamBlock(nullptr, 0).ok);
  EXPECT_FALSE(vgmon::ParseParamBlock(good.data(), 39).ok) << "shorter than the header";

  // Truncated: the size field still says 593.
  const auto truncated = vgmon::ParseParamBlock(good.data(), 300);
  EXPECT_FALSE(truncated.ok);
  EXPECT_NE(truncated.error.find("593"), std::string::npos) << truncated.error;
  // Oversized: more bytes arrive than the block says.
  auto oversized = good;
  oversized.resize(good.size() + 100, 'x');
  EXPECT_FALSE(Parse(oversized).ok);
  // The size field made to match the bytes, the layout does not.
  Set32(oversized, 0, static_cast<uint32_t>(oversized.size()));
  EXPECT_FALSE(Parse(oversized).ok);

  auto header = good;
  Set32(header, 4, 44);
  EXPECT_FALSE(Parse(header).ok);
  auto reserved = good;
  reserved[30] = 1;
  EXPECT_FALSE(Parse(reserved).ok);
  auto count = good;
  Set32(count, 16, 3);  // the directory holds two
  EXPECT_FALSE(Parse(count).ok);
  auto huge = good;
  Set32(huge, 8, 0xFFFFFFF0u);
  Set32(huge, 16, 0x0FFFFFFFu);
  EXPECT_FALSE(Parse(huge).ok);
  auto slot = good;
  Set32(slot, 12, 0x80000001u);  // 2 x slot wraps to 2 in 32 bits
  EXPECT_FALSE(Parse(slot).ok);
}

TEST(ReceivedParamBlock, RefusesItemsOutsideTheirSlotOrWithoutTerminator) {
  const auto good = vgmon::BuildMonitorParamBlock(vgmon::kCodeToPopup, "1", "k");
  auto intoHeader = good;
  Set32(intoHeader, 40, 0);  // item 0 at offset 0
  EXPECT_FALSE(Parse(intoHeader).ok);
  auto wrapping = good;
  Set32(wrapping, 44, 0xFFFFFFF0u);  // offset + length wraps below the size in 32 bits
  EXPECT_FALSE(Parse(wrapping).ok);
  auto intoNext = good;
  Set32(intoNext, 44, 261);
  EXPECT_FALSE(Parse(intoNext).ok);
  auto otherSlot = good;
  Set32(otherSlot, 40, 333);  // item 0 pointing at item 1's slot
  EXPECT_FALSE(Parse(otherSlot).ok);

  auto unterminated = good;
  for (size_t i = 333; i < 593; ++i) unterminated[i] = 'k';
  Set32(unterminated, 60, 260);
  const auto received = Parse(unterminated);
  EXPECT_FALSE(received.ok);
  EXPECT_NE(received.error.find("terminating zero"), std::string::npos) << received.error;

  // A length that counts more than the text is harmless: the text ends at its zero.
  auto longer = good;
  Set32(longer, 44, 200);
  const auto lenient = Parse(longer);
  ASSERT_TRUE(lenient.ok) << lenient.error;
  EXPECT_EQ(lenient.ItemText(vgmon::kItemJobId), std::optional<std::string_view>("1"));
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
