#include "tools/vgicon/icon_rules.h"

#include "common/text_util.h"

namespace vgicon {

Action ActionOf(bool hasPrinterOrPort, bool removeFlag, bool statusFlag, bool preferencesFlag) {
  if (!hasPrinterOrPort) return Action::kNothing;
  if (removeFlag) return Action::kRemoveIcon;
  if (statusFlag) return Action::kShowStatus;
  if (preferencesFlag) return Action::kShowPreferences;
  return Action::kShowIcon;
}

std::string_view DisplayName(std::string_view printer, std::string_view port) {
  return printer.empty() ? port : printer;
}

bool SamePrinter(std::string_view printerA, std::string_view portA, std::string_view printerB,
                 std::string_view portB) {
  if (printerA.empty() != printerB.empty()) return false;
  return vgtext::EqualsNoCase(DisplayName(printerA, portA), DisplayName(printerB, portB));
}

int ForcedStatusOf(int comStatus) {
  switch (comStatus) {
    case 0:
      return 21;
    case 4:
      return 22;
    case 3:
      return 16;
    default:
      return 0;
  }
}

int TrayIconResource(int selected) {
  if (selected < 0 || selected >= kTrayIconCount) return kFirstTrayIcon;
  return kFirstTrayIcon + selected;
}

std::string TipText(std::string_view printerName, std::string_view status, size_t size) {
  std::string tip(printerName);
  if (!status.empty()) {
    tip += ": ";
    tip += status;
  }
  // Line breaks of a status text read as blanks on one line.
  for (char& c : tip) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  if (size == 0) return std::string();
  if (tip.size() > size - 1) tip.resize(size - 1);
  return tip;
}

}  // namespace vgicon
