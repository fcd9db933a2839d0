#include "ui/file_version_win.h"

#include <new>
#include <vector>

#include "ui/version_resource.h"

namespace {

// Version blocks are small; anything larger is not a version resource.
constexpr DWORD kMaxVersionBlock = 1024 * 1024;

std::string ToSystemCodePage(const std::u16string& text) {
  if (text.empty()) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int needed = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string narrow(static_cast<size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, length, &narrow[0], needed, nullptr, nullptr);
  return narrow;
}

}  // namespace

std::string GetProductVersion(const char* path) {
  if (path == nullptr || path[0] == '\0') return std::string();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0 || size > kMaxVersionBlock) return std::string();
  std::vector<uint8_t> block;
  try {
    block.assign(size, 0);
  } catch (const std::bad_alloc&) {
    return std::string();
  }
  if (!::GetFileVersionInfoA(path, 0, size, block.data())) return std::string();
  vgui::VersionText version;
  if (!vgui::FindProductVersion(block.data(), block.size(), &version)) return std::string();
  return version.wide ? ToSystemCodePage(version.utf16) : version.narrow;
}

std::string ThisModulePath() {
  // The allocation that holds this function's code is the module's image.
  MEMORY_BASIC_INFORMATION info = {};
  if (::VirtualQuery(reinterpret_cast<const void*>(&ThisModulePath), &info, sizeof info) == 0) {
    return std::string();
  }
  char path[MAX_PATH] = {};
  const DWORD length =
      ::GetModuleFileNameA(static_cast<HMODULE>(info.AllocationBase), path, sizeof path);
  if (length == 0 || length >= sizeof path) return std::string();
  return std::string(path, length);
}
