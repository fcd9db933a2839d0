#include "ui/agent_rules.h"

#include <cstdio>

#include "common/text_util.h"

namespace vgagent {

namespace {

constexpr std::string_view kSecondLibrary = "QVAPI2.DLL";
constexpr std::string_view kSetupProgram = "qvapiset.exe";
constexpr std::string_view kElevationSubfolder = "\\KORVA\\";

std::optional<std::string> Fitting(std::string text, size_t bufferSize) {
  if (text.size() >= bufferSize) return std::nullopt;
  return text;
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  out.append(text.data(), text.size());
  out += '"';
  return out;
}

}  // namespace

int AgentKindFromLibrary(std::string_view qvapi32) {
  return vgtext::EqualsNoCase(qvapi32, kSecondLibrary) ? kAgentKind2 : kAgentKind1;
}

bool LegacyNetworkOnly(int agentKind, bool libraryKeyExists, bool ipxKeyExists) {
  if (agentKind >= kAgentKind2) return false;
  return !libraryKeyExists && ipxKeyExists;
}

std::optional<std::string> AgentSettingsParameters(std::string_view driver,
                                                   std::string_view printer, int inhibit) {
  // A quote inside a name would end its value early and let the rest pass as options.
  if (driver.find('"') != std::string_view::npos || printer.find('"') != std::string_view::npos) {
    return std::nullopt;
  }
  return Fitting(
      "/agnt /drv:" + Quoted(driver) + " /p:" + Quoted(printer) + " /im:" + std::to_string(inhibit),
      kAgentBufferSize);
}

std::optional<std::string> AgentSettingsCommandLine(std::string_view program,
                                                    std::string_view driver,
                                                    std::string_view printer, int inhibit) {
  const auto parameters = AgentSettingsParameters(driver, printer, inhibit);
  if (!parameters) return std::nullopt;
  std::string line(program);
  line += ' ';
  line += *parameters;
  return Fitting(std::move(line), kAgentBufferSize);
}

std::string_view ProgramFileName(std::string_view programPath) {
  const size_t slash = programPath.rfind('\\');
  return slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
}

std::optional<std::string> ElevationFolder(std::string_view commonAppData) {
  if (commonAppData.empty()) return std::nullopt;
  std::string folder(commonAppData);
  folder += kElevationSubfolder;
  return Fitting(std::move(folder), kAgentBufferSize);
}

std::optional<std::string> ElevationCopyPath(std::string_view commonAppData,
                                             std::string_view programPath) {
  const std::string_view name = ProgramFileName(programPath);
  auto folder = ElevationFolder(commonAppData);
  if (name.empty() || !folder) return std::nullopt;
  folder->append(name.data(), name.size());
  return Fitting(std::move(*folder), kAgentBufferSize);
}

std::optional<std::string> SetupProgramPath(std::string_view installDir) {
  if (installDir.empty()) return std::nullopt;
  std::string path(installDir);
  if (path.back() != '\\') path += '\\';
  path += kSetupProgram;
  return Fitting(std::move(path), kAgentBufferSize);
}

std::string SetupParameters(uint32_t window, uint32_t message, bool on) {
  char text[96];
  std::snprintf(text, sizeof text, "/Act=Ch /QVP=A:NC /Ret=WM:%x;%x %s",
                static_cast<unsigned>(window), static_cast<unsigned>(message),
                on ? " /Agt=On" : " /Agt=Off");
  return text;
}

std::optional<std::string> SetupCommandLine(std::string_view program, uint32_t window,
                                            uint32_t message, bool on) {
  std::string line(program);
  line += ' ';
  line += SetupParameters(window, message, on);
  return Fitting(std::move(line), kSetupCommandLineSize);
}

}  // namespace vgagent
