#include "common/spooler_printer_win.h"

#include "common/kv_open_printer_win.h"

std::vector<BYTE> QueryPrinterInfo2(HANDLE printer) {
  DWORD needed = 0;
  if (::GetPrinterA(printer, 2, nullptr, 0, &needed) ||
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) {
    return {};
  }
  std::vector<BYTE> info(needed, 0);
  if (!::GetPrinterA(printer, 2, info.data(), needed, &needed)) return {};
  return info;
}

SpoolerPrinter::SpoolerPrinter(const char* printerName, ACCESS_MASK access) {
  if (printerName == nullptr || printerName[0] == '\0') return;
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, access};
  if (!KV_OpenPrinter(printerName, m_hPrinter.Receive(), access != 0 ? &defaults : nullptr)) {
    m_hPrinter.Close();
    return;
  }
  Refresh();
}

bool SpoolerPrinter::Refresh() {
  m_info = IsOpen() ? QueryPrinterInfo2(m_hPrinter.Get()) : std::vector<BYTE>();
  // A block too short for the record is no record.
  if (m_info.size() < sizeof(PRINTER_INFO_2A)) m_info.clear();
  return !m_info.empty();
}

const PRINTER_INFO_2A* SpoolerPrinter::Info() const {
  return m_info.empty() ? nullptr : reinterpret_cast<const PRINTER_INFO_2A*>(m_info.data());
}

PRINTER_INFO_2A* SpoolerPrinter::MutableInfo() {
  return m_info.empty() ? nullptr : reinterpret_cast<PRINTER_INFO_2A*>(m_info.data());
}

std::string SpoolerPrinter::DriverName() const {
  const PRINTER_INFO_2A* info = Info();
  return info != nullptr && info->pDriverName != nullptr ? info->pDriverName : "";
}

std::string SpoolerPrinter::PortName() const {
  const PRINTER_INFO_2A* info = Info();
  return info != nullptr && info->pPortName != nullptr ? info->pPortName : "";
}
