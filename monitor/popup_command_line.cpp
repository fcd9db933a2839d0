#include "monitor/popup_command_line.h"

namespace vgmon {
namespace {

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  out.append(text.data(), text.size());
  out += '"';
  return out;
}

constexpr size_t kMaxArguments = 259;
constexpr size_t kMaxCommandLine = 519;

}  // namespace

std::optional<std::string> PopupArguments(std::string_view paramFile, std::string_view printer,
                                          std::string_view port, std::string_view model,
                                          std::string_view jobId) {
  std::string arguments;
  if (!paramFile.empty()) {
    arguments = "/F " + Quoted(paramFile) + " /S";
  } else {
    arguments = "/P" + std::to_string(printer.size()) + " " + Quoted(printer) + " /O" +
                std::to_string(port.size()) + " " + Quoted(port) + " /M" +
                std::to_string(model.size()) + " " + Quoted(model);
    if (!jobId.empty()) arguments += " /J " + Quoted(jobId);
    arguments += " /S";
  }
  if (arguments.size() > kMaxArguments) return std::nullopt;
  return arguments;
}

std::optional<std::string> ProgramCommandLine(std::string_view program,
                                              std::string_view arguments) {
  std::string line = Quoted(program) + " ";
  line.append(arguments.data(), arguments.size());
  if (line.size() > kMaxCommandLine) return std::nullopt;
  return line;
}

}  // namespace vgmon
