// The "@BDC ST" reply parser and the ink class, as the decoder relies on them.
#include "printer/status_reply.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const std::string kStart = "@BDC ST\r\n";

// Parses from a heap block of exactly the reply's size, so that the sanitizers catch any read
// past the end.
bool Parse(const std::string& text, StatusReply* out) {
  std::unique_ptr<char[]> exact(new char[text.size() ? text.size() : 1]);
  std::copy(text.begin(), text.end(), exact.get());
  return ParseStatusReply(exact.get(), text.size(), out);
}

bool Valid(const std::string& fields) {
  StatusReply reply;
  return Parse(kStart + fields, &reply);
}

StatusReply Parsed(const std::string& fields) {
  StatusReply reply;
  EXPECT_TRUE(Parse(kStart + fields, &reply)) << fields;
  return reply;
}

TEST(StatusReplyParse, TypicalReplyGivesEveryField) {
  StatusReply r = Parsed("ST:04;ER:0a;IQ:3C64NA0F;WR:10,11,2F;TC:12aB;\f");
  EXPECT_EQ(r.state, 4);
  EXPECT_EQ(r.error, 10);
  ASSERT_EQ(r.inkCount, 4);
  EXPECT_EQ(r.ink[0], 60);
  EXPECT_EQ(r.ink[1], 100);
  EXPECT_EQ(r.ink[2], kInkNotAvailable);
  EXPECT_EQ(r.ink[3], 15);
  ASSERT_EQ(r.warningCount, 3);
  EXPECT_EQ(r.warnings[0], 0x10);
  EXPECT_EQ(r.warnings[1], 0x11);
  EXPECT_EQ(r.warnings[2], 0x2F);
  EXPECT_EQ(r.counter, 0x12AB);
}

TEST(StatusReplyParse, AbsentFieldsKeepTheirEmptyValues) {
  StatusReply r = Parsed("ST:00;\f");
  EXPECT_EQ(r.state, 0);
  EXPECT_EQ(r.error, 0xFF);
  EXPECT_EQ(r.inkCount, 0);
  EXPECT_EQ(r.warningCount, 0);
  EXPECT_EQ(r.counter, 0xFFFF);
  for (uint8_t w : r.warnings) EXPECT_EQ(w, 0);
}

TEST(StatusReplyParse, StartMustBeExact) {
  StatusReply r;
  EXPECT_FALSE(Parse("@BDC ST\n\rST:00;\f", &r));
  EXPECT_FALSE(Parse("@bdc ST\r\nST:00;\f", &r));
  EXPECT_FALSE(Parse(" @BDC ST\r\nST:00;\f", &r));
  EXPECT_FALSE(Parse("@BDC ST\r", &r));
  EXPECT_FALSE(Parse("", &r));
  EXPECT_FALSE(ParseStatusReply(nullptr, 12, &r));
}

TEST(StatusReplyParse, EndsOnlyAtFormFeedOrFF) {
  EXPECT_TRUE(Valid("ST:01;\xFF"));
  EXPECT_TRUE(Valid("ST:01;\f"));
  EXPECT_FALSE(Valid("ST:01;")) << "ran out before an end byte";
  EXPECT_FALSE(Valid("ST:01;\r\n"));
  // Whatever follows the end byte is not looked at.
  EXPECT_TRUE(Valid("ST:01;\fER:zz;"));
  StatusReply r = Parsed("ST:01;\fST:02;");
  EXPECT_EQ(r.state, 1);
}

TEST(StatusReplyParse, EveryCutOfAValidReplyIsInvalid) {
  const std::string full = kStart + "ST:00;ER:05;IQ:0102;WR:01,02;TC:0001;\f";
  StatusReply r;
  for (size_t size = 0; size < full.size(); ++size) {
    EXPECT_FALSE(Parse(full.substr(0, size), &r)) << size;
  }
  EXPECT_TRUE(Parse(full, &r));
}

TEST(StatusReplyParse, NoStateFieldIsInvalid) {
  EXPECT_FALSE(Valid("ER:05;IQ:10;WR:01;TC:0001;\f"));
  EXPECT_FALSE(Valid("\f"));
  EXPECT_FALSE(Valid("st:00;\f")) << "tags are upper case";
}

TEST(StatusReplyParse, MalformedByteFields) {
  EXPECT_FALSE(Valid("ST:0;\f"));
  EXPECT_FALSE(Valid("ST:000;\f"));
  EXPECT_FALSE(Valid("ST:0g;\f"));
  EXPECT_FALSE(Valid("ST:00\f"));
  EXPECT_FALSE(Valid("ST:00;ER:5;\f"));
  EXPECT_FALSE(Valid("ST:0\xFF;\f")) << "an end byte inside a field does not end the reply";
}

TEST(StatusReplyParse, LaterFieldsReplaceEarlierOnes) {
  StatusReply r = Parsed("ST:01;ER:02;ST:03;ER:04;WR:01,02,03;WR:09;\f");
  EXPECT_EQ(r.state, 3);
  EXPECT_EQ(r.error, 4);
  ASSERT_EQ(r.warningCount, 1);
  EXPECT_EQ(r.warnings[0], 9);
  EXPECT_EQ(r.warnings[1], 0) << "codes of the earlier field do not linger";
}

TEST(StatusReplyParse, OtherBytesAreSkipped) {
  StatusReply r = Parsed("xx;PS:99;\r\nST:02;  ER:01;\r\n\f");
  EXPECT_EQ(r.state, 2);
  EXPECT_EQ(r.error, 1);
  // A tag cut by the end byte is just skipped bytes.
  EXPECT_TRUE(Valid("ST:00;ER\f"));
}

TEST(StatusReplyParse, InkItems) {
  StatusReply r = Parsed("ST:00;IQ:FF65NA64;\f");
  ASSERT_EQ(r.inkCount, 4);
  EXPECT_EQ(r.ink[0], 100) << "FF is clamped";
  EXPECT_EQ(r.ink[1], 100) << "0x65 = 101 is clamped";
  EXPECT_EQ(r.ink[2], 255) << "NA";
  EXPECT_EQ(r.ink[3], 100);
  r = Parsed("ST:00;IQ:07;\f");
  EXPECT_EQ(r.inkCount, 1);
  EXPECT_EQ(r.ink[0], 7);
  EXPECT_EQ(r.ink[1], 0);

  EXPECT_FALSE(Valid("ST:00;IQ:10,20;\f")) << "items have no separator";
  EXPECT_FALSE(Valid("ST:00;IQ:1020304050;\f")) << "five items";
  EXPECT_FALSE(Valid("ST:00;IQ:;\f")) << "no item";
  EXPECT_FALSE(Valid("ST:00;IQ:1;\f"));
  EXPECT_FALSE(Valid("ST:00;IQ:Na;\f"));
  EXPECT_FALSE(Valid("ST:00;IQ:10\f"));
}

TEST(StatusReplyParse, WarningCodes) {
  StatusReply r = Parsed("ST:00;WR:10,11;\f");
  ASSERT_EQ(r.warningCount, 2);
  EXPECT_EQ(r.warnings[0], 0x10);
  EXPECT_EQ(r.warnings[1], 0x11);

  r = Parsed("ST:00;WR:0102,03,;\f");
  ASSERT_EQ(r.warningCount, 3) << "commas are optional, also after the last code";
  EXPECT_EQ(r.warnings[2], 3);

  r = Parsed("ST:00;WR:01,02,03,04,05,06,07,08,09,0A;\f");
  ASSERT_EQ(r.warningCount, 10);
  EXPECT_EQ(r.warnings[9], 0x0A);
  EXPECT_EQ(r.warnings[10], 0) << "the byte after the ten codes stays 0";

  EXPECT_FALSE(Valid("ST:00;WR:01,02,03,04,05,06,07,08,09,0A,0B;\f")) << "eleven codes";
  EXPECT_FALSE(Valid("ST:00;WR:;\f"));
  EXPECT_FALSE(Valid("ST:00;WR:,01;\f"));
  EXPECT_FALSE(Valid("ST:00;WR:01,,02;\f"));
  EXPECT_FALSE(Valid("ST:00;WR:1;\f"));
}

TEST(StatusReplyParse, Counter) {
  EXPECT_EQ(Parsed("ST:00;TC:ff01;\f").counter, 0xFF01);
  EXPECT_EQ(Parsed("ST:00;TC:0000;\f").counter, 0);
  EXPECT_FALSE(Valid("ST:00;TC:123;\f"));
  EXPECT_FALSE(Valid("ST:00;TC:12345;\f"));
}

TEST(InkClass, FirstLevelAgainstTheOthers) {
  struct Case {
    uint8_t ink[4];
    uint32_t expected;
  };
  const Case cases[] = {
      {{0, 50, 60, 70}, kInkFirstLowest},     // first empty, others not
      {{255, 50, 60, 70}, kInkFirstLowest},   // first not available
      {{0, 50, 0, 70}, kInkClassMask},        // first and another empty
      {{255, 50, 60, 255}, kInkClassMask},    //
      {{40, 50, 0, 70}, kInkOtherLowest},     // another empty
      {{40, 255, 60, 70}, kInkOtherLowest},   //
      {{40, 50, 30, 70}, kInkOtherLowest},    // another lower
      {{40, 50, 40, 70}, kInkClassMask},      // tie
      {{40, 50, 60, 70}, kInkFirstLowest},    // first strictly lowest
      {{100, 100, 100, 100}, kInkClassMask},  //
      {{0, 0, 0, 0}, kInkClassMask},          // a reply without IQ
  };
  for (const Case& c : cases) {
    StatusReply reply;
    std::copy(std::begin(c.ink), std::end(c.ink), reply.ink);
    EXPECT_EQ(InkClass(reply), c.expected)
        << int(c.ink[0]) << " " << int(c.ink[1]) << " " << int(c.ink[2]) << " " << int(c.ink[3]);
  }
}

}  // namespace
