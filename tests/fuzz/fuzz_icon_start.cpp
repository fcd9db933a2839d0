// The tray icon program's log-on registrations (the "Run" values, registry data another program
// may have written) and its command lines built from outside names: the parameter file a value
// names lies inside the value, and a command line built from names reads back through the
// grammar to the same names and flag.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/vgl_param.h"
#include "ui/icon_start_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string file = RunValueParamFile(text);
  if (!file.empty() && text.find(file) == std::string_view::npos) __builtin_trap();
  IsOwnParamFileName(file);

  // Three names separated by zero bytes; the first byte of the input chooses the R flag.
  if (size == 0) return 0;
  const bool remove = (data[0] & 1) != 0;
  std::string_view rest = text.substr(1);
  std::string_view names[3];
  for (auto& name : names) {
    const size_t end = rest.find('\0');
    name = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  if (names[0].size() > 259 || names[1].size() > 259 || names[2].size() > 259) return 0;
  const auto line = vgstart::OptionsCommandLine("C:\\Vigil\\vgicon.exe", names[0], names[1],
                                                names[2], remove);
  if (!line) return 0;
  if (line->size() >= vgstart::kCommandLineSize) __builtin_trap();
  if (line->size() >= kParamTextSize) return 0;  // the grammar reads 259 characters
  CVglParam param;
  param.SetText(*line);
  param.ApplyCommandLine();
  if (names[0] != param.PrinterName || names[1] != param.PortName) __builtin_trap();
  if (names[2] != param.ModelID) __builtin_trap();
  if ((param.RemoveFlag != 0) != remove) __builtin_trap();
  return 0;
}
