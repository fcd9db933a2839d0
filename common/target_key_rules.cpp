#include "common/target_key_rules.h"

#include <cstdio>
#include <cstring>

#include "common/text_util.h"

namespace vgtarget {

std::string_view BaseKeyOf(int kind) {
  if (kind == kKindPrinter) return kPrinterBaseKey;
  if (kind == kKindPort) return kPortBaseKey;
  return std::string_view();
}

TargetName ChooseTargetName(std::string_view printerName, std::string_view portName) {
  if (printerName.empty() && !portName.empty()) return {portName, kKindPort};
  return {printerName, kKindPrinter};
}

bool JoinKeyPath(char* out, size_t size, std::string_view parent, std::string_view child) {
  if (out == nullptr || size == 0) return false;
  out[0] = '\0';
  const size_t length = parent.size() + 1 + child.size();
  if (length >= size) return false;
  std::memcpy(out, parent.data(), parent.size());
  out[parent.size()] = '\\';
  std::memcpy(out + parent.size() + 1, child.data(), child.size());
  out[length] = '\0';
  return true;
}

bool FormatTargetKeyPath(char* out, size_t size, std::string_view basePath, long number) {
  if (out != nullptr && size > 0) out[0] = '\0';
  if (number < 0 || number >= kTargetNumberLimit) return false;
  char name[24];
  std::snprintf(name, sizeof name, "P%016ld", number);
  return JoinKeyPath(out, size, basePath, name);
}

namespace {

// Whether the path ends with the key path, starting at a key boundary.
bool EndsWithKey(std::string_view path, std::string_view key) {
  if (!vgtext::EndsWithNoCase(path, key)) return false;
  return path.size() == key.size() || path[path.size() - key.size() - 1] == '\\';
}

}  // namespace

std::string PortBaseBeside(std::string_view basePath) {
  for (std::string_view base : {kPrinterBaseKey, kPortBaseKey}) {
    if (EndsWithKey(basePath, base)) {
      std::string result(basePath.substr(0, basePath.size() - base.size()));
      result += kPortBaseKey;
      return result;
    }
  }
  return std::string(kPortBaseKey);
}

bool IsPortBase(std::string_view basePath) { return EndsWithKey(basePath, kPortBaseKey); }

bool IsWholeSid(const uint8_t* bytes, size_t size) {
  // Revision, sub-authority count, six bytes of identifier authority, then 4 bytes each.
  constexpr size_t kHeader = 8;
  constexpr uint8_t kRevision = 1;
  constexpr uint8_t kMaxSubAuthorities = 15;
  if (bytes == nullptr || size < kHeader) return false;
  if (bytes[0] != kRevision || bytes[1] > kMaxSubAuthorities) return false;
  return size >= kHeader + 4u * bytes[1];
}

}  // namespace vgtarget
