#pragma once
// Decisions of the debug log that do not need the system: where the file goes and what it
// is called, and how trace levels count.
#include <string_view>

namespace vglog {

enum class LogFolder {
  kNone,           // no log on this platform
  kCommonAppData,  // the all-users application-data folder
  kTemp,           // the system temporary folder
};

// Only the NT family logs; NT 5.0 and later into the common application-data folder (with
// the temporary folder as fall-back), earlier versions into the temporary folder.
LogFolder ChooseLogFolder(bool ntPlatform, unsigned majorVersion);

// The drive and folder of a built-in name play no part: only the name behind the last
// backslash is used.
std::string_view LogFileNamePart(std::string_view builtInName);

// Trace scopes have levels 0 to 2; anything else counts as level 0.
unsigned EffectiveTraceLevel(unsigned level);

constexpr unsigned kTraceLevels = 3;

}  // namespace vglog
