#include "tools/vgsetup/setup_spooler_win.h"

#include "common/spooler_printer_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "common/win.h"
#include "tools/vgsetup/setup_files_win.h"

namespace vgsetup {
namespace {

// A spooler listing: asks for the size, then fills a buffer of that size.
template <typename Call>
std::vector<BYTE> QueryBuffer(Call call, DWORD* count) {
  DWORD needed = 0;
  *count = 0;
  call(nullptr, 0, &needed, count);
  if (needed == 0) return {};
  std::vector<BYTE> buffer(needed);
  if (!call(buffer.data(), needed, &needed, count)) {
    *count = 0;
    return {};
  }
  return buffer;
}

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

bool OpenPrinterFor(const std::string& printer, ACCESS_MASK access, ScopedPrinter* handle) {
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, access};
  HANDLE opened = nullptr;
  if (!::OpenPrinterA(const_cast<char*>(printer.c_str()), &opened, &defaults)) return false;
  handle->Reset(opened);
  return true;
}

// Talks to the local port monitor, which owns ports such as "LPT1:", "USB001" or a share.
bool LocalPortCall(const wchar_t* command, const std::string& port, std::string* error) {
  PRINTER_DEFAULTSW defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
  HANDLE opened = nullptr;
  if (!::OpenPrinterW(const_cast<wchar_t*>(L",XcvMonitor Local Port"), &opened, &defaults)) {
    if (error) *error = WithSystemError("cannot reach the local port monitor", ::GetLastError());
    return false;
  }
  ScopedPrinter monitor(opened);
  std::vector<wchar_t> wide(port.size() + 1, L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, port.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  DWORD needed = 0;
  DWORD status = ERROR_SUCCESS;
  if (!::XcvDataW(monitor.Get(), command, reinterpret_cast<BYTE*>(wide.data()),
                  static_cast<DWORD>(wide.size() * sizeof(wchar_t)), nullptr, 0, &needed,
                  &status)) {
    if (error) *error = WithSystemError("the local port monitor refused", ::GetLastError());
    return false;
  }
  if (status != ERROR_SUCCESS) {
    if (error) *error = WithSystemError("the local port monitor refused", status);
    return false;
  }
  return true;
}

}  // namespace

std::string PrinterDriverFolder() {
  char folder[MAX_PATH] = {};
  DWORD needed = 0;
  if (!::GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder),
                                    sizeof folder, &needed)) {
    return std::string();
  }
  return folder;
}

std::string VersionedDriverFolder() {
  const std::string folder = PrinterDriverFolder();
  // Drivers of the NT family (version 3) live in the subfolder "3".
  return folder.empty() ? folder : JoinPath(folder, "3");
}

std::vector<PrinterEntry> ListPrinters() {
  DWORD count = 0;
  std::vector<BYTE> buffer = QueryBuffer(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, data, size, needed, returned);
      },
      &count);
  std::vector<PrinterEntry> printers;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    printers.push_back(
        {Text(info[i].pPrinterName), Text(info[i].pDriverName), Text(info[i].pPortName)});
  }
  return printers;
}

bool FindPrinter(const std::string& name, PrinterEntry* entry) {
  for (PrinterEntry& printer : ListPrinters()) {
    if (vgtext::EqualsNoCase(printer.name, name)) {
      if (entry) *entry = std::move(printer);
      return true;
    }
  }
  return false;
}

std::vector<DriverEntry> ListDrivers() {
  DWORD count = 0;
  std::vector<BYTE> buffer = QueryBuffer(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return ::EnumPrinterDriversA(nullptr, nullptr, 3, data, size, needed, returned);
      },
      &count);
  std::vector<DriverEntry> drivers;
  const auto* info = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    DriverEntry entry;
    entry.name = Text(info[i].pName);
    entry.driverFile = Text(info[i].pDriverPath);
    entry.dataFile = Text(info[i].pDataFile);
    entry.configFile = Text(info[i].pConfigFile);
    // A list of strings that ends with an empty one, all inside the buffer.
    const char* end = reinterpret_cast<const char*>(buffer.data() + buffer.size());
    for (const char* file = info[i].pDependentFiles; file && file < end && *file;) {
      const std::string_view name = vgtext::BoundedView(file, static_cast<size_t>(end - file));
      entry.dependentFiles.emplace_back(name);
      file += name.size() + 1;
    }
    drivers.push_back(std::move(entry));
  }
  return drivers;
}

bool FindDriver(const std::string& name, DriverEntry* entry) {
  for (DriverEntry& driver : ListDrivers()) {
    if (vgtext::EqualsNoCase(driver.name, name)) {
      if (entry) *entry = std::move(driver);
      return true;
    }
  }
  return false;
}

bool PortExists(const std::string& port) {
  DWORD count = 0;
  std::vector<BYTE> buffer = QueryBuffer(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return ::EnumPortsA(nullptr, 1, data, size, needed, returned);
      },
      &count);
  const auto* info = reinterpret_cast<const PORT_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (vgtext::EqualsNoCase(Text(info[i].pName), port)) return true;
  }
  return false;
}

bool AddLocalPort(const std::string& port, std::string* error) {
  return LocalPortCall(L"AddPort", port, error) && PortExists(port);
}

bool DeleteLocalPort(const std::string& port, std::string* error) {
  if (!PortExists(port)) return true;
  return LocalPortCall(L"DeletePort", port, error) && !PortExists(port);
}

bool AddDriver(const std::string& name, const std::string& driverFile, const std::string& dataFile,
               const std::vector<std::string>& dependentFiles, std::string* error) {
  // Dependent files: a list of strings closed by an empty one.
  std::string dependents;
  for (const std::string& file : dependentFiles) {
    dependents += file;
    dependents += '\0';
  }
  dependents += '\0';

  DRIVER_INFO_3A info = {};
  info.cVersion = 3;
  info.pName = const_cast<char*>(name.c_str());
  info.pDriverPath = const_cast<char*>(driverFile.c_str());
  info.pDataFile = const_cast<char*>(dataFile.c_str());
  info.pConfigFile = const_cast<char*>(driverFile.c_str());
  info.pDependentFiles = &dependents[0];
  // Copy every file again, so that a second run replaces what a first one left.
  if (::AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&info), APD_COPY_ALL_FILES)) {
    return true;
  }
  if (error)
    *error = WithSystemError("the spooler refused driver \"" + name + "\"", ::GetLastError());
  return false;
}

bool DeleteDriver(const std::string& name, std::string* error) {
  if (!FindDriver(name, nullptr)) return true;
  char* driver = const_cast<char*>(name.c_str());
  // Some spoolers support no deletion flags; the plain call removes the driver all the same.
  if (!::DeletePrinterDriverExA(nullptr, nullptr, driver, DPD_DELETE_UNUSED_FILES, 0) &&
      FindDriver(name, nullptr)) {
    if (!::DeletePrinterDriverExA(nullptr, nullptr, driver, 0, 0) && FindDriver(name, nullptr)) {
      ::DeletePrinterDriverA(nullptr, nullptr, driver);
    }
  }
  if (!FindDriver(name, nullptr)) return true;
  if (error) *error = WithSystemError("cannot remove driver \"" + name + "\"", ::GetLastError());
  return false;
}

bool AddPrinterOnPort(const std::string& printer, const std::string& driver,
                      const std::string& port, std::string* error) {
  PRINTER_INFO_2A info = {};
  info.pPrinterName = const_cast<char*>(printer.c_str());
  info.pPortName = const_cast<char*>(port.c_str());
  info.pDriverName = const_cast<char*>(driver.c_str());
  info.pPrintProcessor = const_cast<char*>("WinPrint");
  info.pDatatype = const_cast<char*>("RAW");
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  ScopedPrinter added(::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
  if (added.IsValid()) return true;
  if (error) *error = WithSystemError("cannot add printer \"" + printer + "\"", ::GetLastError());
  return false;
}

bool SetPrinterPort(const std::string& printer, const std::string& port, std::string* error) {
  SpoolerPrinter spooler(printer.c_str(), PRINTER_ALL_ACCESS);
  if (PRINTER_INFO_2A* info = spooler.MutableInfo()) {
    info->pPortName = const_cast<char*>(port.c_str());
    info->pSecurityDescriptor = nullptr;  // leave the printer's security as it is
    if (::SetPrinterA(spooler.Handle(), 2, reinterpret_cast<BYTE*>(info), 0)) return true;
  }
  if (error)
    *error =
        WithSystemError("cannot move printer \"" + printer + "\" to " + port, ::GetLastError());
  return false;
}

bool DeletePrinterNamed(const std::string& printer, std::string* error) {
  ScopedPrinter handle;
  if (!OpenPrinterFor(printer, PRINTER_ALL_ACCESS, &handle)) return !FindPrinter(printer, nullptr);
  if (::DeletePrinter(handle.Get())) return true;
  if (error)
    *error = WithSystemError("cannot remove printer \"" + printer + "\"", ::GetLastError());
  return false;
}

bool SetPrinterString(const std::string& printer, const std::string& name, const std::string& value,
                      std::string* error) {
  ScopedPrinter handle;
  DWORD rc = ERROR_INVALID_PRINTER_NAME;
  if (OpenPrinterFor(printer, PRINTER_ALL_ACCESS, &handle)) {
    rc = ::SetPrinterDataA(handle.Get(), const_cast<char*>(name.c_str()), REG_SZ,
                           reinterpret_cast<BYTE*>(const_cast<char*>(value.c_str())),
                           static_cast<DWORD>(value.size() + 1));
    if (rc == ERROR_SUCCESS) return true;
  }
  if (error)
    *error = WithSystemError("cannot set printer data " + name + " of \"" + printer + "\"", rc);
  return false;
}

bool GetPrinterString(const std::string& printer, const std::string& name, std::string* value) {
  ScopedPrinter handle;
  if (!OpenPrinterFor(printer, PRINTER_ACCESS_USE, &handle)) return false;
  char buffer[MAX_PATH] = {};
  DWORD type = 0;
  DWORD needed = 0;
  if (::GetPrinterDataA(handle.Get(), const_cast<char*>(name.c_str()), &type,
                        reinterpret_cast<BYTE*>(buffer), sizeof buffer - 1,
                        &needed) != ERROR_SUCCESS) {
    return false;
  }
  if (value) *value = std::string(vgtext::BoundedView(buffer, needed));
  return true;
}

bool GetDriverDataFile(const std::string& printer, std::string* path, std::string* error) {
  ScopedPrinter handle;
  if (OpenPrinterFor(printer, PRINTER_ACCESS_USE, &handle)) {
    DWORD count = 0;
    std::vector<BYTE> buffer = QueryBuffer(
        [&handle](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
          *returned = 1;
          return ::GetPrinterDriverA(handle.Get(), nullptr, 6, data, size, needed);
        },
        &count);
    if (!buffer.empty()) {
      const auto* info = reinterpret_cast<const DRIVER_INFO_6A*>(buffer.data());
      if (path) *path = Text(info->pDataFile);
      return true;
    }
  }
  if (error)
    *error = WithSystemError("cannot read the driver of \"" + printer + "\"", ::GetLastError());
  return false;
}

}  // namespace vgsetup
