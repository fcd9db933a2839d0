// vgsetup's command line and the model profile it installs from are written by whoever runs
// it: an accepted command line names only valid names, and the profile's file names never
// point outside the installation folder.
//
// Input: words separated by zero bytes; after an empty word, the profile's values, one a line.
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

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (!text.empty()) {
    const size_t end = text.find(separator);
    parts.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find(std::string_view("\0\0", 2));
  const std::string_view words = input.substr(0, split);
  const std::string_view profileText =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 2);

  const vgsetup::ParseOutcome parsed = vgsetup::ParseSetupArgs(Split(words, '\0'));
  const vgsetup::SetupOptions& options = parsed.options;
  if (!parsed.ok) {
    Check(!parsed.error.empty());
  } else if (options.command != vgsetup::Command::kHelp) {
    Check(vgsetup::IsValidPrinterName(options.printer));
    if (options.command == vgsetup::Command::kInstall) {
      Check(vgsetup::IsValidPortName(options.port) && vgsetup::IsValidModelId(options.model));
      Check(options.driver.empty() || vgsetup::IsValidDriverName(options.driver));
      Check(options.driverFile.empty() || vgsetup::IsPlainFileName(options.driverFile));
    }
  }
  for (std::string_view word : Split(words, '\0')) {
    if (vgsetup::IsPlainFileName(word)) {
      Check(word.find_first_of("\\/:") == std::string_view::npos && word != "." && word != "..");
    }
  }

  // The profile's values, in the order of ProfileValues.
  const auto lines = Split(profileText, '\n');
  auto line = [&lines](size_t i) { return i < lines.size() ? std::string(lines[i]) : std::string(); };
  vgsetup::ProfileValues profile;
  profile.driverName = line(0);
  profile.type = line(1);
  profile.library = line(2);
  profile.localTimer = line(3);
  profile.networkTimer = line(4);
  profile.popupProgram = line(5);
  profile.iconProgram = line(6);
  profile.agentProgram = line(7);
  profile.extraFiles = line(8);
  profile.hasModelSection = !line(9).empty();
  profile.prnDll = line(9);
  for (size_t i = 10; i < lines.size(); ++i) {
    (i % 3 == 0 ? profile.resDlls : i % 3 == 1 ? profile.pictures : profile.helpFiles)
        .push_back(line(i));
  }

  const vgsetup::FileListOutcome files = vgsetup::ListInstallFiles(profile);
  if (files.ok) {
    for (size_t i = 0; i < files.files.size(); ++i) {
      Check(vgsetup::IsPlainFileName(files.files[i].name));
      for (size_t j = 0; j < i; ++j) {
        Check(!vgtext::EqualsNoCase(files.files[i].name, files.files[j].name));
      }
    }
  } else {
    Check(files.files.empty() && !files.error.empty());
  }
  if (parsed.ok && options.command == vgsetup::Command::kInstall) {
    const vgsetup::SettingsOutcome settings =
        vgsetup::ResolveSettings(options, profile, "C:\\Program Files");
    if (settings.ok) {
      Check(vgsetup::IsValidDriverName(settings.settings.driverName));
      Check(vgsetup::IsPlainFileName(settings.settings.libraryName));
    }
  }
  return 0;
}
