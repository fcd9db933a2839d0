#pragma once
// A printer installed by vgsetup as a user's would be: its model's files in an installation
// folder of its own, a Driver key, a spooler driver and printer, and the simulated printer as
// its bidirectional library, started with a device ID and channels. The model's profile can
// be changed for the test (short times, other switches), and the pop-up program is the test's
// recorder unless the real one is asked for. Everything goes again when the object does.
#include <string>
#include <vector>

#include "support/process_output.h"

namespace vgtest {

struct ProfileSetting {
  std::string section;  // "" means the model's own section
  std::string key;
  std::string value;
};

// The pop-up program the installation gets: the test's recorder, or the real one.
enum class PopupProgram { kRecorder, kReal };

class InstalledPrinter {
 public:
  InstalledPrinter(const std::string& hint, const std::vector<ProfileSetting>& settings,
                   const std::string& port = "LPT1:", PopupProgram popup = PopupProgram::kRecorder);
  ~InstalledPrinter();
  InstalledPrinter(const InstalledPrinter&) = delete;
  InstalledPrinter& operator=(const InstalledPrinter&) = delete;

  bool Ready() const { return ready_; }
  const std::string& Failure() const { return failure_; }
  const std::string& Name() const { return name_; }
  const std::string& Driver() const { return driver_; }
  const std::string& Port() const { return port_; }
  const std::string& Model() const { return model_; }
  // The installation folder (vgprn.dll, the model's profile and the rest lie there).
  const std::string& InstallDir() const { return installDir_; }
  // The installed profile of the model.
  std::string ProfilePath() const { return installDir_ + "\\" + model_ + ".ini"; }
  // The folder the pop-up recorder writes popup.log into.
  const std::string& RecordDir() const { return recordDir_; }
  // The pop-up recorder's log so far.
  std::string PopupLog() const;
  // "qvsimctl COMMAND <printer> ARGS".
  CapturedRun Ctl(const std::string& command, const std::string& arguments = "") const;
  // The vgmon command line for a job of this printer (quoted values).
  std::string MonitorArguments(const std::string& jobId = "") const;

 private:
  std::string name_;
  std::string driver_;
  std::string port_;
  std::string model_ = "VP-100";
  std::string fromDir_;
  std::string installDir_;
  std::string recordDir_;
  bool installed_ = false;
  bool ready_ = false;
  std::string failure_;
};

}  // namespace vgtest
