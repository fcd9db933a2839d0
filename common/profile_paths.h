#pragma once
// Path and text rules of the installation profile lookups, on plain strings. Every result
// goes into a 260-byte buffer; a path that would not fit is no path at all, because a cut
// path names a different file.
#include <cstddef>
#include <string_view>

namespace vgprofile {

constexpr size_t kPathSize = 260;

// A private-profile read into kPathSize bytes counts when it returned something and fewer
// than 258 characters: the call returns 259 when it had to cut the text, and 258 is the
// limit the profile files were written for.
constexpr unsigned long kProfileReadLimit = 258;
constexpr bool IsUsableProfileRead(unsigned long count) {
  return count > 0 && count < kProfileReadLimit;
}

// The path with one trailing backslash removed, if it has one.
std::string_view StripOneTrailingBackslash(std::string_view path);

// The path up to (not including) its last backslash; empty when it has none.
std::string_view FolderOf(std::string_view path);

// The path up to and including its last backslash; empty when it has none.
std::string_view FolderWithSeparatorOf(std::string_view path);

// Writes first followed directly by second into out[size]. When the two do not fit with a
// terminator, out becomes empty and the result is false.
bool JoinBounded(char* out, size_t size, std::string_view first, std::string_view second);

// The driver's display name when the profile names none.
constexpr std::string_view kDriverNamePrefix = "KORVA ";

}  // namespace vgprofile
