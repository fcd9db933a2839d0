#pragma once
// The preferences dialog's decisions on plain values: its settings and how each is loaded,
// what a printer offers (sound or buzzer) and which template shows it, the notification
// items of the resource library, the tray preview, the title and the help file, and when the
// network agent's settings program must run.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vgpref {

// Dialog templates of the resource library.
constexpr int kTemplateNoBuzzer = 100;
constexpr int kTemplateBuzzer = 110;

// Which capability a setting belongs to: a setting that the printer does not offer is
// neither read nor written and counts as 0.
enum class SettingKind { kSound, kBuzzer, kTray };

// One 32-bit value of the printer's target key, with its default in the model's section of
// the profile INI.
struct SettingRow {
  const char* value;   // registry value name
  const char* iniKey;  // key of the model's section
  int32_t iniDefault;  // when the INI has no such key
  bool normalised;     // anything but 0 and 1 loads as 0
  SettingKind kind;
};

constexpr size_t kSettingCount = 5;
enum SettingIndex : size_t {
  kSoundNotifyEnable,
  kBeepBuzzerEnable,
  kLoopBuzzer,
  kTrayIconEnable,
  kTrayIconSelected,
};
extern const SettingRow kSettings[kSettingCount];

// What the printer offers. Built from what the resource library and the profile hold.
struct Capabilities {
  bool noSound = true;
  bool noBuzzer = true;
};

// The buzzer needs the buzzer sound in the resource library and a "BeepBuzzerEnable" in the
// model's section (read with default -1: present when not negative). Sound is offered when
// the language section's "SOUND" is not 0, and never beside a buzzer.
Capabilities DecideCapabilities(bool libraryHasBuzzerSound, int32_t iniBeepBuzzerEnable,
                                int32_t languageSound);
// Sound alone: not offered when the language section says "SOUND" 0 (or cannot be read: a
// negative value), nor beside a buzzer.
bool NoSound(bool buzzerOffered, int32_t languageSound);
inline int TemplateFor(const Capabilities& caps) {
  return caps.noBuzzer ? kTemplateNoBuzzer : kTemplateBuzzer;
}

// Whether the dialog reads and writes the setting for a printer with these capabilities.
bool IsOffered(const SettingRow& row, const Capabilities& caps);

// The value a setting has in the dialog once loaded: a switch other than 0 or 1 is off.
int32_t LoadedValue(const SettingRow& row, int32_t stored);
// A stored on/off switch: 1 stays on, everything else is off.
constexpr int32_t NormaliseSwitch(int32_t value) { return value == 1 ? 1 : 0; }

// The notification items: their count is a resource string read as a decimal number of at
// most 7 characters (no number, or a negative one, gives none), and never more than
// kMaxNotifyItems: a count from a damaged library must not stall the dialog. Item i takes its number and
// label string from a built-in table of two rows; later items have the number 0 and the
// label string 1001 + i.
constexpr size_t kItemCountDigits = 7;
constexpr int kMaxNotifyItems = 1000;
int NotifyItemCount(std::string_view text);
struct NotifyItemRow {
  int number = 0;
  unsigned labelId = 0;
};
NotifyItemRow NotifyItemAt(int index);

// The tray icon preview: bitmaps 501 to 503 for tray icons 0 to 2, 500 with no tray icon.
// An index that names no tray icon shows 500 too, as no icon can be shown for it.
constexpr int kPreviewNone = 500;
constexpr int kPreviewFirst = 501;
constexpr int kTrayIconCount = 3;
int PreviewBitmapFor(bool trayEnabled, int32_t selected);

// The title: the dialog's title string, " : ", and the printer name (its port when the
// printer name is empty).
std::string PreferencesTitle(std::string_view title, std::string_view printer,
                             std::string_view port);

// The help file: the installation folder (ending in a backslash) followed by the language
// section's "HelpFile"; nothing when it does not fit 259 characters.
constexpr size_t kHelpPathSize = 260;
constexpr std::string_view kDefaultHelpFile = "VGHELP2.HLP";
std::optional<std::string> HelpFilePath(std::string_view installDir, std::string_view helpFile);

// The agent settings program runs on OK only when the permission changed: with 1 when
// monitoring was allowed and no longer is, with 0 when it now is. Nothing otherwise.
std::optional<int> AgentInhibitFlag(bool allowedAtOpening, bool allowedNow);

}  // namespace vgpref
