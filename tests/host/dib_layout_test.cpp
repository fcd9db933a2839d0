// The bitmap layout checks behind the picture control: resource bitmaps and picture files,
// the colour count and the palette decision.
#include "ui/dib_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace vgui {
namespace {

void Put16(std::vector<uint8_t>* b, uint16_t v) {
  b->push_back(static_cast<uint8_t>(v));
  b->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>* b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

struct Info {
  int32_t width = 4;
  int32_t height = 2;
  uint16_t bits = 8;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  uint32_t clrUsed = 0;
  uint16_t planes = 1;
};

// A 40-byte header, then `colors` colour entries (entry i = blue i, green 2i, red 3i), then
// `bitsBytes` bytes of pixels.
std::vector<uint8_t> Dib(const Info& info, size_t colors, size_t bitsBytes) {
  std::vector<uint8_t> b;
  Put32(&b, 40);
  Put32(&b, static_cast<uint32_t>(info.width));
  Put32(&b, static_cast<uint32_t>(info.height));
  Put16(&b, info.planes);
  Put16(&b, info.bits);
  Put32(&b, info.compression);
  Put32(&b, info.sizeImage);
  Put32(&b, 2835);
  Put32(&b, 2835);
  Put32(&b, info.clrUsed);
  Put32(&b, 0);
  for (size_t i = 0; i < colors; ++i) {
    b.push_back(static_cast<uint8_t>(i));
    b.push_back(static_cast<uint8_t>(2 * i));
    b.push_back(static_cast<uint8_t>(3 * i));
    b.push_back(0);
  }
  b.insert(b.end(), bitsBytes, 0x11);
  return b;
}

bool ParseExact(const std::vector<uint8_t>& bytes, size_t size, DibLayout* out) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
  std::copy(bytes.begin(), bytes.begin() + static_cast<long>(size), exact.get());
  return ParseDib(exact.get(), size, out);
}

TEST(DibLayoutParse, EightBitPictureWith256Colours) {
  // 4 pixels of 8 bits: rows of 4 bytes, 2 rows.
  const auto bytes = Dib({}, 256, 8);
  DibLayout layout;
  ASSERT_TRUE(ParseExact(bytes, bytes.size(), &layout));
  EXPECT_EQ(layout.width, 4);
  EXPECT_EQ(layout.height, 2);
  EXPECT_EQ(layout.colorEntries, 256u);
  EXPECT_EQ(layout.colorTableOffset, 40u);
  EXPECT_EQ(layout.bitsOffset, 40u + 1024u);
  EXPECT_EQ(layout.bitsSize, 8u);
  EXPECT_EQ(ColorCountOf(layout), 256u);
}

TEST(DibLayoutParse, EveryCutOfThePictureIsRefused) {
  const auto bytes = Dib({}, 256, 8);
  for (size_t size = 0; size < bytes.size(); ++size) {
    DibLayout layout;
    EXPECT_FALSE(ParseExact(bytes, size, &layout)) << size;
  }
}

TEST(DibLayoutParse, RowsArePaddedToFourBytes) {
  Info info;
  info.width = 5;
  info.height = -3;  // top-down
  info.bits = 24;
  const auto bytes = Dib(info, 0, 48);  // 15 bytes a row, padded to 16
  DibLayout layout;
  ASSERT_TRUE(ParseExact(bytes, bytes.size(), &layout));
  EXPECT_EQ(layout.bitsSize, 48u);
  EXPECT_EQ(layout.colorEntries, 0u) << "24-bit pictures have no colour table";
  EXPECT_FALSE(ParseExact(bytes, bytes.size() - 1, &layout));
}

TEST(DibLayoutParse, ClrUsedSetsTheTableSize) {
  Info info;
  info.clrUsed = 16;
  const auto bytes = Dib(info, 16, 8);
  DibLayout layout;
  ASSERT_TRUE(ParseExact(bytes, bytes.size(), &layout));
  EXPECT_EQ(layout.colorEntries, 16u);
  EXPECT_EQ(ColorCountOf(layout), 16u);
  EXPECT_EQ(layout.bitsOffset, 40u + 64u);
}

TEST(DibLayoutParse, FieldsOutOfRangeAreRefused) {
  DibLayout layout;
  for (const Info& bad : {Info{0, 2, 8, 0, 0, 0, 1}, Info{4, 0, 8, 0, 0, 0, 1},
                          Info{4, 2, 7, 0, 0, 0, 1}, Info{4, 2, 8, 9, 0, 0, 1},
                          Info{4, 2, 8, 0, 0, 0, 2}, Info{4, 2, 8, 0, 0, 257, 1},
                          Info{4, 2, 4, 0, 0, 17, 1}, Info{100000, 1, 8, 0, 0, 0, 1},
                          Info{4, 2, 8, 1, 0, 0, 1} /* RLE without its size */,
                          Info{4, -2, 8, 1, 8, 0, 1} /* RLE top-down */}) {
    const auto bytes = Dib(bad, 256, 1 << 20);
    EXPECT_FALSE(ParseDib(bytes.data(), bytes.size(), &layout))
        << bad.width << "x" << bad.height << " bits " << bad.bits << " comp " << bad.compression;
  }
}

TEST(DibLayoutParse, RunLengthPicturesUseTheirStoredSize) {
  Info info;
  info.compression = 1;
  info.sizeImage = 6;
  const auto bytes = Dib(info, 256, 6);
  DibLayout layout;
  ASSERT_TRUE(ParseExact(bytes, bytes.size(), &layout));
  EXPECT_EQ(layout.bitsSize, 6u);
  EXPECT_FALSE(ParseExact(bytes, bytes.size() - 1, &layout));
}

TEST(DibLayoutParse, BitFieldMasksFollowTheShortHeader) {
  Info info;
  info.bits = 16;
  info.compression = 3;
  auto bytes = Dib(info, 0, 0);
  bytes.insert(bytes.end(), 12, 0xFF);  // three masks
  bytes.insert(bytes.end(), 16, 0);     // 2 rows of 8 bytes
  DibLayout layout;
  ASSERT_TRUE(ParseExact(bytes, bytes.size(), &layout));
  EXPECT_EQ(layout.bitsOffset, 52u);
  EXPECT_EQ(layout.bitsSize, 16u);
}

TEST(DibLayoutParse, CoreHeaderHasThreeByteColours) {
  std::vector<uint8_t> b;
  Put32(&b, 12);
  Put16(&b, 2);  // width
  Put16(&b, 2);  // height
  Put16(&b, 1);
  Put16(&b, 1);  // 1 bit: 2 colours
  for (int i = 0; i < 2; ++i) {
    b.push_back(10);
    b.push_back(20);
    b.push_back(30);
  }
  b.insert(b.end(), 8, 0);
  DibLayout layout;
  ASSERT_TRUE(ParseExact(b, b.size(), &layout));
  EXPECT_EQ(layout.colorEntrySize, 3u);
  EXPECT_EQ(layout.bitsOffset, 18u);
  const auto colors = PaletteOf(b.data(), layout, 4);
  ASSERT_EQ(colors.size(), 4u);
  EXPECT_EQ(colors[1].red, 30);
  EXPECT_EQ(colors[1].green, 20);
  EXPECT_EQ(colors[1].blue, 10);
  EXPECT_EQ(colors[3].red, 0) << "entries past the table stay black";
}

TEST(DibLayoutFile, HeaderFollowsTheFileHeader) {
  const auto dib = Dib({}, 256, 8);
  std::vector<uint8_t> file = {'B', 'M'};
  file.insert(file.end(), 12, 0);
  file.insert(file.end(), dib.begin(), dib.end());
  DibLayout layout;
  std::unique_ptr<uint8_t[]> exact(new uint8_t[file.size()]);
  std::copy(file.begin(), file.end(), exact.get());
  ASSERT_TRUE(ParseBitmapFile(exact.get(), file.size(), &layout));
  EXPECT_EQ(layout.headerOffset, 14u);
  EXPECT_EQ(layout.colorTableOffset, 54u);
  EXPECT_EQ(layout.bitsOffset, 54u + 1024u);
  const auto colors = PaletteOf(exact.get(), layout, 256);
  EXPECT_EQ(colors[5].blue, 5);
  EXPECT_EQ(colors[5].green, 10);
  EXPECT_EQ(colors[5].red, 15);
  EXPECT_FALSE(ParseBitmapFile(exact.get(), file.size() - 1, &layout));
  exact[0] = 'X';
  EXPECT_FALSE(ParseBitmapFile(exact.get(), file.size(), &layout)) << "not a bitmap file";
  EXPECT_FALSE(ParseBitmapFile(exact.get(), 13, &layout));
}

TEST(DibPalette, OnlyA256ColourPictureOnAPaletteDeviceOfFiveToEightBits) {
  EXPECT_TRUE(NeedsPalette(256, 8, true));
  EXPECT_TRUE(NeedsPalette(256, 5, true));
  EXPECT_FALSE(NeedsPalette(256, 4, true));
  EXPECT_FALSE(NeedsPalette(256, 16, true));
  EXPECT_FALSE(NeedsPalette(256, 8, false));
  EXPECT_FALSE(NeedsPalette(16, 8, true));
}

}  // namespace
}  // namespace vgui
