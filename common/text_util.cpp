#include "common/text_util.h"

#include <cstring>

namespace vgtext {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (ToLower(a[i]) != ToLower(b[i])) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

size_t FindNoCase(std::string_view text, std::string_view needle) {
  if (needle.size() > text.size()) return std::string_view::npos;
  for (size_t i = 0; i + needle.size() <= text.size(); ++i) {
    if (EqualsNoCase(text.substr(i, needle.size()), needle)) return i;
  }
  return std::string_view::npos;
}

size_t CopyBounded(char* out, size_t size, std::string_view text) {
  if (out == nullptr || size == 0) return 0;
  size_t length = text.size() < size - 1 ? text.size() : size - 1;
  if (length > 0) std::memcpy(out, text.data(), length);
  out[length] = '\0';
  return length;
}

std::string_view BoundedView(const char* text, size_t limit) {
  if (text == nullptr) return std::string_view();
  const void* zero = std::memchr(text, '\0', limit);
  size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : limit;
  return std::string_view(text, length);
}

}  // namespace vgtext
