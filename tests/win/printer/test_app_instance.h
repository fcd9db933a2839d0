#pragma once
// The printer unit tests' library application object (the DLL defines its own).

namespace vgtest {

// While on, every lookup of the application object throws std::bad_alloc, as an allocation
// that fails inside an export would.
void FailAppLookups(bool on);

}  // namespace vgtest
