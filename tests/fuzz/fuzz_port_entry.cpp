// Port texts the monitor compares at start-up come from the command line, the legacy profile's
// "PrinterPorts" entry and the spooler: the listed port is always a part of its entry, the
// decision never reads outside its texts, and the kernel object names made from a printer
// name keep their limit and hold no backslash.
//
// Input: job port, "PrinterPorts" entry and the spooler's port, separated by zero bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/instance_names.h"
#include "common/text_util.h"
#include "monitor/startup_rules.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string_view Next(std::string_view* rest) {
  const size_t end = rest->find('\0');
  const std::string_view part = rest->substr(0, end);
  rest->remove_prefix(end == std::string_view::npos ? rest->size() : end + 1);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  // Copies of exactly their size, so that a read past a text is caught.
  const std::string jobPort(Next(&rest));
  const std::string entry(Next(&rest));
  const std::string printerPort(Next(&rest));

  const std::string_view listed = vgmon::ListedPort(entry);
  if (!listed.empty()) {
    Check(listed.data() > entry.data() && listed.data() + listed.size() <= entry.data() + entry.size());
    Check(listed.find(',') == std::string_view::npos && listed.data()[-1] == ',');
  }
  const bool accepted = vgmon::IsPrintersPort(jobPort, listed, printerPort);
  if (vgtext::EqualsNoCase(jobPort, printerPort)) Check(accepted);
  if (vgmon::IsFilePort(jobPort)) Check(vgtext::StartsWithNoCase(jobPort, "file:"));

  for (const std::string* name : {&jobPort, &entry}) {
    const std::string mapping = vgnames::InstanceMappingName(*name, printerPort);
    const std::string event = vgnames::SynchroEventName(*name, printerPort);
    Check(mapping.size() <= 259 && event.size() <= 259);
    Check(mapping.find('\\') == std::string::npos && event.find('\\') == std::string::npos);
    Check(mapping.compare(0, 7, "VG_MAP_") == 0);
  }
  vgmon::IsValidJobId(entry);
  return 0;
}
