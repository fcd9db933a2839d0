#include "printer/status_info_win.h"

#include <cstdio>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "common/change_watch_win.h"
#include "common/debug_log_win.h"
#include "common/install_profile_win.h"
#include "common/profile_paths.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "printer/status_decode.h"

namespace {

using vgreg::kDriverKeyPrefix;

class TraceLog final : public StatusLog {
 public:
  explicit TraceLog(const CTraceScope& trace) : m_trace(trace) {}
  void Write(const char* line) override { m_trace.Write("%s", line); }

 private:
  const CTraceScope& m_trace;
};

// The decode's lookups go through the decoder's own traced operations; its other lines go to
// the scope of CreateStatusObject.
class TracedLookup final : public StatusLookup {
 public:
  TracedLookup(CStatusInfo& info, const CTraceScope& trace) : m_info(info), m_trace(trace) {}
  int32_t GetStatusNo(const StatusReply& reply) override { return m_info.GetStatusNo(reply); }
  int SearchStatusInfo(int32_t kind, int32_t statusNo) override {
    return m_info.SearchStatusInfo(kind, statusNo);
  }
  void Write(const char* line) override { m_trace.Write("%s", line); }

 private:
  CStatusInfo& m_info;
  const CTraceScope& m_trace;
};

}  // namespace

bool ReadTextFile(const char* path, std::string* text, DWORD maxBytes) {
  if (path == nullptr || path[0] == '\0' || text == nullptr) return false;
  ScopedHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > maxBytes) return false;
  try {
    text->assign(static_cast<size_t>(size.QuadPart), '\0');
  } catch (const std::bad_alloc&) {
    return false;
  }
  DWORD done = 0;
  if (!text->empty() &&
      !::ReadFile(file.Get(), &(*text)[0], static_cast<DWORD>(text->size()), &done, nullptr)) {
    text->clear();
    return false;
  }
  text->resize(done);
  return true;
}

namespace {

// The tables of one profile, as they were built from it.
struct KeptTables {
  std::string profilePath;
  std::string section;
  ChangeWatch file;
  std::shared_ptr<const CStatusCtrl> tables;
  int loadResult = kBuildNoRecords;
};

// The built-in rows alone, shared by every decoder without a usable profile.
std::shared_ptr<const CStatusCtrl> BuiltInTables(int* loadResult) {
  static const std::shared_ptr<const CStatusCtrl> tables = [] {
    auto built = std::make_shared<CStatusCtrl>();
    built->LoadProfile(std::string_view(), std::string_view());
    return std::shared_ptr<const CStatusCtrl>(std::move(built));
  }();
  *loadResult = kBuildNoRecords;
  return tables;
}

// The tables of a profile INI's language section, built once per state of the file.
std::shared_ptr<const CStatusCtrl> TablesOf(const char* profileIniPath, int* loadResult) {
  if (profileIniPath == nullptr || profileIniPath[0] == '\0') return BuiltInTables(loadResult);
  char section[MAX_PATH] = {};
  DWORD sectionSize = sizeof(section);
  const bool hasSection = GetLanguageSection(section, &sectionSize, profileIniPath) == 0 &&
                          section[0] != '\0';

  static std::mutex lock;
  static std::vector<std::unique_ptr<KeptTables>> kept;
  std::lock_guard<std::mutex> guard(lock);
  for (auto it = kept.begin(); it != kept.end(); ++it) {
    KeptTables& entry = **it;
    if (entry.profilePath != profileIniPath) continue;
    if (entry.section == section && entry.file.StillTrue()) {
      *loadResult = entry.loadResult;
      return entry.tables;
    }
    kept.erase(it);
    break;
  }

  auto entry = std::make_unique<KeptTables>();
  entry->profilePath = profileIniPath;
  entry->section = section;
  entry->file.WatchFile(profileIniPath);  // before the read: a change during it still counts
  std::string text;
  // Without the section's lines the tables keep the built-in rows only.
  if (!hasSection || !ReadTextFile(profileIniPath, &text)) text.clear();
  auto tables = std::make_shared<CStatusCtrl>();
  entry->loadResult = hasSection && !text.empty() ? tables->LoadProfile(text, section)
                                                  : tables->LoadProfile(std::string_view(),
                                                                        std::string_view());
  entry->tables = std::move(tables);
  *loadResult = entry->loadResult;
  std::shared_ptr<const CStatusCtrl> result = entry->tables;
  constexpr size_t kProfiles = 8;
  if (kept.size() >= kProfiles) kept.erase(kept.begin());
  kept.push_back(std::move(entry));
  return result;
}

}  // namespace

CStatusInfo::CStatusInfo(const char* profileIniPath) {
  m_pStatusCtrl = TablesOf(profileIniPath, &m_nLoadResult);
}

CStatusInfo::~CStatusInfo() = default;

int CStatusInfo::SetDatFile(const char* name) {
  m_stHelp.datFile[0] = '\0';
  if (name == nullptr) return 1;
  // A name that does not fit would name another file: keep none.
  if (std::string_view(name).size() >= sizeof(m_stHelp.datFile)) return 1;
  vgtext::CopyBounded(m_stHelp.datFile, sizeof(m_stHelp.datFile), name);
  return 1;
}

void CStatusInfo::SetDriverName(const char* driverName) {
  m_stHelp.driverKey[0] = '\0';
  if (driverName == nullptr || driverName[0] == '\0') return;
  vgprofile::JoinBounded(m_stHelp.driverKey, sizeof(m_stHelp.driverKey), kDriverKeyPrefix,
                         driverName);
}

int CStatusInfo::GetStatusNo(const StatusReply& reply) {
  CTraceScope trace("CStatusInfo::GetStatusNo");
  TraceLog log(trace);
  return MatchStatusNo(*m_pStatusCtrl, reply, &log);
}

int CStatusInfo::SearchStatusInfo(int kind, int statusNo) {
  CTraceScope trace("CStatusInfo::SearchStatusInfo");
  TraceLog log(trace);
  return SearchStatusRecord(*m_pStatusCtrl, kind, statusNo, &log);
}

CPrinterStatus* CStatusInfo::CreateStatusObject(DWORD channel, const void* reply, int size,
                                                int forcedStatusNo, int /*unused*/) {
  CTraceScope trace("CStatusInfo::CreateStatusObject");
  trace.Write("Channel : %08x\n", static_cast<unsigned>(channel));
  const size_t replySize = size > 0 ? static_cast<size_t>(size) : 0;
  if (reply != nullptr) {
    // Printed as its terminated copy would be: up to the size or a zero byte.
    trace.Write("Received status : %.*s\n", static_cast<int>(replySize),
                static_cast<const char*>(reply));
    trace.Write("Size : %d\n", size);
  }

  TracedLookup lookup(*this, trace);
  DecodedStatus decoded;
  if (!DecodeStatus(lookup, channel, reply, replySize, forcedStatusNo, &decoded)) return nullptr;
  const StatusRecord* record = m_pStatusCtrl->GetRecord(decoded.recordIndex);
  if (record == nullptr) return nullptr;

  return new (std::nothrow) CPrinterStatus(decoded.hasReply, decoded.reply,
                                           FindCategoryRow(record->category), m_stHelp, *record,
                                           m_stHelp.resource);
}
