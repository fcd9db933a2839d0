// The values a monitor leaves in the target key, read back as the status window reads them:
// every "ComStatus" value, and stored replies of any size and content on any channel.
#include "printer/stored_status.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr uint32_t kBdcChannel = 0x10000005;
constexpr uint32_t kSecondChannel = 0x02000001;

TEST(StoredComStatus, FirstStatusOfAWindowOpenedDuringMonitoring) {
  EXPECT_EQ(vgstored::FirstStatusNoOfComStatus(1), 0) << "the stored reply is read";
  EXPECT_EQ(vgstored::FirstStatusNoOfComStatus(3), 16);
  EXPECT_EQ(vgstored::FirstStatusNoOfComStatus(4), 22);
  for (uint32_t other : {0u, 2u, 5u, 0xFFFFFFFFu}) {
    EXPECT_EQ(vgstored::FirstStatusNoOfComStatus(other), 21) << other;
  }
}

class StoredReply : public ::testing::Test {
 protected:
  DecodedStatus Decode(uint32_t channel, const std::string& bytes, bool expectResult = true) {
    DecodedStatus decoded;
    EXPECT_EQ(vgstored::DecodeStoredReply(table_, channel, bytes.data(), bytes.size(), &decoded),
              expectResult);
    return decoded;
  }
  CStatusCtrl table_;
};

TEST_F(StoredReply, AWellFormedReplyDecodesOnItsChannel) {
  const DecodedStatus decoded = Decode(kBdcChannel, "@BDC ST\r\nST:00;ER:05;\f");
  EXPECT_TRUE(decoded.hasReply);
  EXPECT_EQ(decoded.statusNo, 37);
  EXPECT_EQ(table_.GetRecord(decoded.recordIndex)->statusNo, 37);
  // The missing "Channel" value stands for the worker's selected channel.
  EXPECT_EQ(vgstored::StoredReplyChannel(0, kBdcChannel), kBdcChannel);
  EXPECT_EQ(vgstored::StoredReplyChannel(kSecondChannel, kBdcChannel), kSecondChannel);
}

TEST_F(StoredReply, GarbageGivesTheDefaultStatusAndEmptyGivesNone) {
  for (const std::string& bytes :
       {std::string("\xFF\xFF\xFF\xFF", 4), std::string("@BDC ST\r\nST:0"),
        std::string("@BDC ST\r\nER:00;\f"), std::string(3, '\0'), std::string(70000, 'x')}) {
    const DecodedStatus decoded = Decode(kBdcChannel, bytes);
    EXPECT_FALSE(decoded.hasReply);
    EXPECT_EQ(decoded.kind, kReplyKindNone);
    EXPECT_EQ(decoded.statusNo, kStatusDefault);
    ASSERT_NE(table_.GetRecord(decoded.recordIndex), nullptr);
  }
  DecodedStatus none;
  EXPECT_FALSE(vgstored::DecodeStoredReply(table_, kBdcChannel, "", 0, &none));
  EXPECT_FALSE(vgstored::DecodeStoredReply(table_, kBdcChannel, nullptr, 5, &none));
  EXPECT_EQ(none.recordIndex, -1);
}

TEST_F(StoredReply, ChannelsDecideTheReplyKind) {
  const std::string reply = "@BDC ST\r\nST:00;\f";
  // A channel of the second kind is not parsed: its own default record.
  const DecodedStatus second = Decode(kSecondChannel, reply);
  EXPECT_FALSE(second.hasReply);
  EXPECT_EQ(second.kind, kReplyKindSecond);
  EXPECT_EQ(second.statusNo, kStatusDefault);
  // An unknown channel number from the registry decodes as no reply at all.
  for (uint32_t channel : {0u, 1u, 0xFFFFFFFFu}) {
    const DecodedStatus other = Decode(channel, reply);
    EXPECT_FALSE(other.hasReply) << channel;
    EXPECT_EQ(other.kind, kReplyKindNone) << channel;
  }
}

TEST_F(StoredReply, ALongStoredReplyIsReadToItsEnd) {
  // The end byte lies far behind the fields: no size limit stops the parse early.
  std::string reply = "@BDC ST\r\nST:00;";
  reply += std::string(1 << 20, ' ');
  reply += "ER:05;\f";
  const DecodedStatus decoded = Decode(kBdcChannel, reply);
  EXPECT_TRUE(decoded.hasReply);
  EXPECT_EQ(decoded.statusNo, 37);
}

}  // namespace
