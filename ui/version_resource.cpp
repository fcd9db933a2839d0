#include "ui/version_resource.h"

#include <cstdio>
#include <string_view>

#include "common/text_util.h"

namespace vgui {

namespace {

constexpr char kRootKey[] = "VS_VERSION_INFO";

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

size_t Align4(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

// One node of the block: its key, its value bytes and the range of its children, all
// inside [begin, end) of the block.
struct Node {
  std::u16string wideKey;
  std::string narrowKey;
  size_t valueOffset = 0;
  size_t valueEnd = 0;  // the value may hold less than its stated length; it ends here
  size_t childrenOffset = 0;
  size_t end = 0;
};

class BlockReader {
 public:
  BlockReader(const uint8_t* block, bool wide) : block_(block), wide_(wide) {}

  // The node at offset, inside its parent's end. False when it does not fit.
  bool ReadNode(size_t offset, size_t parentEnd, Node* node) const {
    const size_t header = wide_ ? 6 : 4;
    if (offset > parentEnd || parentEnd - offset < header) return false;
    const size_t length = U16(block_ + offset);
    const size_t valueLength = U16(block_ + offset + 2);
    const bool textValue = wide_ && U16(block_ + offset + 4) == 1;
    if (length < header || length > parentEnd - offset) return false;
    node->end = offset + length;
    size_t keyEnd = offset + header;
    node->wideKey.clear();
    node->narrowKey.clear();
    if (wide_) {
      while (true) {
        if (node->end - keyEnd < 2) return false;
        const uint16_t c = U16(block_ + keyEnd);
        keyEnd += 2;
        if (c == 0) break;
        node->wideKey.push_back(static_cast<char16_t>(c));
      }
    } else {
      while (true) {
        if (keyEnd >= node->end) return false;
        const uint8_t c = block_[keyEnd++];
        if (c == 0) break;
        node->narrowKey.push_back(static_cast<char>(c));
      }
    }
    node->valueOffset = Align4(keyEnd);
    if (node->valueOffset > node->end) node->valueOffset = node->end;
    // Text values of the 32-bit layout count characters, everything else bytes.
    const size_t valueBytes = textValue ? valueLength * 2 : valueLength;
    node->valueEnd =
        valueBytes > node->end - node->valueOffset ? node->end : node->valueOffset + valueBytes;
    node->childrenOffset = Align4(node->valueEnd);
    if (node->childrenOffset > node->end) node->childrenOffset = node->end;
    return true;
  }

  bool KeyIs(const Node& node, std::string_view key) const {
    if (!wide_) return vgtext::EqualsNoCase(node.narrowKey, key);
    if (node.wideKey.size() != key.size()) return false;
    for (size_t i = 0; i < key.size(); ++i) {
      const char16_t c = node.wideKey[i];
      if (c > 0x7F || vgtext::ToLower(static_cast<char>(c)) != vgtext::ToLower(key[i])) {
        return false;
      }
    }
    return true;
  }

  // The child of parent with the given key.
  bool FindChild(const Node& parent, std::string_view key, Node* child) const {
    size_t offset = parent.childrenOffset;
    while (offset < parent.end) {
      if (!ReadNode(offset, parent.end, child)) return false;
      if (KeyIs(*child, key)) return true;
      const size_t next = Align4(child->end);
      if (next <= offset) return false;
      offset = next;
    }
    return false;
  }

  // The node's value as text, up to its terminator or the end of the node.
  void ReadText(const Node& node, VersionText* out) const {
    out->wide = wide_;
    out->narrow.clear();
    out->utf16.clear();
    if (wide_) {
      for (size_t at = node.valueOffset; at + 2 <= node.end; at += 2) {
        const uint16_t c = U16(block_ + at);
        if (c == 0) break;
        out->utf16.push_back(static_cast<char16_t>(c));
      }
    } else {
      for (size_t at = node.valueOffset; at < node.end; ++at) {
        if (block_[at] == 0) break;
        out->narrow.push_back(static_cast<char>(block_[at]));
      }
    }
  }


 private:
  const uint8_t* block_;
  bool wide_;
};

bool StartsWithWideRoot(const uint8_t* block, size_t size) {
  const size_t keyBytes = (sizeof kRootKey) * 2;  // with the terminator
  if (size < 6 + keyBytes) return false;
  for (size_t i = 0; i < sizeof kRootKey; ++i) {
    if (U16(block + 6 + 2 * i) != static_cast<uint8_t>(kRootKey[i])) return false;
  }
  return true;
}

bool StartsWithNarrowRoot(const uint8_t* block, size_t size) {
  if (size < 4 + sizeof kRootKey) return false;
  return std::string_view(reinterpret_cast<const char*>(block + 4), sizeof kRootKey) ==
         std::string_view(kRootKey, sizeof kRootKey);
}

}  // namespace

std::string StringTableName(uint16_t language, uint16_t codePage) {
  char name[16];
  std::snprintf(name, sizeof name, "%04X%04X", static_cast<unsigned>(language),
                static_cast<unsigned>(codePage));
  return name;
}

bool FindProductVersion(const uint8_t* block, size_t size, VersionText* out) {
  if (out == nullptr) return false;
  *out = VersionText();
  if (block == nullptr) return false;
  bool wide;
  if (StartsWithWideRoot(block, size)) {
    wide = true;
  } else if (StartsWithNarrowRoot(block, size)) {
    wide = false;
  } else {
    return false;
  }
  const BlockReader reader(block, wide);
  Node root;
  if (!reader.ReadNode(0, size, &root)) return false;

  Node varInfo;
  Node translation;
  if (!reader.FindChild(root, "VarFileInfo", &varInfo) ||
      !reader.FindChild(varInfo, "Translation", &translation) ||
      translation.valueEnd - translation.valueOffset < 4) {
    return false;
  }
  const uint16_t language = U16(block + translation.valueOffset);
  const uint16_t codePage = U16(block + translation.valueOffset + 2);

  Node stringInfo;
  Node table;
  Node product;
  if (!reader.FindChild(root, "StringFileInfo", &stringInfo) ||
      !reader.FindChild(stringInfo, StringTableName(language, codePage), &table) ||
      !reader.FindChild(table, "ProductVersion", &product)) {
    return false;
  }
  VersionText text;
  reader.ReadText(product, &text);
  if (text.narrow.empty() && text.utf16.empty()) return false;
  *out = text;
  return true;
}

}  // namespace vgui
