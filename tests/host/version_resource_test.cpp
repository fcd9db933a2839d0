// The product version in a file's version block, in both block layouts, and the parser's
// refusal of blocks whose lengths lie.
#include "ui/version_resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vgui {
namespace {

// One node of a version block, written the way resource compilers write it.
struct VNode {
  std::string key;
  std::vector<uint8_t> value;  // raw value bytes
  bool text = false;           // a text value (counted in characters in the wide layout)
  size_t valueCount = 0;       // the stated value length
  std::vector<VNode> children;
};

void Pad4(std::vector<uint8_t>* b) {
  while (b->size() % 4) b->push_back(0);
}

std::vector<uint8_t> WideText(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (char c : text) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(0);
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

std::vector<uint8_t> NarrowText(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

void Write(const VNode& node, bool wide, std::vector<uint8_t>* out) {
  const size_t start = out->size();
  out->resize(start + (wide ? 6 : 4));
  const std::vector<uint8_t> key = wide ? WideText(node.key) : NarrowText(node.key);
  out->insert(out->end(), key.begin(), key.end());
  Pad4(out);
  out->insert(out->end(), node.value.begin(), node.value.end());
  for (const VNode& child : node.children) {
    Pad4(out);
    Write(child, wide, out);
  }
  const size_t length = out->size() - start;
  (*out)[start] = static_cast<uint8_t>(length);
  (*out)[start + 1] = static_cast<uint8_t>(length >> 8);
  (*out)[start + 2] = static_cast<uint8_t>(node.valueCount);
  (*out)[start + 3] = static_cast<uint8_t>(node.valueCount >> 8);
  if (wide) (*out)[start + 4] = node.text ? 1 : 0;
}

VNode TextNode(const std::string& key, const std::string& value, bool wide) {
  VNode node;
  node.key = key;
  node.value = wide ? WideText(value) : NarrowText(value);
  node.text = true;
  node.valueCount = wide ? value.size() + 1 : node.value.size();
  return node;
}

VNode Translation(uint16_t language, uint16_t codePage) {
  VNode node;
  node.key = "Translation";
  node.value = {static_cast<uint8_t>(language), static_cast<uint8_t>(language >> 8),
                static_cast<uint8_t>(codePage), static_cast<uint8_t>(codePage >> 8)};
  node.valueCount = 4;
  return node;
}

// A complete block: fixed file information, a string table and a translation.
std::vector<uint8_t> Block(bool wide, const std::string& tableName, const std::string& product,
                           uint16_t language = 0x0409, uint16_t codePage = 0x04B0) {
  VNode root;
  root.key = "VS_VERSION_INFO";
  root.value.assign(52, 0);  // VS_FIXEDFILEINFO
  root.value[0] = 0xBD;
  root.valueCount = 52;
  VNode strings;
  strings.key = "StringFileInfo";
  VNode table;
  table.key = tableName;
  table.children.push_back(TextNode("CompanyName", "KORVA", wide));
  table.children.push_back(TextNode("ProductVersion", product, wide));
  strings.children.push_back(table);
  VNode vars;
  vars.key = "VarFileInfo";
  vars.children.push_back(Translation(language, codePage));
  root.children = {strings, vars};
  std::vector<uint8_t> block;
  Write(root, wide, &block);
  return block;
}

bool Find(const std::vector<uint8_t>& block, size_t size, VersionText* out) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
  std::copy(block.begin(), block.begin() + static_cast<long>(size), exact.get());
  return FindProductVersion(exact.get(), size, out);
}

std::string Narrowed(const std::u16string& text) { return std::string(text.begin(), text.end()); }

TEST(VersionBlock, WideBlockGivesTheProductVersion) {
  const auto block = Block(true, "040904B0", "3.0.1.7");
  VersionText text;
  ASSERT_TRUE(Find(block, block.size(), &text));
  EXPECT_TRUE(text.wide);
  EXPECT_EQ(Narrowed(text.utf16), "3.0.1.7");
}

TEST(VersionBlock, NarrowBlockGivesTheProductVersion) {
  const auto block = Block(false, "040904E4", "2.5", 0x0409, 0x04E4);
  VersionText text;
  ASSERT_TRUE(Find(block, block.size(), &text));
  EXPECT_FALSE(text.wide);
  EXPECT_EQ(text.narrow, "2.5");
}

TEST(VersionBlock, TableNameIsComparedWithoutCase) {
  const auto block = Block(true, "040904b0", "1.2");
  VersionText text;
  ASSERT_TRUE(Find(block, block.size(), &text));
  EXPECT_EQ(Narrowed(text.utf16), "1.2");
}

TEST(VersionBlock, TheFirstTranslationNamesTheTable) {
  // The table is German, the translation says English: no version.
  const auto block = Block(true, "040704B0", "9.9");
  VersionText text;
  EXPECT_FALSE(Find(block, block.size(), &text));
  EXPECT_TRUE(text.utf16.empty());
  EXPECT_EQ(StringTableName(0x0407, 0x04B0), "040704B0");
  EXPECT_EQ(StringTableName(0x0c0a, 0x04e4), "0C0A04E4");
}

TEST(VersionBlock, EmptyVersionIsNoVersion) {
  const auto block = Block(true, "040904B0", "");
  VersionText text;
  EXPECT_FALSE(Find(block, block.size(), &text));
}

TEST(VersionBlock, CutBlocksNeverReadPastTheEnd) {
  for (bool wide : {true, false}) {
    const auto block = Block(wide, "040904B0", "3.0");
    for (size_t size = 0; size < block.size(); ++size) {
      VersionText text;
      // A block cut short either is refused or still yields a whole version.
      if (Find(block, size, &text)) {
        EXPECT_EQ(wide ? Narrowed(text.utf16) : text.narrow, "3.0") << size;
      }
    }
  }
}

TEST(VersionBlock, LengthsThatPointOutsideTheParentAreRefused) {
  auto block = Block(true, "040904B0", "3.0");
  // The root claims more bytes than the block holds.
  auto longRoot = block;
  longRoot[0] = 0xFF;
  longRoot[1] = 0xFF;
  VersionText text;
  EXPECT_FALSE(Find(longRoot, longRoot.size(), &text));
  // Every child length grown by one step of four, one at a time: never a crash, and no
  // version taken from outside its node.
  for (size_t at = 4; at + 1 < block.size(); ++at) {
    auto bad = block;
    bad[at] = static_cast<uint8_t>(bad[at] + 4);
    Find(bad, bad.size(), &text);
  }
}

TEST(VersionBlock, NotAVersionBlock) {
  VersionText text;
  std::vector<uint8_t> junk(64, 0x41);
  EXPECT_FALSE(Find(junk, junk.size(), &text));
  EXPECT_FALSE(FindProductVersion(nullptr, 10, &text));
  const auto block = Block(true, "040904B0", "3.0");
  EXPECT_FALSE(FindProductVersion(block.data(), block.size(), nullptr));
}

TEST(VersionBlock, MissingTranslationGivesNothing) {
  VNode root;
  root.key = "VS_VERSION_INFO";
  VNode strings;
  strings.key = "StringFileInfo";
  VNode table;
  table.key = "040904B0";
  table.children.push_back(TextNode("ProductVersion", "1.0", true));
  strings.children.push_back(table);
  root.children = {strings};
  std::vector<uint8_t> block;
  Write(root, true, &block);
  VersionText text;
  EXPECT_FALSE(Find(block, block.size(), &text));
}

}  // namespace
}  // namespace vgui
