#pragma once
// The print spooler steps of vgsetup: the driver, the port, the printer and its printer data.
#include <string>
#include <vector>

#include "common/registry_keys.h"
#include "tools/vgsetup/setup_plan.h"

namespace vgsetup {

// The folder from which the spooler takes the files of a new driver, and the folder of the
// current driver version below it, where the installed driver files end up.
std::string PrinterDriverFolder();
std::string VersionedDriverFolder();

std::vector<PrinterEntry> ListPrinters();
bool FindPrinter(const std::string& name, PrinterEntry* entry);

struct DriverEntry {
  std::string name;
  std::string driverFile;
  std::string dataFile;
  std::string configFile;
  std::vector<std::string> dependentFiles;
};
std::vector<DriverEntry> ListDrivers();
bool FindDriver(const std::string& name, DriverEntry* entry);

bool PortExists(const std::string& port);
// Through the local port monitor, as the port dialog of the printer's properties does.
bool AddLocalPort(const std::string& port, std::string* error);
bool DeleteLocalPort(const std::string& port, std::string* error);

// Adds (or updates) a driver whose files the caller has put into PrinterDriverFolder().
bool AddDriver(const std::string& name, const std::string& driverFile, const std::string& dataFile,
               const std::vector<std::string>& dependentFiles, std::string* error);
// True when the driver is gone afterwards (also when it never existed). Its files stay where
// the spooler leaves them; the caller removes those it put there.
bool DeleteDriver(const std::string& name, std::string* error);

bool AddPrinterOnPort(const std::string& printer, const std::string& driver,
                      const std::string& port, std::string* error);
bool SetPrinterPort(const std::string& printer, const std::string& port, std::string* error);
// True when the printer is gone afterwards (also when it never existed).
bool DeletePrinterNamed(const std::string& printer, std::string* error);

bool SetPrinterString(const std::string& printer, const std::string& name, const std::string& value,
                      std::string* error);
bool GetPrinterString(const std::string& printer, const std::string& name, std::string* value);
// The full path of the data file of the printer's driver (driver information level 6).
bool GetDriverDataFile(const std::string& printer, std::string* path, std::string* error);

}  // namespace vgsetup
