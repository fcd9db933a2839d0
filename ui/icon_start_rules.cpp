#include "ui/icon_start_rules.h"

namespace vgstart {

namespace {

std::optional<std::string> Fitting(std::string line) {
  if (line.size() + 1 > kCommandLineSize) return std::nullopt;
  return line;
}

std::string Quoted(std::string_view text) {
  std::string quoted("\"");
  quoted += text;
  quoted += '"';
  return quoted;
}

}  // namespace

std::string_view RunValueName(std::string_view printer, std::string_view port) {
  return printer.empty() ? port : printer;
}

std::optional<std::string> AutoStartCommandLine(std::string_view program,
                                                std::string_view paramFile) {
  return Fitting(Quoted(program) + " /A " + Quoted(paramFile));
}

std::optional<std::string> ParamFileCommandLine(std::string_view program,
                                                std::string_view paramFile) {
  return Fitting(Quoted(program) + " /F " + Quoted(paramFile));
}

std::optional<std::string> OptionsCommandLine(std::string_view program, std::string_view printer,
                                              std::string_view port, std::string_view model,
                                              bool remove) {
  std::string line = Quoted(program);
  line += " /P" + std::to_string(printer.size()) + " " + Quoted(printer);
  line += " /O" + std::to_string(port.size()) + " " + Quoted(port);
  // A model with a quote or a line feed would end early and leave a quote open that hides
  // the R flag behind it; only such a model carries its length.
  line += " /M";
  if (model.find_first_of("\"\n") != std::string_view::npos) line += std::to_string(model.size());
  line += " " + Quoted(model);
  if (remove) line += " /R";
  return Fitting(std::move(line));
}

}  // namespace vgstart
