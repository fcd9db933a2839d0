#include "common/debug_log_win.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "common/debug_log_rules.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/system_library_win.h"
#include "common/unique_handle.h"
#include "common/win.h"

namespace {

enum class Variant { kNone, kMonitor, kPrinter };

// One lock guards the path and the scope counters: scopes are opened on worker threads and
// the user-interface thread alike, and the path must not go while another thread writes.
struct LogState {
  std::mutex lock;
  Variant variant = Variant::kNone;
  bool enabled = false;
  std::string builtInName;
  std::string path;
  unsigned counters[vglog::kTraceLevels] = {};
  // Several processes append to one file, and an append is a seek to the end and a write:
  // without a lock across processes two lines land at the same place and one is lost.
  ScopedHandle fileLock;
  std::string fileLockPath;
};

LogState& State() {
  static LogState state;
  return state;
}

std::string FolderFromShell() {
  using GetFolderFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
  const int kCommonAppData = 35;
  std::string folder;
  const ScopedModule shell(LoadSystemLibrary("shell32.dll"));
  if (!shell.IsValid()) return folder;
  auto getFolder = GetProcAs<GetFolderFn>(shell.Get(), "SHGetSpecialFolderPathA");
  char buffer[MAX_PATH] = {};
  if (getFolder && getFolder(::GetActiveWindow(), buffer, kCommonAppData, FALSE)) {
    folder = buffer;
  }
  return folder;
}

std::string TempFolder() {
  char buffer[MAX_PATH] = {};
  DWORD length = ::GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length >= sizeof buffer) return std::string();
  return buffer;
}

// Caller holds the lock.
void BuildPath(LogState& s) {
  if (!s.enabled) {
    s.path.clear();
    return;
  }
  if (!s.path.empty()) return;
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!::GetVersionExA(&version)) return;
  std::string folder;
  switch (vglog::ChooseLogFolder(version.dwPlatformId == VER_PLATFORM_WIN32_NT,
                                 version.dwMajorVersion)) {
    case vglog::LogFolder::kNone:
      return;
    case vglog::LogFolder::kCommonAppData:
      folder = FolderFromShell();
      if (folder.empty()) folder = TempFolder();
      break;
    case vglog::LogFolder::kTemp:
      folder = TempFolder();
      break;
  }
  if (folder.empty()) return;
  // The temporary folder comes with a trailing backslash; the join adds its own.
  if (folder.back() == '\\') folder.pop_back();
  s.path = folder + "\\" + std::string(vglog::LogFileNamePart(s.builtInName));
}

std::string FormatV(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int length = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (length < 0) return std::string();
  if (static_cast<size_t>(length) < sizeof small) return std::string(small, length);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(&text[0], text.size(), format, args);
  text.resize(static_cast<size_t>(length));
  return text;
}

// Caller holds the lock. Each line is its own open-append-close, so lines of several
// processes interleave by line; the process id in the prefix tells them apart.
void AppendLine(LogState& s, const std::string& body, unsigned indent) {
  if (!s.enabled || s.path.empty()) return;
  if (s.fileLockPath != s.path) {
    std::string name = "VgDebugLogAppend:" + s.path;
    // Mutex names take no backslash; the same file may be named in another case.
    for (char& c : name) {
      c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    s.fileLock.Reset(::CreateMutexA(nullptr, FALSE, name.c_str()));
    s.fileLockPath = s.path;
  }
  // A writer that does not let go within a second is not waited for: a lost line is better
  // than a stalled monitor. An abandoned lock is taken over.
  bool locked = false;
  if (s.fileLock.IsValid()) {
    const DWORD wait = ::WaitForSingleObject(s.fileLock.Get(), 1000);
    locked = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
  struct Unlock {
    HANDLE lock;
    ~Unlock() {
      if (lock != nullptr) ::ReleaseMutex(lock);
    }
  } unlock{locked ? s.fileLock.Get() : nullptr};
  bool monitor = s.variant == Variant::kMonitor;
  FILE* file = std::fopen(s.path.c_str(), monitor ? "a+" : "a");
  if (file == nullptr) return;
  if (monitor) {
    std::fprintf(file, "%08lX:%10ld: ", static_cast<unsigned long>(::GetCurrentProcessId()),
                 static_cast<long>(::GetTickCount()));
  } else {
    std::fprintf(file, "%04lX:%010lu: ", static_cast<unsigned long>(::GetCurrentProcessId()),
                 static_cast<unsigned long>(::GetTickCount()));
  }
  for (unsigned i = 0; i < indent; ++i) std::fputs("  ", file);
  std::fputs(body.c_str(), file);
  std::fclose(file);
}

bool ReadMonitorSwitch(const char* valueName) {
  ScopedRegKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, vgreg::kMonitorLogSwitchKey, 0, KEY_READ,
                      key.Receive()) != ERROR_SUCCESS) {
    return false;
  }
  DWORD value = 0;
  DWORD size = sizeof value;
  const LONG rc = ::RegQueryValueExA(key.Get(), valueName, nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&value), &size);
  return rc == ERROR_SUCCESS && value != 0;
}

}  // namespace

void VgLogStart(const char* logFileName, const char* switchValueName) {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.variant = Variant::kMonitor;
  s.enabled = false;
  s.path.clear();
  s.builtInName = logFileName ? logFileName : "";
  if (switchValueName == nullptr || !ReadMonitorSwitch(switchValueName)) return;
  s.enabled = true;
  BuildPath(s);
}

void VgLogWrite(const char* text) {
  if (text == nullptr) return;
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  AppendLine(s, std::string(text) + "\n", 0);
}

void VgLogWrite(const char* text, const char* text2) {
  if (text == nullptr || text2 == nullptr) return;
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  AppendLine(s, std::string(text) + " : " + text2 + "\n", 0);
}

void VgLogWrite(const char* text, long number) {
  if (text == nullptr) return;
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  AppendLine(s, std::string(text) + " : " + std::to_string(number) + "\n", 0);
}

void VgLogEnd() {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.enabled = false;
  s.path.clear();
}

bool VgTraceReadSwitch() {
  Registry key(HKEY_LOCAL_MACHINE, vgreg::kLibraryLogSwitchKey);
  return key.GetDWordValue(vgreg::kLibraryLogSwitch, 0) != 0;
}

void VgTraceEnable(bool on) {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.variant = Variant::kPrinter;
  s.enabled = on;
  s.builtInName = "C:\\VGL3_QOLT.LOG";
  s.path.clear();
  BuildPath(s);
}

CTraceScope::CTraceScope(const char* name, unsigned level)
    : m_nLevel(vglog::EffectiveTraceLevel(level)) {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.enabled) {
    BuildPath(s);
    unsigned indent = s.counters[m_nLevel];
    AppendLine(s, "\n", indent);
    AppendLine(s, "---\n", indent);
    if (name) AppendLine(s, std::string(name) + "\n", indent);
  }
  ++s.counters[m_nLevel];
}

CTraceScope::~CTraceScope() {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.counters[m_nLevel] > 0) --s.counters[m_nLevel];
  // The path goes only when no scope of any level is open, so an outer scope keeps writing.
  bool anyOpen = false;
  for (unsigned count : s.counters) anyOpen = anyOpen || count > 0;
  if (!anyOpen && s.variant == Variant::kPrinter) s.path.clear();
}

void CTraceScope::Write(const char* format, ...) const {
  LogState& s = State();
  if (format == nullptr) return;
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.enabled) return;
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  BuildPath(s);
  AppendLine(s, text, s.counters[m_nLevel]);
}

void VgTrace(const char* format, ...) {
  LogState& s = State();
  if (format == nullptr) return;
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.enabled) return;
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  if (s.variant == Variant::kMonitor) {
    // vgmon's lines always end with a line end; shared code's formats may carry their own.
    if (text.empty() || text.back() != '\n') text += '\n';
    AppendLine(s, text, 0);
  } else {
    BuildPath(s);
    AppendLine(s, text, s.counters[0]);
  }
}

std::string VgLogPath() {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  BuildPath(s);
  return s.path;
}
