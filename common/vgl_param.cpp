#include "common/vgl_param.h"

#include <cstring>

#include "common/text_util.h"

namespace {

bool NameIs(const char* name, const char* option) { return vgtext::EqualsNoCase(name, option); }

void AppendTextLine(std::string& out, const char* option, const char* value) {
  if (value[0] == '\0') return;
  out += '/';
  out += option;
  out += " \"";
  out += value;
  out += "\"\n";
}

void AppendFlagLine(std::string& out, const char* option, int flag) {
  if (!flag) return;
  out += '/';
  out += option;
  out += '\n';
}

}  // namespace

CVglParam::CVglParam() { Clear(); }

CVglParam::~CVglParam() = default;

void CVglParam::Clear() {
  TempFolder[0] = '\0';
  RemoveFlag = FlagS = FlagE = FlagC = FlagU = FlagBE = 0;
  for (char* field : {PrinterName, DriverName, PortName, ModelID, ParamFileToRead, ParamFileName,
                      JobID, BH, BU, BD, BI, BN, KVM}) {
    field[0] = '\0';
  }
}

void CVglParam::SetOption(const char* name, const char* value) {
  if (name == nullptr || value == nullptr) return;
  struct TextOption {
    const char* name;
    char (*field)[kParamTextSize];
  };
  const TextOption texts[] = {{"P", &PrinterName}, {"D", &DriverName}, {"O", &PortName},
                              {"M", &ModelID},     {"J", &JobID},      {"BH", &BH},
                              {"BU", &BU},         {"BD", &BD},        {"BI", &BI},
                              {"BN", &BN},         {"KVM", &KVM}};
  for (const TextOption& option : texts) {
    if (NameIs(name, option.name)) {
      CopyParamText(*option.field, value);
      return;
    }
  }
  struct FlagOption {
    const char* name;
    int* flag;
  };
  const FlagOption flags[] = {{"R", &RemoveFlag}, {"S", &FlagS}, {"U", &FlagU},
                              {"C", &FlagC},      {"E", &FlagE}, {"BE", &FlagBE}};
  for (const FlagOption& option : flags) {
    if (NameIs(name, option.name)) {
      *option.flag = 1;
      return;
    }
  }
}

void CVglParam::ApplyCommandLine() {
  char name[kParamTextSize];
  char value[kParamTextSize];
  for (int index = 0; GetArg(index, name, value) != -1; ++index) {
    SetOption(name, value);
    if (NameIs(name, "F")) CopyParamText(ParamFileToRead, value);
    if (NameIs(name, "A")) CopyParamText(ParamFileName, value);
  }
}

void CVglParam::ApplyParamLine(std::string_view line) {
  char name[80];
  char value[kParamTextSize];
  if (!ParseParamLine(line, name, value)) return;
  SetOption(name, value);
  if (NameIs(name, "A")) CopyParamText(ParamFileName, value);
}

void CVglParam::ApplyBeRule() {
  if (BH[0] == '\0' || BU[0] == '\0' || BD[0] == '\0' || BI[0] == '\0') FlagBE = 0;
}

std::string CVglParam::FormatParamFile() const {
  std::string out;
  AppendTextLine(out, "P", PrinterName);
  AppendTextLine(out, "D", DriverName);
  AppendTextLine(out, "O", PortName);
  AppendTextLine(out, "M", ModelID);
  AppendTextLine(out, "J", JobID);
  AppendFlagLine(out, "S", FlagS);
  AppendFlagLine(out, "R", RemoveFlag);
  AppendFlagLine(out, "E", FlagE);
  AppendFlagLine(out, "U", FlagU);
  AppendFlagLine(out, "C", FlagC);
  AppendFlagLine(out, "BE", FlagBE);
  AppendTextLine(out, "BH", BH);
  AppendTextLine(out, "BU", BU);
  AppendTextLine(out, "BD", BD);
  AppendTextLine(out, "BI", BI);
  AppendTextLine(out, "BN", BN);
  AppendTextLine(out, "KVM", KVM);
  return out;
}

bool IsInsideFolder(std::string_view fullPath, std::string_view folder) {
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.remove_suffix(1);
  if (folder.empty() || fullPath.size() <= folder.size() + 1) return false;
  if (!vgtext::StartsWithNoCase(fullPath, folder)) return false;
  const char separator = fullPath[folder.size()];
  if (separator != '\\' && separator != '/') return false;
  // A full path holds no "." or ".." parts; one that does is not trusted to stay inside.
  const std::string_view rest = fullPath.substr(folder.size() + 1);
  return rest.find("..") == std::string_view::npos && rest.find(":") == std::string_view::npos;
}

std::string RunValueParamFile(std::string_view runValue) {
  // The grammar reads 259 characters; a longer value is searched by its quotes alone.
  if (runValue.size() < kParamTextSize) {
    CCmdLine line;
    line.SetText(runValue);
    char name[kParamTextSize];
    char value[kParamTextSize];
    for (int index = 0; line.GetArg(index, name, value) != -1; ++index) {
      if (vgtext::EqualsNoCase(name, "A")) return value;
    }
  }
  const size_t first = runValue.find('"');
  const size_t last = runValue.rfind('"');
  if (first == std::string_view::npos || last <= first) return std::string();
  return std::string(runValue.substr(first + 1, last - first - 1));
}

bool IsOwnParamFileName(std::string_view path) {
  const size_t slash = path.find_last_of('\\');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return vgtext::StartsWithNoCase(name, "VG_") &&
         vgtext::FindNoCase(path, ".tmp") != std::string_view::npos;
}

int IsHtmlHelpFile(const char* path) {
  if (path == nullptr || path[0] == '\0') return 0;
  const char* dot = std::strrchr(path, '.');
  if (dot == nullptr) return 0;
  return vgtext::StartsWithNoCase(dot, ".chm") ? 1 : 0;
}
