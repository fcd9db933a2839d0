#include "monitor/startup_rules.h"

#include "common/text_util.h"

namespace vgmon {

bool IsValidJobId(std::string_view jobId) {
  for (char c : jobId) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsFilePort(std::string_view port) { return vgtext::StartsWithNoCase(port, "FILE:"); }

std::string_view ListedPort(std::string_view entry) {
  const size_t first = entry.find(',');
  if (first == std::string_view::npos) return std::string_view();
  std::string_view rest = entry.substr(first + 1);
  return rest.substr(0, rest.find(','));
}

bool IsPrintersPort(std::string_view jobPort, std::string_view listedPort,
                    std::string_view printerPort) {
  using vgtext::EqualsNoCase;
  if (EqualsNoCase(jobPort, listedPort)) return true;
  if (vgtext::StartsWithNoCase(jobPort, "Ne") && !jobPort.empty() && jobPort.back() == ':') {
    return true;
  }
  if (EqualsNoCase(jobPort, printerPort)) return true;
  if (!printerPort.empty() && printerPort.back() == ':' &&
      EqualsNoCase(jobPort, printerPort.substr(0, printerPort.size() - 1))) {
    return true;
  }
  return false;
}

}  // namespace vgmon
