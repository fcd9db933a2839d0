#include "printer/status_info_win.h"

#include <cstdio>
#include <new>
#include <string>
#include <string_view>

#include "common/debug_log_win.h"
#include "common/install_profile_win.h"
#include "common/profile_paths.h"
#include "common/registry_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "printer/status_decode.h"

namespace {

constexpr char kDriverKeyPrefix[] = "software\\KORVA\\VGL3\\Driver\\";

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

bool ValidResourceId(int id) { return id > 0 && id <= 0xFFFF; }

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

CStatusInfo::CStatusInfo(const char* profileIniPath) {
  m_nLoadResult = LoadProfile(profileIniPath);
}

CStatusInfo::~CStatusInfo() = default;

int CStatusInfo::LoadProfile(const char* profileIniPath) {
  char section[MAX_PATH] = {};
  DWORD sectionSize = sizeof(section);
  std::string text;
  const bool readable = profileIniPath != nullptr && profileIniPath[0] != '\0' &&
                        GetLanguageSection(section, &sectionSize, profileIniPath) == 0 &&
                        section[0] != '\0' && ReadTextFile(profileIniPath, &text);
  // Without the section's lines the tables keep the built-in rows only.
  if (!readable) return m_cStatusCtrl.LoadProfile(std::string_view(), std::string_view());
  return m_cStatusCtrl.LoadProfile(text, section);
}

int CStatusInfo::SetDatFile(const char* name) {
  m_szDatFile[0] = '\0';
  m_bHtmlHelp = FALSE;
  if (name == nullptr) return 1;
  // A name that does not fit would name another file: keep none.
  if (std::string_view(name).size() >= sizeof(m_szDatFile)) return 1;
  vgtext::CopyBounded(m_szDatFile, sizeof(m_szDatFile), name);
  Registry htmlClass(HKEY_CLASSES_ROOT, ".HTM");
  m_bHtmlHelp = htmlClass.IsOpen() ? TRUE : FALSE;
  return 1;
}

void CStatusInfo::SetDriverName(const char* driverName) {
  m_szDriverKey[0] = '\0';
  if (driverName == nullptr || driverName[0] == '\0') return;
  vgprofile::JoinBounded(m_szDriverKey, sizeof(m_szDriverKey), kDriverKeyPrefix, driverName);
}

int CStatusInfo::GetStatusNo(const StatusReply& reply) {
  CTraceScope trace("CStatusInfo::GetStatusNo");
  TraceLog log(trace);
  return MatchStatusNo(m_cStatusCtrl, reply, &log);
}

int CStatusInfo::SearchStatusInfo(int kind, int statusNo) {
  CTraceScope trace("CStatusInfo::SearchStatusInfo");
  TraceLog log(trace);
  return SearchStatusRecord(m_cStatusCtrl, kind, statusNo, &log);
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
  const StatusRecord* record = m_cStatusCtrl.GetRecord(decoded.recordIndex);
  if (record == nullptr) return nullptr;

  const HelpLink help = FindHelpLink(record->helpNo);
  return new (std::nothrow)
      CPrinterStatus(decoded.hasReply, decoded.reply, FindCategoryRow(record->category), help,
                     *record, m_hResource);
}

bool CStatusInfo::FindHelpFile(int helpNo, char (&path)[MAX_PATH]) const {
  char key[16];
  std::snprintf(key, sizeof(key), "TSF%03d", helpNo);
  char file[MAX_PATH] = {};
  if (GetLangProfileString(key, file, sizeof(file), m_szDatFile) != 0 || file[0] == '\0') {
    return false;
  }
  std::string folder;
  if (m_szDriverKey[0] != '\0') {
    Registry driver(HKEY_LOCAL_MACHINE, m_szDriverKey);
    folder = driver.GetString("InstallPath", "", MAX_PATH);
  }
  if (folder.empty()) folder = ".\\";
  if (folder.back() != '\\') folder += '\\';
  if (!vgprofile::JoinBounded(path, sizeof(path), folder, file)) return false;
  OFSTRUCT info = {};
  info.cBytes = sizeof(info);
  if (::OpenFile(path, &info, OF_EXIST) == HFILE_ERROR) {
    path[0] = '\0';
    return false;
  }
  return true;
}

HelpLink CStatusInfo::FindHelpLink(int helpNo) const {
  HelpLink link;
  if (m_szDatFile[0] == '\0') return link;
  char key[16];
  std::snprintf(key, sizeof(key), "TSS%03d", helpNo);
  char value[MAX_PATH] = {};
  if (GetLangProfileString(key, value, sizeof(value), m_szDatFile) != 0) return link;

  if (m_bHtmlHelp && FindHelpFile(helpNo, link.path)) {
    link.type = kHelpFile;
    return link;
  }
  const int resourceId = kTroubleResourceBase + helpNo;
  if (m_hResource != nullptr && ValidResourceId(resourceId)) {
    HRSRC resource = ::FindResourceA(m_hResource, MAKEINTRESOURCEA(resourceId), RT_RCDATA);
    if (resource != nullptr) {
      link.type = kHelpResource;
      link.resource = resource;
    }
  }
  return link;
}
