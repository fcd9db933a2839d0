#include "tools/qvsim/standin_store_win.h"

#include <cstdio>

#include "common/registry_win.h"
#include "tools/qvsim/qvsim_model.h"
#include "tools/qvsim/qvsim_state_win.h"

namespace qvsim {

namespace {

constexpr const char* kStartCountValue = "Count";
constexpr const char* kAnswerDelayValue = "AnswerDelay";
constexpr DWORD kRecordSize = 2048;

std::string StartsKeyPath(const std::string& program) {
  return ProgramKeyPath(program) + "\\Starts";
}

std::string SlotName(uint32_t seq) {
  char name[8];
  std::snprintf(name, sizeof name, "%03u", static_cast<unsigned>((seq - 1) % kStartSlots));
  return name;
}

}  // namespace

std::string ProgramKeyPath(const std::string& program) {
  return std::string(kRootKey) + "\\Programs\\" + program;
}

bool RecordStart(const std::string& program, uint32_t pid, const std::string& module,
                 const std::string& commandLine) {
  if (program.empty()) return false;
  StateLock lock;
  if (!lock.Held()) return false;
  Registry key(HKEY_CURRENT_USER, StartsKeyPath(program).c_str(), true);
  if (!key.IsOpen()) return false;
  StartRecord record;
  record.seq = key.GetDWordValue(kStartCountValue, 0) + 1;
  record.pid = pid;
  record.module = module;
  record.commandLine = commandLine;
  std::string line = FormatStartRecord(record);
  if (line.size() >= kRecordSize) line.resize(kRecordSize - 1);  // still readable, cut
  return key.SetString(SlotName(record.seq).c_str(), line.c_str()) != 0 &&
         key.SetDWord(kStartCountValue, record.seq) != 0;
}

std::vector<std::string> RecordedStarts(const std::string& program) {
  std::vector<std::string> lines;
  if (program.empty()) return lines;
  StateLock lock;
  if (!lock.Held()) return lines;
  Registry key(HKEY_CURRENT_USER, StartsKeyPath(program).c_str());
  const uint32_t count = key.GetDWordValue(kStartCountValue, 0);
  const uint32_t first = count > kStartSlots ? count - kStartSlots + 1 : 1;
  for (uint32_t seq = first; seq <= count && seq != 0; ++seq) {
    std::string line;
    if (key.QueryString(SlotName(seq).c_str(), &line, kRecordSize)) lines.push_back(line);
  }
  return lines;
}

bool ForgetProgram(const std::string& program) {
  if (program.empty()) return false;
  StateLock lock;
  if (!lock.Held()) return false;
  DeleteKeyTree(ProgramKeyPath(program));
  return !Registry(HKEY_CURRENT_USER, ProgramKeyPath(program).c_str()).IsOpen();
}

bool SetAnswerDelay(const std::string& program, uint32_t ms) {
  if (program.empty()) return false;
  StateLock lock;
  if (!lock.Held()) return false;
  Registry key(HKEY_CURRENT_USER, ProgramKeyPath(program).c_str(), true);
  return key.SetDWord(kAnswerDelayValue, ms) != 0;
}

uint32_t AnswerDelay(const std::string& program) {
  Registry key(HKEY_CURRENT_USER, ProgramKeyPath(program).c_str());
  return key.GetDWordValue(kAnswerDelayValue, kDefaultAnswerDelayMs);
}

}  // namespace qvsim
