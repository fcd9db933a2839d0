#pragma once
// vgsetup's two commands. Each reports every step on standard output ("[ok] ...",
// "[skip] ...", "[warn] ..."), a failure on standard error, and returns the exit code:
// 0 done, 1 a step failed. Every step can be repeated, so running the same command again
// finishes what a failed run left half-done.
#include "tools/vgsetup/setup_options.h"

namespace vgsetup {

// The installation folder keeps the list of the files vgsetup put there, so that an
// uninstall removes those and nothing else.
constexpr char kManifestName[] = "vgsetup.lst";

int RunInstall(const SetupOptions& options);
int RunUninstall(const SetupOptions& options);

}  // namespace vgsetup
