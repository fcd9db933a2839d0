// What vgsetup reads back at an uninstall was stored where others can edit it: the install
// record (a registry multi-string) and the file list (a file of the installation folder).
// Whatever they hold, the list names only plain files, the switch plan only the common
// switches, and a decoded record survives being stored again unchanged.
//
// Input: [record bytes] "\0\0\0" [manifest text]
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_util.h"
#include "tools/vgsetup/setup_options.h"
#include "tools/vgsetup/setup_plan.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsCommonSwitch(std::string_view name) {
  for (std::string_view known : vgsetup::kCommonSwitches) {
    if (known == name) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find(std::string_view("\0\0\0", 3));
  const std::string_view recordBytes = input.substr(0, split);
  const std::string_view manifest =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 3);

  vgsetup::InstallRecord record;
  if (vgsetup::DecodeRecord(recordBytes, &record)) {
    Check(!record.driver.empty() && !record.model.empty());
    for (const auto* list : {&record.addedPorts, &record.createdSwitches}) {
      for (const std::string& item : *list) {
        Check(!item.empty() && item.find(',') == std::string::npos);
      }
    }
    // Fields that hold a zero byte or begin a new item cannot be stored; the rest round-trip.
    vgsetup::InstallRecord again;
    Check(vgsetup::DecodeRecord(vgsetup::EncodeRecord(record), &again));
    Check(again.driver == record.driver && again.model == record.model &&
          again.port == record.port && again.installDir == record.installDir &&
          again.addedPorts == record.addedPorts && again.createdSwitches == record.createdSwitches);

    const vgsetup::SwitchRemoval plan =
        vgsetup::PlanSwitchRemoval(record.createdSwitches, record.port, record.addedPorts);
    for (const std::string& name : plan.switches) Check(IsCommonSwitch(name));
    if (!plan.heir.empty()) Check(!vgtext::EqualsNoCase(plan.heir, record.port));
  }

  const std::vector<std::string> names = vgsetup::DecodeManifest(manifest);
  for (size_t i = 0; i < names.size(); ++i) {
    Check(vgsetup::IsPlainFileName(names[i]));
    for (size_t j = 0; j < i; ++j) Check(!vgtext::EqualsNoCase(names[i], names[j]));
  }
  Check(vgsetup::DecodeManifest(vgsetup::EncodeManifest(names)) == names);
  return 0;
}
