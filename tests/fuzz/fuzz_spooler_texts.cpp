// Texts from the spooler and the legacy profile: the port the monitor compares at start-up
// (the command line's, the "PrinterPorts" entry's, the spooler's) and the document names of
// queued jobs, which any user who prints chooses. The listed port is always a part of its
// entry, no decision reads outside its texts, and the kernel object names and key paths made
// from a printer name keep their limits and hold no backslash where none may stand.
//
// Input: job port, "PrinterPorts" entry and the spooler's port, separated by zero bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/instance_names.h"
#include "common/target_key_rules.h"
#include "common/text_util.h"
#include "monitor/spooler_job_rules.h"
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

  // The same texts as document names of the queue's first job.
  for (const std::string* document : {&jobPort, &entry, &printerPort}) {
    const vgmon::QueueVerdict verdict = vgmon::JudgeQueue(1, document->c_str());
    Check(verdict.result == (vgmon::IsDummyDocument(*document) ? 0 : 1) && verdict.logText);
  }
  Check(vgmon::JudgeQueue(1, nullptr).result == -2);

  // Key paths with a name read back from the registry stay within their 260 bytes.
  char path[vgtarget::kKeyPathSize];
  if (vgtarget::JoinKeyPath(path, sizeof path, entry, jobPort)) {
    Check(std::string(path) == entry + "\\" + jobPort);
  } else {
    Check(path[0] == '\0' && entry.size() + 1 + jobPort.size() >= sizeof path);
  }
  const std::string portBase = vgtarget::PortBaseBeside(entry);
  Check(vgtarget::IsPortBase(portBase));
  return 0;
}
