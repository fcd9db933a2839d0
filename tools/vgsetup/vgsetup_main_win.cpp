// Entry of vgsetup.exe: installs or removes a model and a printer of this system.
#include <cstdio>
#include <string_view>
#include <vector>

#include "tools/vgsetup/setup_install_win.h"
#include "tools/vgsetup/setup_options.h"

int main(int argc, char** argv) {
  std::vector<std::string_view> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);

  const vgsetup::ParseOutcome parsed = vgsetup::ParseSetupArgs(args);
  const std::string_view usage = vgsetup::UsageText();
  if (!parsed.ok) {
    std::fprintf(stderr, "vgsetup: %s\n%.*s", parsed.error.c_str(), static_cast<int>(usage.size()),
                 usage.data());
    return 2;
  }
  switch (parsed.options.command) {
    case vgsetup::Command::kInstall:
      return vgsetup::RunInstall(parsed.options);
    case vgsetup::Command::kUninstall:
      return vgsetup::RunUninstall(parsed.options);
    case vgsetup::Command::kHelp:
      break;
  }
  std::printf("%.*s", static_cast<int>(usage.size()), usage.data());
  return 0;
}
