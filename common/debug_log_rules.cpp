#include "common/debug_log_rules.h"

namespace vglog {

LogFolder ChooseLogFolder(bool ntPlatform, unsigned majorVersion) {
  if (!ntPlatform) return LogFolder::kNone;
  return majorVersion >= 5 ? LogFolder::kCommonAppData : LogFolder::kTemp;
}

std::string_view LogFileNamePart(std::string_view builtInName) {
  size_t slash = builtInName.find_last_of('\\');
  return slash == std::string_view::npos ? builtInName : builtInName.substr(slash + 1);
}

unsigned EffectiveTraceLevel(unsigned level) { return level < kTraceLevels ? level : 0; }

}  // namespace vglog
