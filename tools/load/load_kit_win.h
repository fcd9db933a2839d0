#pragma once
// The installation of a load run, as a print server would have it: the example model's files
// in a kit folder with the run's short times written into its profile, one driver and one
// installation folder that serve every printer, each printer installed with vgsetup. Removing
// it takes every printer away again with vgsetup, then the printers' target keys in the user's
// hive and the run's folders. Everything lies in a work folder named by the run's tag, so that
// every program started from it carries the tag in its command line.
#include <string>
#include <vector>

#include "tools/load/load_plan.h"

namespace vgload {

class LoadKit {
 public:
  // binDir holds vgsetup.exe, the files to install and profiles\VP-100.ini.
  LoadKit(std::string binDir, std::string tag);

  // The folders and the kit; false, with the reason, when they cannot be made.
  bool Prepare(const LoadConfig& config, std::string* failure);
  // Installs one printer (on LPT1:); false, with vgsetup's output, when it fails.
  bool Install(const std::string& printer, std::string* failure);
  // Takes away every printer installed, their target keys and the folders; what could not be
  // done is appended to problems.
  void Remove(std::vector<std::string>* problems);

  const std::string& WorkDir() const { return work_; }
  const std::string& InstallDir() const { return install_; }
  const std::string& Driver() const { return driver_; }
  std::string InstalledProfile() const;
  std::string Program(const char* file) const { return install_ + "\\" + file; }
  std::string BinProgram(const char* file) const { return binDir_ + "\\" + file; }

 private:
  std::string binDir_;
  std::string work_;
  std::string kit_;
  std::string install_;
  std::string driver_;
  std::vector<std::string> installed_;
};

// The model and port of every printer of a load run.
extern const char kLoadModel[];
extern const char kLoadPort[];

// A program run to its end with its output, for vgsetup: the exit code, -1 when it did not
// start or end within the time (it is then ended).
long RunForOutput(const std::string& program, const std::string& arguments, unsigned timeoutMs,
                  std::string* output);

// The text quoted for a command line (no quotes inside, as every name of the run).
std::string Quoted(const std::string& text);

}  // namespace vgload
