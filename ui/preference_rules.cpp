#include "ui/preference_rules.h"

namespace vgpref {

const SettingRow kSettings[kSettingCount] = {
    {"SoundNotifyEnable", "SoundNotifyEnable", 0, true, SettingKind::kSound},
    {"BeepBuzzerEnable", "BeepBuzzerEnable", 0, true, SettingKind::kBuzzer},
    {"LoopBuzzer", "LoopBuzzer", 0, true, SettingKind::kBuzzer},
    {"TrayIconEnable", "TrayIconEnable", 0, true, SettingKind::kTray},
    {"TrayIconSelected", "TrayIconSelected", 0, false, SettingKind::kTray},
};

Capabilities DecideCapabilities(bool libraryHasBuzzerSound, int32_t iniBeepBuzzerEnable,
                                int32_t languageSound) {
  Capabilities caps;
  caps.noBuzzer = !(libraryHasBuzzerSound && iniBeepBuzzerEnable >= 0);
  caps.noSound = NoSound(!caps.noBuzzer, languageSound);
  return caps;
}

bool NoSound(bool buzzerOffered, int32_t languageSound) {
  return buzzerOffered || languageSound <= 0;
}

bool IsOffered(const SettingRow& row, const Capabilities& caps) {
  switch (row.kind) {
    case SettingKind::kSound:
      return !caps.noSound;
    case SettingKind::kBuzzer:
      return !caps.noBuzzer;
    case SettingKind::kTray:
      return true;
  }
  return false;
}

int32_t LoadedValue(const SettingRow& row, int32_t stored) {
  if (!row.normalised) return stored;
  return stored == 0 || stored == 1 ? stored : 0;
}

int NotifyItemCount(std::string_view text) {
  int count = 0;
  size_t used = 0;
  for (char c : text.substr(0, kItemCountDigits)) {
    if (c < '0' || c > '9') break;
    count = count * 10 + (c - '0');
    ++used;
  }
  if (used == 0) return 0;
  return count < kMaxNotifyItems ? count : kMaxNotifyItems;
}

NotifyItemRow NotifyItemAt(int index) {
  // Row 0: the printer needs attention (12); row 1: the printer cannot be reached (11).
  static constexpr NotifyItemRow kRows[] = {{12, 1001}, {11, 1002}};
  if (index >= 0 && index < 2) return kRows[index];
  NotifyItemRow item;
  item.labelId = 1001u + static_cast<unsigned>(index < 0 ? 0 : index);
  return item;
}

int PreviewBitmapFor(bool trayEnabled, int32_t selected) {
  if (!trayEnabled || selected < 0 || selected >= kTrayIconCount) return kPreviewNone;
  return kPreviewFirst + selected;
}

std::string PreferencesTitle(std::string_view title, std::string_view printer,
                             std::string_view port) {
  std::string text(title);
  text += " : ";
  text += printer.empty() ? port : printer;
  return text;
}

std::optional<std::string> HelpFilePath(std::string_view installDir, std::string_view helpFile) {
  if (installDir.size() + helpFile.size() + 1 > kHelpPathSize) return std::nullopt;
  std::string path(installDir);
  path += helpFile;
  return path;
}

std::optional<int> AgentInhibitFlag(bool allowedAtOpening, bool allowedNow) {
  if (allowedAtOpening == allowedNow) return std::nullopt;
  return allowedAtOpening ? 1 : 0;
}

}  // namespace vgpref
