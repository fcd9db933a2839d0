#pragma once
// Small text helpers of the core. Names of printers, options and keys are compared without
// regard to case in the ASCII range, as the system's single-byte texts are.
#include <cstddef>
#include <string_view>

namespace vgtext {

constexpr char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
size_t FindNoCase(std::string_view text, std::string_view needle);

// Copies text into out[size], cut so that a terminator always fits. Returns the characters
// copied. size 0 copies nothing.
size_t CopyBounded(char* out, size_t size, std::string_view text);

// The text up to its first zero byte, never past limit bytes: for fixed fields that another
// process may have left without a terminator.
std::string_view BoundedView(const char* text, size_t limit);

}  // namespace vgtext
