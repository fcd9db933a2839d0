#include "monitor/startup_rules.h"

#include "common/text_util.h"

namespace vgmon {
namespace {

bool HasControlCharacter(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
  }
  return false;
}

}  // namespace

std::string StartupRefusal(std::string_view commandLine, bool valueUnclosed,
                           const StartupNames& names) {
  if (commandLine.size() > kMaxCommandLine) {
    return "Refused : the command line is longer than " + std::to_string(kMaxCommandLine) +
           " characters";
  }
  if (valueUnclosed) return "Refused : a quoted value of the command line has no closing quote";
  const struct {
    const char* field;
    std::string_view value;
  } fields[] = {{"PrinterName", names.printer},
                {"PortName", names.port},
                {"DriverName", names.driver},
                {"ModelID", names.model}};
  for (const auto& field : fields) {
    if (HasControlCharacter(field.value)) {
      return std::string("Refused : ") + field.field + " holds a control character";
    }
    if (field.value.size() >= kMaxNameLength) {
      return std::string("Refused : ") + field.field + " fills its " +
             std::to_string(kMaxNameLength) + " characters and may have been cut";
    }
  }
  if (names.printer.empty() && names.port.empty()) return "Refused : no printer or port named";
  return std::string();
}

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
