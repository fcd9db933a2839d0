// The trouble resource parser and the page decisions of the trouble dialog.
#include "ui/trouble_resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/trouble_pages.h"

namespace vgui {
namespace {

void Put16(std::vector<uint8_t>* bytes, uint16_t value) {
  bytes->push_back(static_cast<uint8_t>(value & 0xFF));
  bytes->push_back(static_cast<uint8_t>(value >> 8));
}

std::vector<uint8_t> Resource(const std::vector<TroublePage>& pages, const std::string& title,
                              bool terminated = true) {
  std::vector<uint8_t> bytes;
  Put16(&bytes, static_cast<uint16_t>(pages.size()));
  for (const TroublePage& page : pages) {
    Put16(&bytes, page.textId);
    Put16(&bytes, page.frameCount);
    Put16(&bytes, page.firstBitmapId);
    Put16(&bytes, page.flags);
  }
  bytes.insert(bytes.end(), title.begin(), title.end());
  if (terminated) bytes.push_back(0);
  return bytes;
}

// Parses a heap copy of exactly the given size, so that the sanitizers see a read past it.
bool Parse(const std::vector<uint8_t>& bytes, size_t size, TroubleResource* out) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
  std::copy(bytes.begin(), bytes.begin() + static_cast<long>(size), exact.get());
  return ParseTroubleResource(exact.get(), size, out);
}

TEST(TroubleResourceParse, ReadsEveryPageAndTheTitle) {
  const auto bytes = Resource({{4001, 1, 11100, 0x000A}, {4002, 4, 11110, 0x0005}}, "Paper");
  TroubleResource resource;
  ASSERT_TRUE(Parse(bytes, bytes.size(), &resource));
  ASSERT_EQ(resource.pages.size(), 2u);
  EXPECT_EQ(resource.pages[0].textId, 4001);
  EXPECT_EQ(resource.pages[0].frameCount, 1);
  EXPECT_EQ(resource.pages[0].firstBitmapId, 11100);
  EXPECT_EQ(resource.pages[0].flags, 0x000A);
  EXPECT_EQ(resource.pages[1].textId, 4002);
  EXPECT_EQ(resource.pages[1].frameCount, 4);
  EXPECT_EQ(resource.pages[1].flags, 0x0005);
  EXPECT_EQ(resource.title, "Paper");
}

TEST(TroubleResourceParse, LittleEndianWords) {
  const std::vector<uint8_t> bytes = {0x01, 0x00, 0x34, 0x12, 0x02, 0x00, 0xFF, 0xFF,
                                      0x08, 0x80, 'T',  0x00, 'x'};
  TroubleResource resource;
  ASSERT_TRUE(Parse(bytes, bytes.size(), &resource));
  EXPECT_EQ(resource.pages[0].textId, 0x1234);
  EXPECT_EQ(resource.pages[0].firstBitmapId, 0xFFFF);
  EXPECT_EQ(resource.pages[0].flags, 0x8008);
  EXPECT_EQ(resource.title, "T") << "the title ends at its terminator";
}

TEST(TroubleResourceParse, CutRecordsAreRefusedAtEverySize) {
  const auto bytes = Resource({{1, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 3, 3}}, "Title");
  const size_t recordsEnd = 2 + 3 * 8;
  for (size_t size = 0; size < recordsEnd; ++size) {
    TroubleResource resource;
    resource.title = "old";
    EXPECT_FALSE(Parse(bytes, size, &resource)) << size;
    EXPECT_TRUE(resource.pages.empty());
    EXPECT_TRUE(resource.title.empty());
  }
  TroubleResource resource;
  ASSERT_TRUE(Parse(bytes, recordsEnd, &resource)) << "a missing title is an empty one";
  EXPECT_EQ(resource.pages.size(), 3u);
  EXPECT_EQ(resource.title, "");
}

TEST(TroubleResourceParse, UnterminatedTitleEndsWithTheResource) {
  const auto bytes = Resource({{1, 0, 0, 1}}, "No end", false);
  TroubleResource resource;
  ASSERT_TRUE(Parse(bytes, bytes.size(), &resource));
  EXPECT_EQ(resource.title, "No end");
}

TEST(TroubleResourceParse, CountLargerThanTheDataIsRefused) {
  std::vector<uint8_t> bytes = Resource({{1, 0, 0, 1}}, "x");
  bytes[0] = 0xFF;
  bytes[1] = 0xFF;
  TroubleResource resource;
  EXPECT_FALSE(Parse(bytes, bytes.size(), &resource));
  EXPECT_FALSE(ParseTroubleResource(nullptr, 10, &resource));
  EXPECT_FALSE(ParseTroubleResource(bytes.data(), bytes.size(), nullptr));
}

TEST(TroubleResourceParse, NoPagesParsesAsEmpty) {
  const auto bytes = Resource({}, "Empty");
  TroubleResource resource;
  ASSERT_TRUE(Parse(bytes, bytes.size(), &resource));
  EXPECT_TRUE(resource.pages.empty());
  EXPECT_EQ(resource.title, "Empty");
}

TEST(TroubleFrames, RunFromTheFirstIdAndStopAtTheEndOfTheRange) {
  EXPECT_EQ(FrameIdsOf({1, 3, 800, 0}), (std::vector<uint16_t>{800, 801, 802}));
  EXPECT_EQ(FrameIdsOf({1, 1, 800, 0}), (std::vector<uint16_t>{800}));
  EXPECT_TRUE(FrameIdsOf({1, 0, 800, 0}).empty());
  EXPECT_EQ(FrameIdsOf({1, 5, 0xFFFE, 0}), (std::vector<uint16_t>{0xFFFE, 0xFFFF}));
}

TEST(TroublePageLayout, NextAndBackWithoutOk) {
  const PageLayout layout = LayoutOfPage({1, 2, 800, kPageHasNext | kPageHasBack}, 0);
  EXPECT_TRUE(layout.nextShown);
  EXPECT_TRUE(layout.nextEnabled);
  EXPECT_TRUE(layout.backEnabled);
  EXPECT_FALSE(layout.okShown);
  EXPECT_FALSE(layout.extraShown);
  EXPECT_TRUE(layout.pictureShown);
  EXPECT_EQ(layout.defaultButton, DefaultButton::kNext) << "the first page focuses Next";
}

TEST(TroublePageLayout, LastPageShowsOkAsTheDefault) {
  const PageLayout layout = LayoutOfPage({1, 1, 800, kPageLast | kPageHasBack}, 3);
  EXPECT_TRUE(layout.okShown);
  EXPECT_FALSE(layout.nextShown);
  EXPECT_TRUE(layout.backEnabled);
  EXPECT_EQ(layout.defaultButton, DefaultButton::kOk);
}

TEST(TroublePageLayout, NextWinsOverTheLastPageFlag) {
  const PageLayout layout = LayoutOfPage({1, 1, 800, kPageLast | kPageHasNext}, 1);
  EXPECT_TRUE(layout.nextShown);
  EXPECT_TRUE(layout.nextEnabled);
  EXPECT_FALSE(layout.okShown);
  EXPECT_EQ(layout.defaultButton, DefaultButton::kUnchanged) << "only the first page";
}

TEST(TroublePageLayout, NeitherFlagShowsNextDisabled) {
  const PageLayout layout = LayoutOfPage({1, 0, 0, kPageExtraButton}, 2);
  EXPECT_TRUE(layout.nextShown);
  EXPECT_FALSE(layout.nextEnabled);
  EXPECT_FALSE(layout.okShown);
  EXPECT_FALSE(layout.backEnabled);
  EXPECT_TRUE(layout.extraShown);
  EXPECT_FALSE(layout.pictureShown) << "no frames, no picture";
  EXPECT_EQ(layout.defaultButton, DefaultButton::kUnchanged);
}

TEST(TroublePageLayout, SinglePageKeepsOkAsTheDefault) {
  const PageLayout layout = LayoutOfPage({1, 1, 800, kPageLast}, 0);
  EXPECT_TRUE(layout.okShown);
  EXPECT_FALSE(layout.nextShown);
  EXPECT_EQ(layout.defaultButton, DefaultButton::kOk) << "a hidden Next must not be default";
}

TEST(TroublePageStep, StaysInsideThePages) {
  EXPECT_EQ(StepPage(0, +1, 3), 1);
  EXPECT_EQ(StepPage(2, -1, 3), 1);
  EXPECT_EQ(StepPage(0, -1, 3), 0) << "Back on the first page";
  EXPECT_EQ(StepPage(2, +1, 3), 2) << "Next on the last page";
  EXPECT_EQ(StepPage(0, +1, 1), 0);
  EXPECT_EQ(StepPage(0, +1, 0), 0);
}

}  // namespace
}  // namespace vgui
