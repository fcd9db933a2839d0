#include "tools/load/load_run_win.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "common/map_records_win.h"
#include "common/process_start_win.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "common/win.h"
#include "tools/load/load_kit_win.h"
#include "tools/load/load_sampler_win.h"
#include "tools/load/scenario_players_win.h"
#include "tools/qvsim/qvsim_control_win.h"
#include "tools/qvsim/qvsim_state_win.h"
// After the Windows header, which it needs.
#include <tlhelp32.h>

namespace vgload {

namespace {

// How often the run looks at what it watches.
constexpr DWORD kTickMs = 100;
constexpr long kTablesEveryMs = 250;
constexpr long kProcessesEveryMs = 500;
constexpr long kSamplesEveryMs = 1000;
// A program still running this long after its deadline is ended by the run.
constexpr long kGiveUpMs = 20000;
// A new pop-up program may appear shortly after its monitor's last poll.
constexpr long kQuietMs = 2000;
// Process starts under Wine wait for the new process to come up: several threads start the
// monitors, so that they start as nearly at once as the processor allows.
constexpr int kStarterThreads = 4;
// How long the monitors may take to come up and poll once, all together.
constexpr long kFirstPollWaitMs = 180000;
constexpr UINT kEndedByTheRun = 0xDEAD;

// Milliseconds since the run began.
class Clock {
 public:
  Clock() : start_(::GetTickCount()) {}
  long Now() const { return static_cast<long>(::GetTickCount() - start_); }

 private:
  DWORD start_;
};

std::string TwoDigits(int index) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", index);
  return text;
}

std::string ProgramOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

HWND WindowOf(uint32_t handle) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(handle)); }

// Starts a program of the run: no console, nothing inherited.
bool StartProgram(const std::string& program, const std::string& arguments,
                  StartedProcess* process) {
  ProcessStart start;
  start.program = program;
  start.commandLine = Quoted(program) + " " + arguments;
  start.noWindow = true;
  return process->Start(start);
}

// The file of a running process, or "".
std::string ImageOf(HANDLE process) {
  char image[MAX_PATH] = {};
  DWORD size = sizeof image;
  return ::QueryFullProcessImageNameA(process, 0, image, &size) ? std::string(image, size)
                                                                 : std::string();
}

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The lines of a file from an offset on.
std::vector<std::string> LinesFrom(const std::string& path, uint64_t offset) {
  std::string text;
  ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  if (file.IsValid()) {
    LONG high = static_cast<LONG>(offset >> 32);
    ::SetFilePointer(file.Get(), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    char buffer[65536];
    DWORD done = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &done, nullptr) && done > 0) {
      text.append(buffer, done);
    }
  }
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

// The all-users application-data folder, where both debug logs are written.
std::string CommonDataDir() {
  char data[MAX_PATH] = {};
  ::GetEnvironmentVariableA("ALLUSERSPROFILE", data, MAX_PATH);
  return data;
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

// A simulated printer's call log, read without the simulator's lock: every process of the run
// takes that lock for each of its calls, and the log's slots name their own calls.
std::string CallsOf(const std::string& printer) {
  std::string text;
  for (const std::string& line :
       qvsim::EntryStore({qvsim::EntryKind::kPrinter, printer}).Calls()) {
    text += line + "\n";
  }
  return text;
}

void ResetSimulated(const std::string& printer) {
  const auto drop = [](const std::string&) {};
  qvsim::ControlMain({"reset", printer}, drop, drop);
}

struct MonitorRun {
  MonitorOutcome outcome;
  StartedProcess process;
};

struct PopupRun {
  PopupOutcome outcome;
  ScopedHandle process;
  bool registered = false;  // its window stood in the monitor's table
};

// What the run saw of one printer, on its clock.
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
  LoadRun(const LoadPlan& plan, const RunOptions& options)
      : plan_(plan),
        options_(options),
        tag_("vgload" + std::to_string(::GetCurrentProcessId()) + "x" +
             std::to_string(::GetTickCount() % 100000)),
        kit_(options.binDir, tag_),
        players_([this] { return clock_.Now(); }) {}
  LoadReport Run();

 private:
  void Say(const std::string& line) const {
    if (options_.progress) options_.progress(line);
  }
  bool SetUp();
  bool StartPlayers();
  bool StartMonitors();
  bool WaitForFirstPolls();
  bool OpenGate();
  void Observe();
  void Watch();
  void StartDue(long now);
  void LookAtTables(long now);
  void LookAtProcesses(long now);
  void CheckEnds(long now);
  bool AllEnded(long now) const;
  void EndLeftovers();
  void Collect();
  void CollectKeys();
  void CollectLogs();

  int PrinterOf(std::string_view name) const;
  long ScenarioStart(int printer) const;
  std::string MonitorArguments(int printer, const std::string& job) const;

  const LoadPlan& plan_;
  const RunOptions& options_;
  Clock clock_;
  std::string tag_;
  LoadKit kit_;
  ScenarioPlayers players_;
  LoadReport report_;
  std::vector<std::string> names_;
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
  long monitorsStartedMs_ = -1;
  long giveUpMs_ = LONG_MAX / 2;
  bool gateOpen_ = false;
  long nextTables_ = 0;
  long nextProcesses_ = 0;
  long nextSample_ = 0;
};

LoadReport LoadRun::Run() {
  const long begin = clock_.Now();
  report_.windows.resize(plan_.printers.size());
  watch_.resize(plan_.printers.size());
  for (const PrinterPlan& printer : plan_.printers) {
    names_.push_back("Load " + tag_ + " " + TwoDigits(printer.index));
  }
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
  monitorLog_.reset();
  libraryLog_.reset();
  kit_.Remove(&report_.runProblems);
  for (const std::string& name : names_) ResetSimulated(name);
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
  return players_.All()[static_cast<size_t>(printer)].startMs;
}

std::string LoadRun::MonitorArguments(int printer, const std::string& job) const {
  return "/P " + Quoted(names_[static_cast<size_t>(printer)]) + " /O " + Quoted(kLoadPort) +
         " /D " + Quoted(kit_.Driver()) + " /M " + Quoted(kLoadModel) + " /J " + Quoted(job);
}

bool LoadRun::SetUp() {
  if (!kit_.Prepare(plan_.config, &report_.setUpFailure)) return false;
  for (const std::string& name : names_) {
    if (!kit_.Install(name, &report_.setUpFailure)) return false;
  }
  Say("installed " + std::to_string(names_.size()) + " printers");
  if (options_.debugLogs) {
    monitorLogOffset_ = FileSize(CommonDataDir() + "\\VGMONX.LOG");
    libraryLogOffset_ = FileSize(CommonDataDir() + "\\VGL3_QOLT.LOG");
    monitorLog_ = std::make_unique<ScopedSwitch>(vgreg::kMonitorLogSwitchKey,
                                                 vgreg::kMonitorLogSwitch, 1);
    libraryLog_ = std::make_unique<ScopedSwitch>(vgreg::kLibraryLogSwitchKey,
                                                 vgreg::kLibraryLogSwitch, 1);
  }
  // Held for the whole run, so that the records are still there to be read when every
  // window's process has gone.
  libraryTable_ = HoldMapTable(MapNameSet::kPrinterLibrary, vgmap::MapTableKind::kShortNames);
  monitorTable_ = HoldMapTable(MapNameSet::kMonitor, vgmap::MapTableKind::kShortNames);
  if (!libraryTable_.IsValid() || !monitorTable_.IsValid()) {
    report_.setUpFailure = "cannot hold the window tables";
    return false;
  }
  return true;
}

bool LoadRun::StartPlayers() {
  const std::string gate = tag_ + "-go";
  gate_.Reset(::CreateEventA(nullptr, TRUE, FALSE, gate.c_str()));
  if (!gate_.IsValid()) {
    report_.setUpFailure = "cannot make the event " + gate;
    return false;
  }
  std::vector<std::string> scenarios;
  for (const PrinterPlan& printer : plan_.printers) {
    const std::string path = kit_.WorkDir() + "\\scenario" + TwoDigits(printer.index) + ".txt";
    const std::string text =
        ScenarioText(printer, names_[static_cast<size_t>(printer.index)], gate);
    ScopedHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD done = 0;
    if (!file.IsValid() ||
        !::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) ||
        done != text.size()) {
      report_.setUpFailure = "cannot write " + path;
      return false;
    }
    scenarios.push_back(path);
  }
  if (!players_.Start(kit_.BinProgram("qvsimctl.exe"), scenarios, &report_.setUpFailure)) {
    return false;
  }
  report_.figures.programsStarted += static_cast<int>(scenarios.size());
  // Every simulated printer is set up before its monitor starts.
  const int behind = players_.WaitFor(&Player::setMs, 120000);
  if (behind > 0) {
    report_.setUpFailure = std::to_string(behind) + " scenarios did not set their printer up";
    return false;
  }
  Say("every simulated printer is set up");
  return true;
}

bool LoadRun::StartMonitors() {
  monitorsStartedMs_ = clock_.Now();
  for (const PrinterPlan& printer : plan_.printers) {
    auto monitor = std::make_unique<MonitorRun>();
    monitor->outcome.printer = printer.index;
    monitors_.push_back(std::move(monitor));
  }
  std::atomic<size_t> next{0};
  const auto starter = [this, &next] {
    for (size_t i = next++; i < monitors_.size(); i = next++) {
      MonitorRun& monitor = *monitors_[i];
      StartProgram(kit_.Program("vgmon.exe"), MonitorArguments(monitor.outcome.printer, "1"),
                   &monitor.process);
      monitor.outcome.startMs = clock_.Now();
      monitor.outcome.processId = monitor.process.Id();
    }
  };
  std::vector<std::thread> threads;
  for (int i = 0; i < kStarterThreads; ++i) threads.emplace_back(starter);
  for (std::thread& thread : threads) thread.join();
  long last = monitorsStartedMs_;
  for (const auto& monitor : monitors_) {
    if (!monitor->process.IsStarted()) {
      report_.setUpFailure = "cannot start vgmon for printer " + TwoDigits(monitor->outcome.printer);
      return false;
    }
    last = std::max(last, monitor->outcome.startMs);
    ++report_.figures.programsStarted;
  }
  report_.figures.monitorStartSeconds = (last - monitorsStartedMs_) / 1000.0;
  Say("started " + std::to_string(monitors_.size()) + " monitors at once (within " +
      std::to_string(last - monitorsStartedMs_) + " ms)");
  return true;
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
  long last = monitorsStartedMs_;
  for (const auto& monitor : monitors_) last = std::max(last, monitor->outcome.firstPollMs);
  report_.figures.firstPollsSeconds = (last - monitorsStartedMs_) / 1000.0;
  if (polled < monitors_.size()) {
    report_.setUpFailure = std::to_string(monitors_.size() - polled) + " of " +
                           std::to_string(monitors_.size()) + " monitors never polled";
    return false;
  }
  Say("every monitor has polled its printer (the last " +
      std::to_string(last - monitorsStartedMs_) + " ms after the first start)");
  return true;
}

bool LoadRun::OpenGate() {
  // Every printer's clock starts now; the monitors all poll.
  ::SetEvent(gate_.Get());
  gateOpen_ = true;
  const int behind = players_.WaitFor(&Player::startMs, 30000);
  if (behind > 0) {
    report_.setUpFailure = std::to_string(behind) + " scenarios did not pass the gate";
    return false;
  }
  for (auto& monitor : monitors_) {
    MonitorOutcome& outcome = monitor->outcome;
    const Deadline deadline =
        MonitorDeadline(plan_.printers[static_cast<size_t>(outcome.printer)], plan_.config);
    const long from = deadline.from == Deadline::From::kFirstPoll      ? outcome.firstPollMs
                      : deadline.from == Deadline::From::kMonitorStart ? outcome.startMs
                                                                       : ScenarioStart(outcome.printer);
    outcome.nominalMs = from + deadline.nominalMs;
    outcome.deadlineMs = from + deadline.latestMs;
  }
  Say("the scenarios run");
  return true;
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
      StartedProcess process;
      if (!StartProgram(kit_.Program("vgpop.exe"), "/VIEW " + Quoted(name), &process)) {
        report_.runProblems.push_back("cannot start vgpop /VIEW for " + name);
      }
      popup->outcome.processId = process.Id();
      popup->outcome.printer = printer.index;
      popup->outcome.userStart = true;
      popup->outcome.firstSeenMs = now;
      HANDLE own = nullptr;
      if (process.IsStarted() &&
          ::DuplicateHandle(::GetCurrentProcess(), process.Handle(), ::GetCurrentProcess(), &own,
                            0, FALSE, DUPLICATE_SAME_ACCESS)) {
        popup->process.Reset(own);
      } else {
        popup->outcome.endMs = now;  // never ran: the problem is named above
      }
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
        watch.detailClosed = true;  // it never came: the window check names it
      }
    }
    if (printer.secondJobMs >= 0 && !watch.secondStarted && now >= start + printer.secondJobMs) {
      // A second print job for the printer while its first one is watched.
      watch.secondStarted = true;
      auto monitor = std::make_unique<MonitorRun>();
      if (!StartProgram(kit_.Program("vgmon.exe"), MonitorArguments(printer.index, "2"),
                        &monitor->process)) {
        report_.runProblems.push_back("cannot start a second job's vgmon for " + name);
      }
      MonitorOutcome& outcome = monitor->outcome;
      outcome.printer = printer.index;
      outcome.secondJob = true;
      outcome.startMs = clock_.Now();
      outcome.processId = monitor->process.Id();
      const Deadline deadline = SecondJobDeadline(plan_.config);
      outcome.nominalMs = outcome.startMs + deadline.nominalMs;
      outcome.deadlineMs = outcome.startMs + deadline.latestMs;
      ++report_.figures.programsStarted;
      monitors_.push_back(std::move(monitor));
    }
  }
}

void LoadRun::LookAtTables(long now) {
  int open = 0;
  for (PrinterWatch& watch : watch_) watch.windowOpen = false;
  for (const vgmap::MapRecordEntry& record :
       ReadMapRecords(MapNameSet::kPrinterLibrary, vgmap::MapTableKind::kShortNames)) {
    const int printer = PrinterOf(record.name);
    if (printer < 0 || record.statusWindow == 0 || !::IsWindow(WindowOf(record.statusWindow))) {
      continue;
    }
    PrinterWatch& watch = watch_[static_cast<size_t>(printer)];
    watch.windowOpen = true;
    ++open;
    watch.windows.insert(record.statusWindow);
    if (watch.windowFirstMs < 0) watch.windowFirstMs = now;
    watch.windowLastMs = now;
  }
  if (open > report_.figures.peakWindows) {
    report_.figures.peakWindows = open;
    report_.figures.peakWindowsAtSeconds = now / 1000.0;
  }
  // The pop-up programs that serve a printer register their hidden window in the monitor's.
  for (const vgmap::MapRecordEntry& record :
       ReadMapRecords(MapNameSet::kMonitor, vgmap::MapTableKind::kShortNames)) {
    const int printer = PrinterOf(record.name);
    if (printer < 0 || record.statusWindow == 0 || !::IsWindow(WindowOf(record.statusWindow))) {
      continue;
    }
    DWORD owner = 0;
    ::GetWindowThreadProcessId(WindowOf(record.statusWindow), &owner);
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
  const std::string popupPath = kit_.Program("vgpop.exe");
  for (BOOL more = ::Process32First(snapshot.Get(), &entry); more;
       more = ::Process32Next(snapshot.Get(), &entry)) {
    if (!vgtext::EqualsNoCase(entry.szExeFile, "vgpop.exe")) continue;
    const DWORD id = entry.th32ProcessID;
    const bool known = std::any_of(popups_.begin(), popups_.end(), [id](const auto& popup) {
      return popup->outcome.processId == id && popup->outcome.endMs < 0;
    });
    if (known) continue;
    ScopedHandle process(::OpenProcess(
        SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, id));
    if (!process.IsValid() || !vgtext::EqualsNoCase(ImageOf(process.Get()), popupPath)) continue;
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
    if (outcome.endMs >= 0 || !monitor->process.IsStarted()) continue;
    if (monitor->process.Wait(0)) {
      outcome.endMs = clock_.Now();
      outcome.exitCode = monitor->process.ExitCode();
      long& last = watch_[static_cast<size_t>(outcome.printer)].lastMonitorEndMs;
      last = std::max(last, outcome.endMs);
    } else if (outcome.deadlineMs >= 0 && now > outcome.deadlineMs + kGiveUpMs) {
      monitor->process.Terminate(kEndedByTheRun, 5000);
      outcome.killed = true;
      outcome.endMs = now;
    }
  }
  const long grace = PopupProgramGraceMs(plan_.config);
  for (auto& popup : popups_) {
    PopupOutcome& outcome = popup->outcome;
    if (outcome.endMs >= 0 || !popup->process.IsValid()) continue;
    // Due once its printer's monitors have ended and its window has closed; a user's program
    // that never served the monitor is due once its window has closed.
    if (outcome.printer >= 0) {
      const PrinterWatch& watch = watch_[static_cast<size_t>(outcome.printer)];
      const bool monitorsDone =
          std::all_of(monitors_.begin(), monitors_.end(), [&outcome](const auto& m) {
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
      ::TerminateProcess(popup->process.Get(), kEndedByTheRun);
      ::WaitForSingleObject(popup->process.Get(), 5000);
      outcome.killed = true;
      outcome.endMs = now;
    }
  }
  if (now > giveUpMs_) players_.EndTheRest();
}

bool LoadRun::AllEnded(long now) const {
  const auto ended = [](const auto& item) { return item->outcome.endMs >= 0; };
  if (!std::all_of(monitors_.begin(), monitors_.end(), ended)) return false;
  if (!std::all_of(popups_.begin(), popups_.end(), ended)) return false;
  const auto& players = players_.All();
  if (!std::all_of(players.begin(), players.end(), [](const Player& p) { return p.endMs >= 0; })) {
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
  players_.Look();
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
  long latest = clock_.Now();
  for (const auto& monitor : monitors_) latest = std::max(latest, monitor->outcome.deadlineMs);
  giveUpMs_ = latest + 2 * kGiveUpMs;
  // Past the give-up time everything still running has been ended, so the loop ends then.
  while (report_.setUp && !AllEnded(clock_.Now()) && clock_.Now() <= giveUpMs_ + kGiveUpMs) {
    Observe();
    ::Sleep(kTickMs);
  }
  const long end = clock_.Now();
  LookAtProcesses(end);
  CheckEnds(end);
  sampler_->Sample(end);
  if (monitorsStartedMs_ >= 0) report_.figures.runSeconds = (end - monitorsStartedMs_) / 1000.0;
}

void LoadRun::EndLeftovers() {
  // Whatever still runs from the run's folder is left behind: named, then ended.
  ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.IsValid()) {
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot.Get(), &entry); more;
         more = ::Process32Next(snapshot.Get(), &entry)) {
      ScopedHandle process(::OpenProcess(
          SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
          entry.th32ProcessID));
      if (!process.IsValid() ||
          !vgtext::StartsWithNoCase(ImageOf(process.Get()), kit_.WorkDir() + "\\") ||
          ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) {
        continue;
      }
      report_.leftoverProcesses.push_back(ProgramOf(ImageOf(process.Get())) + " (process " +
                                          std::to_string(entry.th32ProcessID) + ")");
      ::TerminateProcess(process.Get(), kEndedByTheRun);
      ::WaitForSingleObject(process.Get(), 5000);
    }
  }
  // The players run from the bin folder.
  for (Player& player : players_.All()) {
    if (player.endMs < 0 && !player.process.Wait(0)) {
      report_.leftoverProcesses.push_back("qvsimctl.exe (process " +
                                          std::to_string(player.process.Id()) + ")");
    }
  }
  players_.EndTheRest();
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
  for (const Player& player : players_.All()) {
    report_.scenarioStartMs.push_back(player.startMs);
    if (player.exitCode != 0) {
      report_.runProblems.push_back("the scenario of printer " + TwoDigits(player.printer) +
                                    " ended with " + std::to_string(player.exitCode) + ": " +
                                    player.text);
    }
  }
  // A record of one of the run's printers that is still taken names a window that has gone:
  // every window of the run has closed by now.
  for (MapNameSet set : {MapNameSet::kPrinterLibrary, MapNameSet::kMonitor}) {
    const char* table = set == MapNameSet::kMonitor ? "the monitor's" : "the printer library's";
    for (const vgmap::MapRecordEntry& record :
         ReadMapRecords(set, vgmap::MapTableKind::kShortNames)) {
      if (PrinterOf(record.name) < 0) continue;
      char slots[96];
      std::snprintf(slots, sizeof slots, " (windows 0x%X, 0x%X, 0x%X)",
                    static_cast<unsigned>(record.statusWindow),
                    static_cast<unsigned>(record.preferencesWindow),
                    static_cast<unsigned>(record.thirdWindow));
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

  // The model's defaults as the installed profile gives them.
  const std::string profile = kit_.InstalledProfile();
  std::vector<std::pair<std::string, DWORD>> defaults;
  for (const char* name : {"SoundNotifyEnable", "BeepBuzzerEnable", "TrayIconEnable",
                           "TrayIconSelected", "InkNearEndB", "InkNearEndC", "SizeUnitH",
                           "SlipMax", "MaxCaset", "MaxIC", "PaperNearEnd"}) {
    defaults.emplace_back(name, static_cast<DWORD>(::GetPrivateProfileIntA(kLoadModel, name, -1,
                                                                            profile.c_str())));
  }
  defaults.emplace_back(vgreg::kTargetTimer, static_cast<DWORD>(plan_.config.pollSeconds));
  defaults.emplace_back(vgreg::kTargetSetting, 0);
  std::vector<std::pair<std::string, DWORD>> items;
  char section[8192] = {};
  ::GetPrivateProfileSectionA(kLoadModel, section, sizeof section, profile.c_str());
  for (const char* line = section; *line != '\0'; line += std::strlen(line) + 1) {
    const std::string_view text(line);
    // "ITEM" and three digits before "=" name an item ("ITEMNUM" is their count).
    if (text.size() < 9 || text.substr(0, 4) != "ITEM" || text[7] != '=' ||
        !std::all_of(text.begin() + 4, text.begin() + 7,
                     [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    items.emplace_back(std::string(text.substr(4, 3)), static_cast<DWORD>(std::atoi(line + 8)));
  }

  Registry base(HKEY_CURRENT_USER, vgreg::kPrinterTargetBaseKey);
  for (DWORD index = 0;; ++index) {
    const std::string subkey = base.EnumKey(index);
    if (subkey.empty()) break;
    Registry target(base.Key(), subkey.c_str());
    const int printer = PrinterOf(target.GetString(vgreg::kTargetName));
    if (printer < 0) continue;
    KeyOutcome& key = report_.keys[static_cast<size_t>(printer)];
    if (++key.keys > 1) continue;
    key.hasStatus = target.GetValueType(vgreg::kTargetStatus) == REG_BINARY;
    const std::vector<BYTE> status = target.GetBinary(vgreg::kTargetStatus);
    key.status.assign(status.begin(), status.end());
    DWORD value = 0;
    key.hasChannel = target.QueryDWord(vgreg::kTargetChannel, 0, &value);
    key.channel = value;
    key.hasComStatus = target.QueryDWord(vgreg::kTargetComStatus, 0, &value);
    key.comStatus = value;
    key.popupPlaceStored =
        target.GetValueType("PopupPOSX") != REG_NONE && target.GetValueType("PopupPOSY") != REG_NONE;
    const auto compare = [&key](const Registry& from, const std::string& name, DWORD wanted,
                                const std::string& shown) {
      DWORD stored = 0;
      if (!from.QueryDWord(name.c_str(), 0, &stored)) {
        key.wrongSettings.push_back(shown + ": missing, " + std::to_string(wanted));
      } else if (stored != wanted) {
        key.wrongSettings.push_back(shown + ": " + std::to_string(stored) + ", " +
                                    std::to_string(wanted));
      }
    };
    for (const auto& [name, wanted] : defaults) compare(target, name, wanted, name);
    Registry notify(target.Key(), "Notify");
    for (const auto& [item, wanted] : items) compare(notify, item, wanted, "Notify\\" + item);
  }
}

void LoadRun::CollectLogs() {
  // Only what the run's programs wrote: each line leads with its process id in hexadecimal.
  std::set<uint32_t> ids;
  for (const auto& monitor : monitors_) ids.insert(monitor->outcome.processId);
  for (const auto& popup : popups_) ids.insert(popup->outcome.processId);
  const struct {
    const char* file;
    uint64_t offset;
  } logs[] = {{"VGMONX.LOG", monitorLogOffset_}, {"VGL3_QOLT.LOG", libraryLogOffset_}};
  for (const auto& log : logs) {
    for (const std::string& line : LinesFrom(CommonDataDir() + "\\" + log.file, log.offset)) {
      if (line.find("exception caught") == std::string::npos) continue;
      const uint32_t id = static_cast<uint32_t>(std::strtoul(line.c_str(), nullptr, 16));
      if (ids.count(id) != 0) report_.exceptionLines.push_back(std::string(log.file) + ": " + line);
    }
  }
}

}  // namespace

LoadReport RunLoad(const LoadPlan& plan, const RunOptions& options) {
  LoadRun run(plan, options);
  return run.Run();
}

}  // namespace vgload
