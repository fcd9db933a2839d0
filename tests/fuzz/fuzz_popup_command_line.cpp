// The pop-up program's command line carries names that came from outside (the printing side's
// printer, port and model names): whatever they hold, the line the monitor builds reads back
// through the command-line grammar to exactly those names, or is not built at all.
//
// Input: printer, port and model separated by zero bytes; the job id is the digits of the
// rest (the monitor passes only digits).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "common/vgl_param.h"
#include "monitor/popup_command_line.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string_view Next(std::string_view* rest) {
  const size_t end = rest->find('\0');
  const std::string_view part = rest->substr(0, end);
  rest->remove_prefix(end == std::string_view::npos ? rest->size() : end + 1);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string_view printer = Next(&rest);
  const std::string_view port = Next(&rest);
  const std::string_view model = Next(&rest);
  std::string jobId;
  for (char c : rest) {
    if (c >= '0' && c <= '9') jobId += c;
  }

  const auto arguments = vgmon::PopupArguments("", printer, port, model, jobId);
  if (!arguments) return 0;
  Check(arguments->size() <= 259);
  CVglParam param;
  param.SetText(*arguments);
  param.ApplyCommandLine();
  Check(param.PrinterName == printer);
  Check(param.PortName == port);
  Check(param.ModelID == model);
  Check(param.JobID == jobId);
  Check(param.FlagS == 1);
  Check(param.ParamFileToRead[0] == '\0' && param.ParamFileName[0] == '\0');

  // The parameter-file form: its name comes from the temporary folder, quoted as it is.
  const auto fileArguments = vgmon::PopupArguments(printer, "", "", "", "");
  if (fileArguments && printer.find('"') == std::string_view::npos &&
      printer.find('\n') == std::string_view::npos) {
    CVglParam file;
    file.SetText(*fileArguments);
    file.ApplyCommandLine();
    Check(file.ParamFileToRead == printer);
  }
  return 0;
}
