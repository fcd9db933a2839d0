#pragma once
// The tray icon program's decisions on plain values: what a start asks for, which of the
// printers it shows a request is about, which icon and which tip a printer gets.
#include <cstddef>
#include <string>
#include <string_view>

namespace vgicon {

// What one start of the program (or one request handed to the running instance) asks for.
enum class Action {
  kNothing,          // no printer named
  kShowIcon,         // show (or refresh) the printer's icon
  kRemoveIcon,       // the R flag: remove it
  kShowStatus,       // the S flag: the printer's status window, in a process of its own
  kShowPreferences,  // the E flag: the printer's preferences, in a process of its own
};
Action ActionOf(bool hasPrinterOrPort, bool removeFlag, bool statusFlag, bool preferencesFlag);

// A printer is named by its printer name, or by its port when the printer name is empty;
// names are compared without regard to case.
bool SamePrinter(std::string_view printerA, std::string_view portA, std::string_view printerB,
                 std::string_view portB);
std::string_view DisplayName(std::string_view printer, std::string_view port);

// The status number the tip shows without decoding the stored reply: the printer cannot be
// reached (communication state 0: 21, 4: 22) or reports another model (3: 16); 0 means the
// stored reply is decoded.
int ForcedStatusOf(int comStatus);

// The tray icon of the resource library for the chosen index (700 to 702); the first one
// for an index that names none.
constexpr int kFirstTrayIcon = 700;
constexpr int kTrayIconCount = 3;
int TrayIconResource(int selected);

// The tip: the printer's name, and its status behind a colon when there is one, cut to fit
// a tip buffer of `size` bytes (terminator included).
std::string TipText(std::string_view printerName, std::string_view status, size_t size);

// Commands of the icon's menu.
constexpr unsigned kCommandStatus = 1;
constexpr unsigned kCommandPreferences = 2;
constexpr unsigned kCommandClose = 3;

}  // namespace vgicon
