#pragma once
// The product version in a file's version block (what the file's version resource holds, as
// the system hands it out). Blocks come in two layouts: the 32-bit one with UTF-16 keys and
// texts, and the older one with single-byte keys and texts. The parser follows the block's
// own lengths but never reads past the block or past a node's parent.
#include <cstddef>
#include <cstdint>
#include <string>

namespace vgui {

struct VersionText {
  bool wide = false;
  std::string narrow;     // the text of a single-byte block
  std::u16string utf16;   // the text of a UTF-16 block
};

// The "ProductVersion" string of the string table named by the first translation of
// "\VarFileInfo\Translation": four hexadecimal digits of the language and four of the code
// page ("%04X%04X"; the table's name is compared without regard to case, as the system
// does). False when the block is malformed, has no translation, no such table or string,
// or the string is empty.
bool FindProductVersion(const uint8_t* block, size_t size, VersionText* out);

// The name of the string table for a translation: "%04X%04X".
std::string StringTableName(uint16_t language, uint16_t codePage);

}  // namespace vgui
