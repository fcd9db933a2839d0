#include "tools/qvsim/qvsim_control_win.h"

#include <fstream>
#include <sstream>

#include "common/unique_handle.h"
#include "common/win.h"
#include "tools/qvsim/qvsim_state_win.h"
#include "tools/qvsim/standin_store_win.h"

namespace qvsim {

namespace {

constexpr std::streamsize kMaxScenarioBytes = 1 << 20;

int Failed(std::string* error, const std::string& text) {
  *error = text;
  return kExitFailed;
}

int NotWritten(std::string* error, const EntryStore& entry) {
  return Failed(error, "cannot write HKEY_CURRENT_USER\\" + entry.Path());
}

void Show(const EntryStore& entry, const LineSink& out) {
  EntrySnapshot snapshot;
  snapshot.address = entry.GetAddress();
  snapshot.keyPath = entry.Path();
  snapshot.deviceId = entry.ReadBytes(kDeviceIdValue);
  snapshot.bareDeviceIdSize = entry.ReadBytes(kDeviceIdBareSizeValue).has_value();
  snapshot.channels = entry.ReadChannels();
  snapshot.reply = entry.ReadBytes(kReplyValue);
  snapshot.queue = entry.ReadQueue();
  for (int i = 0; i < static_cast<int>(Function::kCount); ++i) {
    const Function function = static_cast<Function>(i);
    if (const auto forced = entry.PeekForced(function)) {
      snapshot.forced.emplace_back(function, *forced);
    }
  }
  snapshot.calls = entry.CallCount();
  for (const auto& line : DescribeEntry(snapshot)) out(line);
}

// Waits until ms have passed since start; GetTickCount wraps, differences do not.
void WaitUntil(DWORD start, uint32_t ms) {
  for (;;) {
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= ms) return;
    ::Sleep(ms - elapsed);
  }
}

}  // namespace

int ExecuteCommand(const Command& command, const LineSink& out, std::string* error) {
  switch (command.type) {
    case CommandType::kStarted:
      for (const auto& line : RecordedStarts(command.program)) out(line);
      return kExitOk;
    case CommandType::kForget:
      return ForgetProgram(command.program) ? kExitOk
                                            : Failed(error, "cannot remove HKEY_CURRENT_USER\\" +
                                                                ProgramKeyPath(command.program));
    case CommandType::kAnswer:
      return SetAnswerDelay(command.program, command.delayMs)
                 ? kExitOk
                 : Failed(error,
                          "cannot write HKEY_CURRENT_USER\\" + ProgramKeyPath(command.program));
    default:
      break;
  }
  StateLock lock;
  if (!lock.Held()) return Failed(error, "the simulator's state stayed locked by another program");
  EntryStore entry(command.address);
  switch (command.type) {
    case CommandType::kReset:
      // A call still blocked by the entry's forced hang ends with it.
      RaiseReleases(command.address);
      entry.Remove();
      if (entry.CallCount() != 0 || entry.ReadBytes(kNameValue)) {
        return Failed(error, "cannot remove HKEY_CURRENT_USER\\" + entry.Path());
      }
      return kExitOk;
    case CommandType::kDeviceId:
      return entry.WriteBytes(kDeviceIdValue, command.text) ? kExitOk : NotWritten(error, entry);
    case CommandType::kDeviceIdSize: {
      const bool written = command.bareSize ? entry.WriteBytes(kDeviceIdBareSizeValue, "bare")
                                            : entry.EraseValue(kDeviceIdBareSizeValue);
      return written ? kExitOk : NotWritten(error, entry);
    }
    case CommandType::kChannels:
      return entry.WriteBytes(kChannelsValue, EncodeChannels(command.channels))
                 ? kExitOk
                 : NotWritten(error, entry);
    case CommandType::kReply:
      if (command.text.empty()) {
        return entry.EraseValue(kReplyValue) ? kExitOk : NotWritten(error, entry);
      }
      return entry.WriteBytes(kReplyValue, command.text) ? kExitOk : NotWritten(error, entry);
    case CommandType::kQueue: {
      std::vector<QueueItem> queue = entry.ReadQueue();
      if (queue.size() + command.items.size() > kMaxQueueItems) {
        return Failed(
            error, "the queue would hold more than " + std::to_string(kMaxQueueItems) + " items");
      }
      queue.insert(queue.end(), command.items.begin(), command.items.end());
      return entry.WriteQueue(queue) ? kExitOk : NotWritten(error, entry);
    }
    case CommandType::kFail:
    case CommandType::kCrash:
    case CommandType::kHang: {
      Forced forced;
      forced.remaining = command.count;
      forced.code = command.code;
      if (command.type == CommandType::kCrash) forced.action = Forced::Action::kCrash;
      if (command.type == CommandType::kHang) {
        forced.action = Forced::Action::kHang;
        forced.hangMs = command.hangMs;
      }
      return entry.SetForced(command.function, forced) ? kExitOk : NotWritten(error, entry);
    }
    case CommandType::kRelease:
      return RaiseReleases(command.address) ? kExitOk
                                            : Failed(error, std::string("cannot write ") +
                                                                "HKEY_CURRENT_USER\\" +
                                                                kReleasesKey);
    case CommandType::kCalls:
      for (const auto& line : entry.Calls()) out(line);
      return kExitOk;
    case CommandType::kShow:
      Show(entry, out);
      return kExitOk;
    case CommandType::kRun:
    case CommandType::kHelp:
    case CommandType::kStarted:
    case CommandType::kForget:
    case CommandType::kAnswer:
      break;
  }
  *error = "not a state command";
  return kExitUsage;
}

int RunScenario(const std::string& path, const LineSink& out, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Failed(error, "cannot read " + path);
  std::string text(static_cast<size_t>(kMaxScenarioBytes) + 1, '\0');
  file.read(&text[0], kMaxScenarioBytes + 1);
  text.resize(static_cast<size_t>(file.gcount()));
  if (text.size() > static_cast<size_t>(kMaxScenarioBytes)) {
    return Failed(error, path + " is larger than " + std::to_string(kMaxScenarioBytes) + " bytes");
  }

  struct Numbered {
    size_t line;
    ScenarioStep step;
  };
  std::vector<Numbered> steps;
  std::istringstream lines(text);
  std::string line;
  for (size_t number = 1; std::getline(lines, line); ++number) {
    ScenarioStep step;
    std::string reason;
    if (!ParseScenarioLine(line, &step, &reason)) {
      *error = path + ":" + std::to_string(number) + ": " + reason;
      return kExitUsage;
    }
    if (step.action != ScenarioStep::Action::kNothing || step.hasAt) {
      steps.push_back({number, std::move(step)});
    }
  }

  DWORD start = ::GetTickCount();
  for (const auto& [number, step] : steps) {
    if (step.hasAt) WaitUntil(start, step.atMs);
    switch (step.action) {
      case ScenarioStep::Action::kNothing:
        break;
      case ScenarioStep::Action::kWait: {
        // Whoever comes first makes the event: the player and the one who sets it may start
        // in either order.
        ScopedHandle event(::CreateEventA(nullptr, TRUE, FALSE, step.waitEvent.c_str()));
        if (!event.IsValid()) {
          return Failed(error, path + ":" + std::to_string(number) + ": cannot open the event " +
                                   step.waitEvent);
        }
        if (::WaitForSingleObject(event.Get(), step.waitLimitMs) != WAIT_OBJECT_0) {
          return Failed(error, path + ":" + std::to_string(number) + ": the event " +
                                   step.waitEvent + " was not set in time");
        }
        start = ::GetTickCount();
        break;
      }
      case ScenarioStep::Action::kSleep:
        ::Sleep(step.sleepMs);
        break;
      case ScenarioStep::Action::kSay:
        out(step.say);
        break;
      case ScenarioStep::Action::kCommand: {
        std::string reason;
        const int rc = ExecuteCommand(step.command, out, &reason);
        if (rc != kExitOk) {
          *error = path + ":" + std::to_string(number) + ": " + reason;
          return rc;
        }
        break;
      }
    }
  }
  return kExitOk;
}

int ControlMain(const std::vector<std::string>& args, const LineSink& out, const LineSink& err) {
  Command command;
  std::string error;
  std::string usage;
  if (!ParseCommand(args, &command, &error, &usage)) {
    err("qvsimctl: " + error);
    err(usage);
    return kExitUsage;
  }
  int rc = kExitOk;
  switch (command.type) {
    case CommandType::kHelp: {
      std::istringstream text(UsageText());
      std::string line;
      while (std::getline(text, line)) out(line);
      return kExitOk;
    }
    case CommandType::kRun:
      rc = RunScenario(command.text, out, &error);
      break;
    default:
      rc = ExecuteCommand(command, out, &error);
      break;
  }
  if (rc != kExitOk) err("qvsimctl: " + error);
  return rc;
}

}  // namespace qvsim
