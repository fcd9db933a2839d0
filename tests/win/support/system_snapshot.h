#pragma once
// What an installation can change on this machine, as text: registry keys with their values,
// the spooler's printers, drivers and ports, and folder listings. Two snapshots taken before
// an installation and after its removal must be equal.
#include <string>
#include <vector>

#include "common/win.h"

namespace vgtest {

// Appends the key and everything below it: values with type and data, then the subkeys.
void DumpKey(HKEY root, const std::string& path, std::string* out);

// The names in a folder, sorted, as one line.
std::string FolderListing(const std::string& folder);

// The spooler's printer driver folder (GetPrinterDriverDirectory).
std::string DriverFolder();

// The system's program folder ("ProgramFiles").
std::string ProgramFilesFolder();

// The two-call buffer pattern: call(nullptr, 0, ...) for the size, then the real call. count
// is 0 when either call fails.
template <typename Call>
std::vector<BYTE> Listing(Call call, DWORD* count) {
  DWORD needed = 0;
  *count = 0;
  call(nullptr, 0, &needed, count);
  std::vector<BYTE> buffer(needed + 1);
  if (needed == 0 || !call(buffer.data(), needed, &needed, count)) *count = 0;
  return buffer;
}

// Everything an installation of this printer, driver and model can touch: the product's keys
// (Driver key, Profile, Setup, common switches), the printer's and driver's spooler keys, the
// legacy printer lists, every printer, driver and port the spooler lists, the driver folders
// and the model's default installation folder.
std::string InstallationSnapshot(const std::string& printer, const std::string& driver,
                                 const std::string& model);

}  // namespace vgtest
