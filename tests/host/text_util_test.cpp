// The text helpers of the core: ASCII comparison without regard to case, bounded copies into
// fixed buffers, and views of fields another process may have left unterminated.
#include "common/text_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vgtext;

TEST(TextCompare, CaseIsIgnoredInTheAsciiRangeOnly) {
  EXPECT_TRUE(EqualsNoCase("Printer X", "PRINTER x"));
  EXPECT_TRUE(EqualsNoCase("", ""));
  EXPECT_FALSE(EqualsNoCase("LPT1", "LPT1:"));
  EXPECT_FALSE(EqualsNoCase("\xC4", "\xE4")) << "single-byte letters beyond ASCII stay apart";
  EXPECT_FALSE(EqualsNoCase("@", "`")) << "neighbours of the letters are no letters";
  EXPECT_FALSE(EqualsNoCase("[", "{"));

  EXPECT_TRUE(StartsWithNoCase("file:out.prn", "FILE:"));
  EXPECT_FALSE(StartsWithNoCase("FIL", "FILE:"));
  EXPECT_TRUE(StartsWithNoCase("anything", ""));
  EXPECT_TRUE(EndsWithNoCase("NE01:", ":"));
  EXPECT_FALSE(EndsWithNoCase(":", "NE01:"));

  EXPECT_EQ(FindNoCase("\\\\server\\lpt1 queue", "LPT"), 9u);
  EXPECT_EQ(FindNoCase("LPT", "LPT1"), std::string_view::npos) << "a needle longer than the text";
  EXPECT_EQ(FindNoCase("COM1:", "LPT"), std::string_view::npos);
  EXPECT_EQ(FindNoCase("abc", ""), 0u);
}

TEST(TextCopy, TheTerminatorAlwaysFits) {
  char out[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(CopyBounded(out, sizeof out, "abcdef"), 3u);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(CopyBounded(out, sizeof out, "ab"), 2u);
  EXPECT_STREQ(out, "ab");
  EXPECT_EQ(CopyBounded(out, 1, "abc"), 0u);
  EXPECT_EQ(out[0], '\0');
  out[0] = 'x';
  EXPECT_EQ(CopyBounded(out, 0, "abc"), 0u);
  EXPECT_EQ(out[0], 'x') << "no room: nothing written";
  EXPECT_EQ(CopyBounded(nullptr, 10, "abc"), 0u);
  // Bytes after a zero in the source are copied as they are; the text ends at the zero.
  char zero[8] = {};
  EXPECT_EQ(CopyBounded(zero, sizeof zero, std::string_view("a\0b", 3)), 3u);
  EXPECT_STREQ(zero, "a");
}

TEST(TextView, StopsAtTheFirstZeroOrTheLimit) {
  const char field[6] = {'L', 'P', 'T', '1', ':', 'X'};  // no terminator at all
  EXPECT_EQ(BoundedView(field, sizeof field), "LPT1:X");
  EXPECT_EQ(BoundedView(field, 3), "LPT");
  EXPECT_EQ(BoundedView("ab\0cd", 5), "ab");
  EXPECT_EQ(BoundedView(field, 0), "");
  EXPECT_EQ(BoundedView(nullptr, 10), "");
}

}  // namespace
