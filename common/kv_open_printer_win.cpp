#include "common/kv_open_printer_win.h"

#include <cstring>
#include <vector>

#include "common/windows_version_win.h"

BOOL KV_OpenPrinter(const char* printerName, HANDLE* printer, PRINTER_DEFAULTSA* defaults) {
  if (printer == nullptr) return FALSE;
  *printer = nullptr;
  BOOL opened = ::OpenPrinterA(const_cast<char*>(printerName), printer, defaults);
  if (opened && *printer != nullptr) return opened;
  if (!IsNtPlatform() || printerName == nullptr) return opened;

  const int length = static_cast<int>(std::strlen(printerName));
  std::vector<wchar_t> wide(static_cast<size_t>(length) + 1, L'\0');
  ::SetLastError(0);
  int converted = ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED | MB_ERR_INVALID_CHARS, printerName,
                                        length, wide.data(), length + 1);
  if (converted == 0) return opened;
  if (::GetLastError() == ERROR_NO_UNICODE_TRANSLATION) return opened;

  PRINTER_DEFAULTSW wideDefaults = {};
  if (defaults) wideDefaults.DesiredAccess = defaults->DesiredAccess;
  *printer = nullptr;
  return ::OpenPrinterW(wide.data(), printer, defaults ? &wideDefaults : nullptr);
}
