#pragma once
// What the preferences tests share: a printer installed by vgsetup for a suite, its settings
// key, its log-on registration, the recorder that stands in for the tray icon program, and the
// dialog run on a thread of its own through the library's preferences entry.
#include <map>
#include <memory>
#include <string>

#include "common/win.h"
#include "support/installed_printer.h"
#include "ui/dialog_driver.h"

namespace vgtest {

// The settings key of a printer (by its printer name, kind 0, or its port, kind 1), "" when
// it has none.
std::string TargetKeyOf(const std::string& name, int kind = 0);
// Every value of a key and of its subkeys, as "subkey\name" -> type and bytes.
std::map<std::string, std::string> KeySnapshot(HKEY root, const std::string& path);
std::string RunValue(const std::string& name);
bool HasRunValue(const std::string& name);
void DeleteRunValue(const std::string& name);

// The title of the printer's preferences.
std::string PreferencesTitleOf(const std::string& name);
// The path of a file of the build's bin folder.
std::string BinFile(const std::string& name);

// Clicks a check box or button of a dialog (posted, as a click of the mouse would come).
void Click(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);

// The tray icon program's stand-in: records its command lines and parameter files.
class IconProgramRecorder {
 public:
  explicit IconProgramRecorder(const InstalledPrinter& printer);
  ~IconProgramRecorder();
  IconProgramRecorder(const IconProgramRecorder&) = delete;
  IconProgramRecorder& operator=(const IconProgramRecorder&) = delete;
  // What it recorded so far: "cmdline: ..." and "file: ..." lines.
  std::string Log() const;
  // Waits until `starts` starts were recorded.
  bool WaitForStarts(size_t starts) const;
  size_t Starts() const;

 private:
  std::string driverKey_;
  std::string saved_;
  std::string folder_;
};

// The preferences of a printer, run through RunPreferenceDialog on a thread of its own.
class PreferencesRun {
 public:
  PreferencesRun(const std::string& printer, const std::string& driver, const std::string& port,
                 const std::string& model, const std::string& resourceLibrary);
  // The dialog's window (null when it did not show).
  HWND Window() const { return window_; }
  // Presses the button and waits for the entry's result.
  int Finish(int button);
  DialogThread& Thread() { return thread_; }

 private:
  std::string printer_, driver_, port_, model_, resources_;
  DialogThread thread_;
  HWND window_ = nullptr;
};

}  // namespace vgtest
