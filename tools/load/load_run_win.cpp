#include "tools/load/load_run_win.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "common/map_records_win.h"
#include "common/registry_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "common/win.h"
#include "tools/load/load_sampler_win.h"
#include "tools/qvsim/qvsim_control_win.h"
#include "tools/qvsim/qvsim_state_win.h"
// After the Windows header, which it needs.
#include <tlhelp32.h>

namespace vgload {

namespace {

const char kModel[] = "VP-100";
const char kPort[] = "LPT1:";
const char kTargetBase[] = "software\\KORVA\\VGL3\\VGLData\\KVLTarget";
const char kMonitorLogKey[] = "SOFTWARE\\KORVA\\VGL3\\Debug";
const char kLibraryLogKey[] = "Software\\Korva\\VGL3";
// What the installation needs from the bin folder; the pictures go too when they are there.
const char* const kKitFiles[] = {"vgprn.dll", "vgres.dll", "qvsim.dll", "vgmon.exe", "vgpop.exe"};
const char* const kKitPictures[] = {"vp100b.bmp", "vp100r.bmp", "vp100y.bmp"};

// How often the run looks at what it watches.
constexpr DWORD kTickMs = 100;
constexpr long kTablesEveryMs = 250;
constexpr long kProcessesEveryMs = 500;
constexpr long kSamplesEveryMs = 1000;
// A program still running this long after its deadline is ended by the run.
constexpr long kGiveUpMs = 20000;
// A new pop-up program may appear shortly after its monitor's last poll.
constexpr long kQuietMs = 2000;
constexpr int kStarterThreads = 4;
// How long the monitors may take to come up and poll once, all together.
constexpr long kFirstPollWaitMs = 180000;

// Milliseconds since the run began.
class Clock {
 public:
  Clock() : start_(::GetTickCount()) {}
  long Now() const { return static_cast<long>(::GetTickCount() - start_); }

 private:
  DWORD start_;
};

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

std::string TwoDigits(int index) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", index);
  return text;
}

std::string ProgramOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A started program: its handle, id and start.
struct Started {
  ScopedHandle process;
  DWORD id = 0;
  bool ok = false;
};

// Starts a program; its standard output and error go to `output` when given (inherited).
Started Start(const std::string& path, const std::string& arguments, HANDLE output) {
  Started started;
  std::string commandLine = Quote(path) + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (output != nullptr) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
  }
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, output != nullptr ? TRUE : FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
    return started;
  }
  ::CloseHandle(process.hThread);
  started.process.Reset(process.hProcess);
  started.id = process.dwProcessId;
  started.ok = true;
  return started;
}

// Runs a program to its end with its output kept in a file of the work folder; the exit code
// (-1: it did not start or end in time) and the output.
long RunToEnd(const std::string& path, const std::string& arguments, const std::string& outFile,
              std::string* output) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  long code = -1;
  {
    ScopedHandle file(::CreateFileA(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                    CREATE_ALWAYS, 0, nullptr));
    Started run = Start(path, arguments, file.Get());
    if (run.ok && ::WaitForSingleObject(run.process.Get(), 120000) == WAIT_OBJECT_0) {
      DWORD exit = 0;
      ::GetExitCodeProcess(run.process.Get(), &exit);
      code = static_cast<long>(exit);
    } else if (run.ok) {
      ::TerminateProcess(run.process.Get(), 1);
    }
  }
  if (output != nullptr) {
    output->clear();
    ScopedHandle file(::CreateFileA(outFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    char buffer[4096];
    DWORD done = 0;
    while (file.IsValid() && ::ReadFile(file.Get(), buffer, sizeof buffer, &done, nullptr) &&
           done > 0) {
      output->append(buffer, done);
    }
  }
  ::DeleteFileA(outFile.c_str());
  return code;
}

bool WriteText(const std::string& path, const std::string& text) {
  ScopedHandle file(
      ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD done = 0;
  return file.IsValid() &&
         ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
         done == text.size();
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  {
    ScopedFindHandle find(::FindFirstFileA((path + "\\*").c_str(), &data));
    if (find.IsValid()) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string child = path + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(child);
        } else {
          ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
          ::DeleteFileA(child.c_str());
        }
      } while (::FindNextFileA(find.Get(), &data));
    }
  }
  ::RemoveDirectoryA(path.c_str());
}

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The text of a file from an offset on.
std::string ReadFrom(const std::string& path, uint64_t offset) {
  std::string text;
  ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.IsValid()) return text;
  LONG high = static_cast<LONG>(offset >> 32);
  ::SetFilePointer(file.Get(), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
  char buffer[65536];
  DWORD done = 0;
  while (::ReadFile(file.Get(), buffer, sizeof buffer, &done, nullptr) && done > 0) {
    text.append(buffer, done);
  }
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    at = end + 1;
  }
  return lines;
}

// A 32-bit switch under the local machine, put back as it was when the object goes.
class ScopedSwitch {
 public:
  ScopedSwitch(const char* key, const char* value, DWORD on) : key_(key), value_(value) {
    Registry reg(HKEY_LOCAL_MACHINE, key, true, KEY_ALL_ACCESS);
    had_ = reg.QueryDWord(value, 0, &old_);
    reg.SetDWord(value, on);
  }
  ~ScopedSwitch() {
    Registry reg(HKEY_LOCAL_MACHINE, key_, false, KEY_ALL_ACCESS);
    if (had_) {
      reg.SetDWord(value_, old_);
    } else {
      reg.DeleteValue(value_);
    }
  }
  ScopedSwitch(const ScopedSwitch&) = delete;
  ScopedSwitch& operator=(const ScopedSwitch&) = delete;

 private:
  const char* key_;
  const char* value_;
  bool had_ = false;
  DWORD old_ = 0;
};

// The all-users application-data folder, where both debug logs are written.
std::string CommonDataDir() {
  char data[MAX_PATH] = {};
  ::GetEnvironmentVariableA("ALLUSERSPROFILE", data, MAX_PATH);
  return data;
}

// A simulated printer's call log, read without the simulator's lock: every process of the run
// takes that lock for each call, and the log's slots name their own calls.
std::string CallsOf(const std::string& printer) {
  std::string text;
  for (const std::string& line : qvsim::EntryStore({qvsim::EntryKind::kPrinter, printer}).Calls()) {
    text += line + "\n";
  }
  return text;
}

int Simulate(const std::vector<std::string>& args, std::string* output) {
  const auto keep = [output](const std::string& line) {
    if (output != nullptr) *output += line + "\n";
  };
  const auto drop = [](const std::string&) {};
  return qvsim::ControlMain(args, keep, drop);
}

// A qvsimctl player of one printer's scenario, its output read through a pipe as it comes.
struct Player {
  int printer = -1;
  Started run;
  ScopedHandle output;  // the pipe's reading end
  std::string pending;
  long launchedMs = -1;
  long setMs = -1;    // its printer is set up; it waits for the gate
  long startMs = -1;  // its narration of the start, at the gate
  long endMs = -1;
  DWORD exitCode = 0;
  std::string text;  // all it printed
};

struct MonitorRun {
  MonitorOutcome outcome;
  Started run;
};

struct PopupRun {
  PopupOutcome outcome;
  ScopedHandle process;
  bool registered = false;  // its window stood in the monitor's table
};

// Everything one printer saw, on the run's clock.
struct PrinterWatch {
  std::set<uint32_t> windows;
  long windowFirstMs = -1;
  long windowLastMs = -1;  // the last look that found one of its windows open
  bool windowOpen = false;
  bool detailStarted = false;
  bool detailClosed = false;
  bool secondStarted = false;
  long lastMonitorEndMs = -1;
};

class LoadRun {
 public:
  LoadRun(const LoadPlan& plan, const RunOptions& options) : plan_(plan), options_(options) {}
  LoadReport Run();

 private:
  void Say(const std::string& line) const {
    if (options_.progress) options_.progress(line);
  }
  bool SetUp();
  bool StartPlayers();
  bool WaitForPlayers(long Player::*moment, long timeoutMs);
  void CheckPlayersEnded();
  bool StartMonitors();
  bool WaitForFirstPolls();
  bool OpenGate();
  void Observe();
  void Watch();
  void ReadPlayers(long now);
  void StartDue(long now);
  void LookAtTables(long now);
  void LookAtProcesses(long now);
  void CheckEnds(long now);
  bool AllEnded(long now) const;
  void EndLeftovers();
  void Collect();
  void CollectKeys();
  void CollectLogs();
  void CleanUp();

  int PrinterOf(std::string_view name) const;
  long ScenarioStart(int printer) const;
  std::string InstallPath(const char* program) const { return install_ + "\\" + program; }
  std::string MonitorArguments(int printer, const std::string& job) const;

  const LoadPlan& plan_;
  const RunOptions& options_;
  LoadReport report_;
  Clock clock_;
  std::string tag_;
  std::string work_;
  std::string kit_;
  std::string install_;
  std::string driver_;
  std::vector<std::string> names_;
  std::vector<bool> installed_;
  std::vector<Player> players_;
  std::vector<std::unique_ptr<MonitorRun>> monitors_;
  std::vector<std::unique_ptr<PopupRun>> popups_;
  std::vector<PrinterWatch> watch_;
  std::unique_ptr<LoadSampler> sampler_;
  ScopedHandle gate_;
  ScopedHandle libraryTable_;
  ScopedHandle monitorTable_;
  std::unique_ptr<ScopedSwitch> monitorLog_;
  std::unique_ptr<ScopedSwitch> libraryLog_;
  uint64_t monitorLogOffset_ = 0;
  uint64_t libraryLogOffset_ = 0;
  long monitorsStartedMs = -1;
  long runEndMs_ = -1;
  long giveUpMs_ = LONG_MAX / 2;
  bool gateOpen_ = false;
  long nextTables_ = 0;
  long nextProcesses_ = 0;
  long nextSample_ = 0;
  int openWindows_ = 0;
};

LoadReport LoadRun::Run() {
  const long begin = clock_.Now();
  report_.windows.resize(plan_.printers.size());
  watch_.resize(plan_.printers.size());
  report_.setUp = SetUp();
  report_.figures.installSeconds = (clock_.Now() - begin) / 1000.0;
  if (report_.setUp) {
    sampler_ = std::make_unique<LoadSampler>(tag_);
    report_.setUp = StartPlayers() && StartMonitors() && WaitForFirstPolls() && OpenGate();
    Watch();
    EndLeftovers();
    Collect();
  }
  const long removing = clock_.Now();
  CleanUp();
  report_.figures.removeSeconds = (clock_.Now() - removing) / 1000.0;
  report_.figures.wallSeconds = (clock_.Now() - begin) / 1000.0;
  return std::move(report_);
}

int LoadRun::PrinterOf(std::string_view name) const {
  for (size_t i = 0; i < names_.size(); ++i) {
    if (vgtext::EqualsNoCase(names_[i], name)) return static_cast<int>(i);
  }
  return -1;
}

long LoadRun::ScenarioStart(int printer) const {
  const Player& player = players_[static_cast<size_t>(printer)];
  return player.startMs >= 0 ? player.startMs : player.launchedMs;
}

std::string LoadRun::MonitorArguments(int printer, const std::string& job) const {
  return "/P " + Quote(names_[static_cast<size_t>(printer)]) + " /O " + Quote(kPort) + " /D " +
         Quote(driver_) + " /M " + Quote(kModel) + " /J " + Quote(job);
}

bool LoadRun::SetUp() {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  // The tag names the run's folder: every program of the run carries it in its command line.
  tag_ = "vgload" + std::to_string(::GetCurrentProcessId()) + "x" +
         std::to_string(::GetTickCount() % 100000);
  work_ = std::string(temp) + tag_;
  kit_ = work_ + "\\kit";
  install_ = work_ + "\\install";
  driver_ = "VG Load " + tag_;
  for (const PrinterPlan& printer : plan_.printers) {
    names_.push_back("Load " + tag_ + " " + TwoDigits(printer.index));
  }
  installed_.assign(names_.size(), false);
  if (!::CreateDirectoryA(work_.c_str(), nullptr) || !::CreateDirectoryA(kit_.c_str(), nullptr) ||
      !::CreateDirectoryA((work_ + "\\scenarios").c_str(), nullptr)) {
    report_.setUpFailure = "cannot make the folders under " + work_;
    return false;
  }
  for (const char* file : kKitFiles) {
    if (!::CopyFileA((options_.binDir + "\\" + file).c_str(), (kit_ + "\\" + file).c_str(),
                     FALSE)) {
      report_.setUpFailure = std::string("cannot copy ") + file;
      return false;
    }
  }
  for (const char* file : kKitPictures) {
    ::CopyFileA((options_.binDir + "\\" + file).c_str(), (kit_ + "\\" + file).c_str(), FALSE);
  }
  const std::string profile = kit_ + "\\" + kModel + ".ini";
  if (!::CopyFileA((options_.binDir + "\\profiles\\" + kModel + ".ini").c_str(), profile.c_str(),
                   FALSE)) {
    report_.setUpFailure = "cannot copy the model's profile";
    return false;
  }
  const LoadConfig& config = plan_.config;
  const std::string init = std::to_string(kMonitorInitMs);
  const std::string quit = std::to_string(config.quitSeconds);
  const std::string poll = std::to_string(config.pollSeconds);
  ::WritePrivateProfileStringA(kModel, "MonitorInitTime", init.c_str(), profile.c_str());
  ::WritePrivateProfileStringA(kModel, "TIMEOUT", quit.c_str(), profile.c_str());
  ::WritePrivateProfileStringA("Install", "LocalMonitoringTimer", poll.c_str(), profile.c_str());
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, profile.c_str());

  // One driver and one installation folder serve every printer, as on a print server.
  for (size_t i = 0; i < names_.size(); ++i) {
    std::string output;
    const long code = RunToEnd(
        options_.binDir + "\\vgsetup.exe",
        "install --printer " + Quote(names_[i]) + " --port " + kPort + " --model " + kModel +
            " --driver " + Quote(driver_) + " --from " + Quote(kit_) + " --install-dir " +
            Quote(install_),
        work_ + "\\vgsetup.out", &output);
    installed_[i] = true;  // whatever it did, uninstall takes it away again
    if (code != 0) {
      report_.setUpFailure = "vgsetup could not install " + names_[i] + ": " + output;
      return false;
    }
  }
  Say("installed " + std::to_string(names_.size()) + " printers");

  const std::string gate = tag_ + "-go";
  gate_.Reset(::CreateEventA(nullptr, TRUE, FALSE, gate.c_str()));
  if (!gate_.IsValid()) {
    report_.setUpFailure = "cannot make the event " + gate;
    return false;
  }
  for (const PrinterPlan& printer : plan_.printers) {
    const std::string path = work_ + "\\scenarios\\" + TwoDigits(printer.index) + ".txt";
    if (!WriteText(path, ScenarioText(printer, names_[static_cast<size_t>(printer.index)], gate))) {
      report_.setUpFailure = "cannot write " + path;
      return false;
    }
  }
  if (options_.debugLogs) {
    monitorLogOffset_ = FileSize(CommonDataDir() + "\\VGMONX.LOG");
    libraryLogOffset_ = FileSize(CommonDataDir() + "\\VGL3_QOLT.LOG");
    monitorLog_ = std::make_unique<ScopedSwitch>(kMonitorLogKey, "VG_MT", 1);
    libraryLog_ = std::make_unique<ScopedSwitch>(kLibraryLogKey, "log", 1);
  }
  // Held for the whole run, so that the records are still there to be read when every
  // window's process has gone.
  for (MapNameSet set : {MapNameSet::kPrinterLibrary, MapNameSet::kMonitor}) {
    ScopedHandle held = HoldMapTable(set, vgmap::MapTableKind::kShortNames);
    if (!held.IsValid()) {
      report_.setUpFailure = "cannot hold a window table";
      return false;
    }
    (set == MapNameSet::kMonitor ? monitorTable_ : libraryTable_) = std::move(held);
  }
  return true;
}

bool LoadRun::StartPlayers() {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  players_.resize(plan_.printers.size());
  for (size_t i = 0; i < players_.size(); ++i) {
    Player& player = players_[i];
    player.printer = static_cast<int>(i);
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, 0)) {
      report_.setUpFailure = "cannot make a pipe";
      return false;
    }
    player.output.Reset(read);
    ScopedHandle writeEnd(write);
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    const std::string scenario = work_ + "\\scenarios\\" + TwoDigits(static_cast<int>(i)) + ".txt";
    player.run = Start(options_.binDir + "\\qvsimctl.exe", "run " + Quote(scenario), write);
    player.launchedMs = clock_.Now();
    if (!player.run.ok) {
      report_.setUpFailure = "cannot start qvsimctl";
      return false;
    }
    ++report_.figures.programsStarted;
  }
  // Every simulated printer is set up before its monitor starts.
  if (!WaitForPlayers(&Player::setMs, 120000)) {
    report_.setUpFailure = "a scenario did not set its printer up";
    return false;
  }
  Say("every simulated printer is set up");
  return true;
}

bool LoadRun::WaitForPlayers(long Player::*moment, long timeoutMs) {
  const long deadline = clock_.Now() + timeoutMs;
  while (clock_.Now() < deadline) {
    // Ends first: what an ended player wrote is still in its pipe to be read.
    CheckPlayersEnded();
    ReadPlayers(clock_.Now());
    const bool all = std::all_of(players_.begin(), players_.end(), [moment](const Player& p) {
      return p.*moment >= 0 || p.endMs >= 0;
    });
    if (all) break;
    ::Sleep(kTickMs);
  }
  int behind = 0;
  for (const Player& player : players_) {
    if (player.*moment >= 0) continue;
    if (behind++ == 0) {
      report_.runProblems.push_back("the scenario of printer " + TwoDigits(player.printer) +
                                    " stopped: " + player.text);
    }
  }
  if (behind > 0) {
    report_.runProblems.push_back(std::to_string(behind) + " of " +
                                  std::to_string(players_.size()) + " scenarios stopped");
  }
  return behind == 0;
}

bool LoadRun::WaitForFirstPolls() {
  // A monitor has polled once its printer's call log shows a status read by it.
  const long deadline = clock_.Now() + kFirstPollWaitMs;
  long nextLook = 0;
  size_t polled = 0;
  while (polled < monitors_.size() && clock_.Now() < deadline) {
    Observe();
    if (clock_.Now() >= nextLook) {
      polled = 0;
      for (auto& monitor : monitors_) {
        MonitorOutcome& outcome = monitor->outcome;
        if (outcome.firstPollMs < 0 && outcome.endMs < 0) {
          const std::string calls = CallsOf(names_[static_cast<size_t>(outcome.printer)]);
          const std::string mark = " pid=" + std::to_string(outcome.processId) + " QVGetStatus(";
          if (calls.find(mark) != std::string::npos) outcome.firstPollMs = clock_.Now();
        }
        polled += outcome.firstPollMs >= 0 || outcome.endMs >= 0;
      }
      nextLook = clock_.Now() + kProcessesEveryMs;
    }
    ::Sleep(kTickMs);
  }
  long last = monitorsStartedMs;
  for (const auto& monitor : monitors_) last = std::max(last, monitor->outcome.firstPollMs);
  report_.figures.firstPollsSeconds = (last - monitorsStartedMs) / 1000.0;
  if (polled < monitors_.size()) {
    report_.setUpFailure = std::to_string(monitors_.size() - polled) + " of " +
                           std::to_string(monitors_.size()) + " monitors never polled";
    return false;
  }
  Say("every monitor has polled its printer (the last " +
      std::to_string(last - monitorsStartedMs) + " ms after the first start)");
  return true;
}

bool LoadRun::OpenGate() {
  // Every printer's clock starts now; the monitors all poll.
  ::SetEvent(gate_.Get());
  gateOpen_ = true;
  if (!WaitForPlayers(&Player::startMs, 30000)) {
    report_.setUpFailure = "a scenario did not pass the gate";
    return false;
  }
  for (auto& monitor : monitors_) {
    MonitorOutcome& outcome = monitor->outcome;
    const Deadline deadline =
        MonitorDeadline(plan_.printers[static_cast<size_t>(outcome.printer)], plan_.config);
    const long from = deadline.from == Deadline::From::kFirstPoll ? outcome.firstPollMs
                      : deadline.from == Deadline::From::kMonitorStart
                          ? outcome.startMs
                          : ScenarioStart(outcome.printer);
    outcome.nominalMs = from + deadline.nominalMs;
    outcome.deadlineMs = from + deadline.latestMs;
  }
  Say("the scenarios run");
  return true;
}

bool LoadRun::StartMonitors() {
  monitorsStartedMs = clock_.Now();
  for (const PrinterPlan& printer : plan_.printers) {
    auto monitor = std::make_unique<MonitorRun>();
    monitor->outcome.printer = printer.index;
    monitors_.push_back(std::move(monitor));
  }
  // A process start under Wine waits for the new process to come up: several threads start
  // the monitors, so that they start as nearly at once as the processor allows.
  std::atomic<size_t> next{0};
  const auto starter = [this, &next] {
    for (size_t i = next++; i < monitors_.size(); i = next++) {
      MonitorRun& monitor = *monitors_[i];
      monitor.run = Start(InstallPath("vgmon.exe"), MonitorArguments(monitor.outcome.printer, "1"),
                          nullptr);
      monitor.outcome.startMs = clock_.Now();
      monitor.outcome.processId = monitor.run.id;
    }
  };
  std::vector<std::thread> threads;
  for (int i = 0; i < kStarterThreads; ++i) threads.emplace_back(starter);
  for (std::thread& thread : threads) thread.join();
  long last = monitorsStartedMs;
  for (const auto& monitor : monitors_) {
    if (!monitor->run.ok) {
      report_.setUpFailure = "cannot start vgmon for printer " + TwoDigits(monitor->outcome.printer);
      return false;
    }
    last = std::max(last, monitor->outcome.startMs);
    ++report_.figures.programsStarted;
  }
  report_.figures.monitorStartSeconds = (last - monitorsStartedMs) / 1000.0;
  Say("started " + std::to_string(monitors_.size()) + " monitors at once (within " +
      std::to_string(last - monitorsStartedMs) + " ms)");
  return true;
}

void LoadRun::ReadPlayers(long now) {
  for (Player& player : players_) {
    DWORD available = 0;
    while (player.output.IsValid() &&
           ::PeekNamedPipe(player.output.Get(), nullptr, 0, nullptr, &available, nullptr) &&
           available > 0) {
      char buffer[4096];
      DWORD done = 0;
      if (!::ReadFile(player.output.Get(), buffer,
                      std::min<DWORD>(available, sizeof buffer), &done, nullptr) ||
          done == 0) {
        break;
      }
      player.pending.append(buffer, done);
      player.text.append(buffer, done);
    }
    size_t end = 0;
    while ((end = player.pending.find('\n')) != std::string::npos) {
      Narration narration;
      if (ParseNarration(player.pending.substr(0, end), &narration) &&
          narration.index == player.printer) {
        if (narration.word == "set") player.setMs = now;
        if (narration.word == "start") player.startMs = now;
      }
      player.pending.erase(0, end + 1);
    }
  }
}

void LoadRun::StartDue(long now) {
  for (const PrinterPlan& printer : plan_.printers) {
    PrinterWatch& watch = watch_[static_cast<size_t>(printer.index)];
    const long start = ScenarioStart(printer.index);
    const std::string& name = names_[static_cast<size_t>(printer.index)];
    if (printer.detailOpenMs >= 0 && !watch.detailStarted && now >= start + printer.detailOpenMs) {
      // A user opens the printer's status window.
      watch.detailStarted = true;
      auto popup = std::make_unique<PopupRun>();
      Started run = Start(InstallPath("vgpop.exe"), "/VIEW " + Quote(name), nullptr);
      popup->outcome.processId = run.id;
      popup->outcome.printer = printer.index;
      popup->outcome.userStart = true;
      popup->outcome.firstSeenMs = now;
      popup->process = std::move(run.process);
      if (!run.ok) report_.runProblems.push_back("cannot start vgpop /VIEW for " + name);
      ++report_.figures.programsStarted;
      popups_.push_back(std::move(popup));
    }
    if (printer.detailCloseMs >= 0 && watch.detailStarted && !watch.detailClosed &&
        now >= start + printer.detailCloseMs) {
      // The user closes it again.
      HWND window = FindMapWindow(MapNameSet::kPrinterLibrary, name.c_str(), "", kMapKindStatus);
      if (window != nullptr) {
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        watch.detailClosed = true;
      } else if (now >= start + printer.detailCloseMs + 10000) {
        watch.detailClosed = true;  // never came: the window check names it
      }
    }
    if (printer.secondJobMs >= 0 && !watch.secondStarted && now >= start + printer.secondJobMs) {
      // A second print job for the printer while its first one is watched.
      watch.secondStarted = true;
      auto monitor = std::make_unique<MonitorRun>();
      monitor->run = Start(InstallPath("vgmon.exe"), MonitorArguments(printer.index, "2"), nullptr);
      MonitorOutcome& outcome = monitor->outcome;
      outcome.printer = printer.index;
      outcome.secondJob = true;
      outcome.startMs = now;
      outcome.processId = monitor->run.id;
      const Deadline deadline = SecondJobDeadline(plan_.config);
      outcome.nominalMs = now + deadline.nominalMs;
      outcome.deadlineMs = now + deadline.latestMs;
      if (!monitor->run.ok) report_.runProblems.push_back("cannot start a second job's vgmon");
      ++report_.figures.programsStarted;
      monitors_.push_back(std::move(monitor));
    }
  }
}

void LoadRun::LookAtTables(long now) {
  int open = 0;
  for (const vgmap::MapRecordEntry& record :
       ReadMapRecords(MapNameSet::kPrinterLibrary, vgmap::MapTableKind::kShortNames)) {
    const int printer = PrinterOf(record.name);
    if (printer < 0) continue;
    PrinterWatch& watch = watch_[static_cast<size_t>(printer)];
    const HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(record.statusWindow));
    watch.windowOpen = record.statusWindow != 0 && ::IsWindow(window);
    if (!watch.windowOpen) continue;
    ++open;
    watch.windows.insert(record.statusWindow);
    if (watch.windowFirstMs < 0) watch.windowFirstMs = now;
    watch.windowLastMs = now;
  }
  openWindows_ = open;
  if (open > report_.figures.peakWindows) {
    report_.figures.peakWindows = open;
    report_.figures.peakWindowsAtSeconds = now / 1000.0;
  }
  // The pop-up programs that serve a printer register their hidden window in the monitor's.
  for (const vgmap::MapRecordEntry& record :
       ReadMapRecords(MapNameSet::kMonitor, vgmap::MapTableKind::kShortNames)) {
    const int printer = PrinterOf(record.name);
    DWORD owner = 0;
    const HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(record.statusWindow));
    if (printer < 0 || record.statusWindow == 0 || !::IsWindow(window)) continue;
    ::GetWindowThreadProcessId(window, &owner);
    for (auto& popup : popups_) {
      if (popup->outcome.processId != owner || popup->outcome.endMs >= 0) continue;
      popup->outcome.printer = printer;
      popup->registered = true;
    }
  }
}

void LoadRun::LookAtProcesses(long now) {
  ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid()) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  const std::string popupPath = InstallPath("vgpop.exe");
  for (BOOL more = ::Process32First(snapshot.Get(), &entry); more;
       more = ::Process32Next(snapshot.Get(), &entry)) {
    if (lstrcmpiA(entry.szExeFile, "vgpop.exe") != 0) continue;
    const DWORD id = entry.th32ProcessID;
    const bool known = std::any_of(popups_.begin(), popups_.end(), [id](const auto& popup) {
      return popup->outcome.processId == id && popup->outcome.endMs < 0;
    });
    if (known) continue;
    ScopedHandle process(::OpenProcess(
        SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, id));
    char image[MAX_PATH] = {};
    DWORD size = sizeof image;
    if (!process.IsValid() || !::QueryFullProcessImageNameA(process.Get(), 0, image, &size) ||
        lstrcmpiA(image, popupPath.c_str()) != 0) {
      continue;
    }
    auto popup = std::make_unique<PopupRun>();
    popup->outcome.processId = id;
    popup->outcome.firstSeenMs = now;
    popup->process = std::move(process);
    ++report_.figures.programsStarted;
    popups_.push_back(std::move(popup));
  }
}

void LoadRun::CheckEnds(long now) {
  for (auto& monitor : monitors_) {
    MonitorOutcome& outcome = monitor->outcome;
    if (outcome.endMs >= 0 || !monitor->run.process.IsValid()) continue;
    if (::WaitForSingleObject(monitor->run.process.Get(), 0) == WAIT_OBJECT_0) {
      outcome.endMs = clock_.Now();
      DWORD exit = 0;
      ::GetExitCodeProcess(monitor->run.process.Get(), &exit);
      outcome.exitCode = exit;
      long& last = watch_[static_cast<size_t>(outcome.printer)].lastMonitorEndMs;
      last = std::max(last, outcome.endMs);
    } else if (outcome.deadlineMs >= 0 && now > outcome.deadlineMs + kGiveUpMs) {
      ::TerminateProcess(monitor->run.process.Get(), 0xDEAD);
      ::WaitForSingleObject(monitor->run.process.Get(), 5000);
      outcome.killed = true;
      outcome.endMs = now;
    }
  }
  const long grace = PopupProgramGraceMs(plan_.config);
  for (auto& popup : popups_) {
    PopupOutcome& outcome = popup->outcome;
    if (outcome.endMs >= 0 || !popup->process.IsValid()) continue;
    // Due once its printer's monitors have ended and its window has closed; a user's program
    // that never served the monitor is due when its window has closed.
    if (outcome.printer >= 0) {
      const size_t index = static_cast<size_t>(outcome.printer);
      const PrinterWatch& watch = watch_[index];
      const bool monitorsDone = std::all_of(monitors_.begin(), monitors_.end(), [&](const auto& m) {
        return m->outcome.printer != outcome.printer || m->outcome.endMs >= 0;
      });
      const bool waitsForMonitor = !outcome.userStart || popup->registered;
      if ((monitorsDone || !waitsForMonitor) && !watch.windowOpen) {
        long from = std::max(watch.windowLastMs + kTablesEveryMs, outcome.firstSeenMs);
        if (waitsForMonitor) from = std::max(from, watch.lastMonitorEndMs);
        if (outcome.deadlineMs < 0) outcome.deadlineMs = from + grace;
      } else {
        outcome.deadlineMs = -1;
      }
    }
    if (::WaitForSingleObject(popup->process.Get(), 0) == WAIT_OBJECT_0) {
      outcome.endMs = clock_.Now();
      DWORD exit = 0;
      ::GetExitCodeProcess(popup->process.Get(), &exit);
      outcome.exitCode = exit;
    } else if (now > giveUpMs_ ||
               (outcome.deadlineMs >= 0 && now > outcome.deadlineMs + kGiveUpMs)) {
      ::TerminateProcess(popup->process.Get(), 0xDEAD);
      ::WaitForSingleObject(popup->process.Get(), 5000);
      outcome.killed = true;
      outcome.endMs = now;
    }
  }
  CheckPlayersEnded();
  for (Player& player : players_) {
    if (player.endMs < 0 && now > giveUpMs_) {
      ::TerminateProcess(player.run.process.Get(), 0xDEAD);
      player.endMs = now;
      player.exitCode = 0xDEAD;
    }
  }
}

void LoadRun::CheckPlayersEnded() {
  for (Player& player : players_) {
    if (player.endMs >= 0 || !player.run.process.IsValid()) continue;
    if (::WaitForSingleObject(player.run.process.Get(), 0) == WAIT_OBJECT_0) {
      player.endMs = clock_.Now();
      ::GetExitCodeProcess(player.run.process.Get(), &player.exitCode);
    }
  }
}

bool LoadRun::AllEnded(long now) const {
  const auto ended = [](const auto& item) { return item->outcome.endMs >= 0; };
  if (!std::all_of(monitors_.begin(), monitors_.end(), ended)) return false;
  if (!std::all_of(popups_.begin(), popups_.end(), ended)) return false;
  if (!std::all_of(players_.begin(), players_.end(),
                   [](const Player& p) { return p.endMs >= 0; })) {
    return false;
  }
  // Every due action has been taken.
  for (const PrinterPlan& printer : plan_.printers) {
    const PrinterWatch& watch = watch_[static_cast<size_t>(printer.index)];
    if (printer.detailOpenMs >= 0 && !watch.detailClosed) return false;
    if (printer.secondJobMs >= 0 && !watch.secondStarted) return false;
  }
  long last = 0;
  for (const auto& monitor : monitors_) last = std::max(last, monitor->outcome.endMs);
  return now >= last + kQuietMs;
}

void LoadRun::Observe() {
  const long now = clock_.Now();
  ReadPlayers(now);
  if (gateOpen_) StartDue(now);
  if (now >= nextTables_) {
    LookAtTables(now);
    nextTables_ = now + kTablesEveryMs;
  }
  if (now >= nextProcesses_) {
    LookAtProcesses(now);
    nextProcesses_ = now + kProcessesEveryMs;
  }
  if (now >= nextSample_) {
    sampler_->Sample(now);
    nextSample_ = now + kSamplesEveryMs;
  }
  CheckEnds(now);
}

void LoadRun::Watch() {
  long latest = 0;
  for (const auto& monitor : monitors_) latest = std::max(latest, monitor->outcome.deadlineMs);
  for (const PrinterPlan& printer : plan_.printers) {
    latest = std::max(latest, ScenarioStart(printer.index) + LastChangeMs(printer) +
                                  plan_.config.pollSeconds * 1000);
  }
  giveUpMs_ = latest + 2 * kGiveUpMs;
  while (report_.setUp && !AllEnded(clock_.Now()) && clock_.Now() <= giveUpMs_ + kGiveUpMs) {
    Observe();
    ::Sleep(kTickMs);
  }
  runEndMs_ = clock_.Now();
  LookAtProcesses(runEndMs_);
  CheckEnds(runEndMs_);
  sampler_->Sample(runEndMs_);
  if (monitorsStartedMs >= 0) report_.figures.runSeconds = (runEndMs_ - monitorsStartedMs) / 1000.0;
}

void LoadRun::EndLeftovers() {
  // Whatever still runs from the run's folders is left behind: named, then ended.
  ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid()) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot.Get(), &entry); more;
       more = ::Process32Next(snapshot.Get(), &entry)) {
    ScopedHandle process(::OpenProcess(
        SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
        entry.th32ProcessID));
    char image[MAX_PATH] = {};
    DWORD size = sizeof image;
    if (!process.IsValid() || !::QueryFullProcessImageNameA(process.Get(), 0, image, &size) ||
        !vgtext::StartsWithNoCase(image, work_ + "\\")) {
      continue;
    }
    if (::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) continue;
    report_.leftoverProcesses.push_back(ProgramOf(image) + " (process " +
                                        std::to_string(entry.th32ProcessID) + ")");
    ::TerminateProcess(process.Get(), 0xDEAD);
    ::WaitForSingleObject(process.Get(), 5000);
  }
  // The players run from the bin folder.
  for (Player& player : players_) {
    if (player.run.process.IsValid() &&
        ::WaitForSingleObject(player.run.process.Get(), 0) != WAIT_OBJECT_0) {
      report_.leftoverProcesses.push_back("qvsimctl.exe (process " +
                                          std::to_string(player.run.id) + ")");
      ::TerminateProcess(player.run.process.Get(), 0xDEAD);
    }
  }
}

void LoadRun::Collect() {
  for (const auto& monitor : monitors_) report_.monitors.push_back(monitor->outcome);
  for (const auto& popup : popups_) report_.popups.push_back(popup->outcome);
  for (size_t i = 0; i < watch_.size(); ++i) {
    WindowsSeen& seen = report_.windows[i];
    seen.printer = static_cast<int>(i);
    seen.windows = static_cast<int>(watch_[i].windows.size());
    seen.firstMs = watch_[i].windowFirstMs;
    seen.lastMs = watch_[i].windowLastMs;
  }
  for (size_t i = 0; i < players_.size(); ++i) report_.scenarioStartMs.push_back(ScenarioStart(static_cast<int>(i)));
  for (const Player& player : players_) {
    if (player.exitCode != 0) {
      report_.runProblems.push_back("the scenario of printer " + TwoDigits(player.printer) +
                                    " ended with " + std::to_string(player.exitCode) + ": " +
                                    player.text);
    }
  }
  // A record of one of the run's printers that is still taken names a window that has gone
  // (every window of the run has closed by now).
  for (MapNameSet set : {MapNameSet::kPrinterLibrary, MapNameSet::kMonitor}) {
    const char* table = set == MapNameSet::kMonitor ? "the monitor's" : "the printer library's";
    for (const vgmap::MapRecordEntry& record :
         ReadMapRecords(set, vgmap::MapTableKind::kShortNames)) {
      if (PrinterOf(record.name) < 0) continue;
      char slots[96];
      std::snprintf(slots, sizeof slots, " (windows 0x%X, 0x%X, 0x%X)", record.statusWindow,
                    record.preferencesWindow, record.thirdWindow);
      report_.leftoverRecords.push_back(std::string(table) + " \"" + record.name + "\"" + slots);
    }
  }
  CollectKeys();
  if (options_.debugLogs) CollectLogs();

  const LoadSampler& s = *sampler_;
  Figures& f = report_.figures;
  f.processesMeasured = s.ProcessesMeasured();
  f.peakPrivateKb = s.PeakPrivateKb();
  f.peakPrivateAtSeconds = s.PeakPrivateAtMs() / 1000.0;
  f.processesAtPeak = s.ProcessesAtPeak();
  f.wineserverPeakKb = s.WineserverPeakKb();
  f.cpuSeconds = s.CpuSeconds();
  f.wineserverCpuSeconds = s.WineserverCpuSeconds();
  f.peakCpuCores = s.PeakCores();
  f.meanCpuCores = s.MeanCores();
  f.samples = s.Samples();
}

void LoadRun::CollectKeys() {
  report_.keys.resize(plan_.printers.size());
  for (size_t i = 0; i < report_.keys.size(); ++i) {
    KeyOutcome& key = report_.keys[i];
    key.printer = static_cast<int>(i);
    key.expectedReply = ReplyBytes(FinalState(plan_.printers[i]));
    for (const auto& monitor : monitors_) {
      if (monitor->outcome.printer == key.printer && !monitor->outcome.secondJob) {
        key.monitorId = monitor->outcome.processId;
      }
    }
    const SimulatorRead last = LastStatusReply(CallsOf(names_[i]));
    key.simulatorRead = last.found;
    key.simulatorReply = last.reply;
    key.simulatorReader = last.processId;
    key.popupPlaceExpected = plan_.printers[i].role == Role::kPopup;
  }

  const std::string profile = install_ + "\\" + kModel + ".ini";
  Registry base(HKEY_CURRENT_USER, kTargetBase);
  for (DWORD index = 0;; ++index) {
    const std::string subkey = base.EnumKey(index);
    if (subkey.empty()) break;
    Registry target(base.Key(), subkey.c_str());
    const int printer = PrinterOf(target.GetString("Name"));
    if (printer < 0) continue;
    KeyOutcome& key = report_.keys[static_cast<size_t>(printer)];
    if (++key.keys > 1) continue;
    key.hasStatus = target.GetValueType("Status") == REG_BINARY;
    const std::vector<BYTE> status = target.GetBinary("Status");
    key.status.assign(status.begin(), status.end());
    DWORD value = 0;
    key.hasChannel = target.QueryDWord("Channel", 0, &value);
    key.channel = value;
    key.hasComStatus = target.QueryDWord("ComStatus", 0, &value);
    key.comStatus = value;
    key.popupPlaceStored = target.GetValueType("PopupPOSX") != REG_NONE &&
                           target.GetValueType("PopupPOSY") != REG_NONE;
    // The model's defaults, and the poll interval that the monitor wrote back.
    const auto expect = [&](const char* name, DWORD wanted) {
      DWORD stored = 0;
      if (!target.QueryDWord(name, 0, &stored)) {
        key.wrongSettings.push_back(std::string(name) + ": missing, " + std::to_string(wanted));
      } else if (stored != wanted) {
        key.wrongSettings.push_back(std::string(name) + ": " + std::to_string(stored) + ", " +
                                    std::to_string(wanted));
      }
    };
    for (const char* name : {"SoundNotifyEnable", "BeepBuzzerEnable", "TrayIconEnable",
                             "TrayIconSelected", "InkNearEndB", "InkNearEndC", "SizeUnitH",
                             "SlipMax", "MaxCaset", "MaxIC", "PaperNearEnd"}) {
      expect(name, static_cast<DWORD>(::GetPrivateProfileIntA(kModel, name, -1, profile.c_str())));
    }
    expect("Timer", static_cast<DWORD>(plan_.config.pollSeconds));
    expect("Setting", 0);
    Registry notify(target.Key(), "Notify");
    char section[4096] = {};
    ::GetPrivateProfileSectionA(kModel, section, sizeof section, profile.c_str());
    for (const char* line = section; *line != '\0'; line += std::strlen(line) + 1) {
      const std::string_view text(line);
      // "ITEM" and three digits before "=" name an item ("ITEMNUM" is their count).
      if (text.substr(0, 4) != "ITEM" || text.size() < 9 || text[7] != '=' ||
          !std::all_of(text.begin() + 4, text.begin() + 7,
                       [](char c) { return c >= '0' && c <= '9'; })) {
        continue;
      }
      const std::string item(text.substr(4, 3));
      DWORD stored = 0;
      const DWORD wanted = static_cast<DWORD>(std::atoi(line + 8));
      if (!notify.QueryDWord(item.c_str(), 0, &stored) || stored != wanted) {
        key.wrongSettings.push_back("Notify\\" + item + ": " +
                                    (notify.QueryDWord(item.c_str(), 0, &stored)
                                         ? std::to_string(stored)
                                         : std::string("missing")) +
                                    ", " + std::to_string(wanted));
      }
    }
  }
}

void LoadRun::CollectLogs() {
  // Only what the run's processes wrote: each line leads with its process id.
  std::set<uint32_t> ids;
  for (const auto& monitor : monitors_) ids.insert(monitor->outcome.processId);
  for (const auto& popup : popups_) ids.insert(popup->outcome.processId);
  const struct {
    const char* file;
    uint64_t offset;
  } logs[] = {{"VGMONX.LOG", monitorLogOffset_}, {"VGL3_QOLT.LOG", libraryLogOffset_}};
  for (const auto& log : logs) {
    for (const std::string& line : Lines(ReadFrom(CommonDataDir() + "\\" + log.file, log.offset))) {
      if (line.find("exception caught") == std::string::npos) continue;
      const uint32_t id = static_cast<uint32_t>(std::strtoul(line.c_str(), nullptr, 16));
      if (ids.count(id) != 0) report_.exceptionLines.push_back(std::string(log.file) + ": " + line);
    }
  }
}

void LoadRun::CleanUp() {
  monitorLog_.reset();
  libraryLog_.reset();
  for (size_t i = 0; i < names_.size(); ++i) {
    if (!installed_[i]) continue;
    std::string output;
    const long code = RunToEnd(options_.binDir + "\\vgsetup.exe",
                               "uninstall --printer " + Quote(names_[i]),
                               work_ + "\\vgsetup.out", &output);
    if (code != 0) {
      report_.runProblems.push_back("vgsetup could not remove " + names_[i] + ": " + output);
    }
    Simulate({"reset", names_[i]}, nullptr);
  }
  // The printers' target keys in the user's hive.
  std::vector<std::string> mine;
  {
    Registry base(HKEY_CURRENT_USER, kTargetBase);
    for (DWORD index = 0;; ++index) {
      const std::string subkey = base.EnumKey(index);
      if (subkey.empty()) break;
      Registry target(base.Key(), subkey.c_str());
      if (PrinterOf(target.GetString("Name")) >= 0) mine.push_back(subkey);
    }
  }
  for (const std::string& subkey : mine) {
    ::RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kTargetBase) + "\\" + subkey + "\\Notify").c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kTargetBase) + "\\" + subkey).c_str());
  }
  libraryTable_.Close();
  monitorTable_.Close();
  if (!work_.empty()) RemoveTree(work_);
}

}  // namespace

LoadReport RunLoad(const LoadPlan& plan, const RunOptions& options) {
  LoadRun run(plan, options);
  return run.Run();
}

}  // namespace vgload
