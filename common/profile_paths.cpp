#include "common/profile_paths.h"

#include <cstring>

namespace vgprofile {

std::string_view StripOneTrailingBackslash(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

std::string_view FolderOf(std::string_view path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::string_view FolderWithSeparatorOf(std::string_view path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

bool JoinBounded(char* out, size_t size, std::string_view first, std::string_view second) {
  if (out == nullptr || size == 0) return false;
  out[0] = '\0';
  if (first.size() >= size || second.size() >= size - first.size()) return false;
  if (!first.empty()) std::memcpy(out, first.data(), first.size());
  if (!second.empty()) std::memcpy(out + first.size(), second.data(), second.size());
  out[first.size() + second.size()] = '\0';
  return true;
}

}  // namespace vgprofile
