#include "common/change_watch_win.h"

#include <algorithm>
#include <map>
#include <new>

namespace {

constexpr DWORD kAnyChange = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

// The path without its last component ("" for a single component).
std::string ParentOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool Opens(HKEY root, const std::string& path) {
  ScopedRegKey key;
  return ::RegOpenKeyExA(root, path.c_str(), 0, KEY_NOTIFY, key.Receive()) == ERROR_SUCCESS;
}

}  // namespace

bool ChangeWatch::Arm(HKEY root, const char* path, bool subtree, DWORD filter) {
  armed_ = true;
  // A handle of our own also for the root: closing it cancels the notification.
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path != nullptr ? path : "", 0, KEY_NOTIFY, &key) != ERROR_SUCCESS) {
    failed_ = true;
    return false;
  }
  if (key != root) keys_.emplace_back(key);
  ScopedHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!event.IsValid() ||
      ::RegNotifyChangeKeyValue(key, subtree ? TRUE : FALSE, filter, event.Get(), TRUE) !=
          ERROR_SUCCESS) {
    failed_ = true;
    return false;
  }
  handles_.push_back(std::move(event));
  return true;
}

bool ChangeWatch::WatchKey(HKEY root, const char* path, bool subtree) {
  if (path == nullptr || path[0] == '\0') return Arm(root, nullptr, false, REG_NOTIFY_CHANGE_NAME);

  std::string existing = path;
  bool whole = true;
  while (!existing.empty() && !Opens(root, existing)) {
    existing = ParentOf(existing);
    whole = false;
  }
  bool ok = existing.empty() ? Arm(root, nullptr, true, kAnyChange)
                             : Arm(root, existing.c_str(), subtree || !whole, kAnyChange);
  for (std::string above = ParentOf(existing); !above.empty(); above = ParentOf(above)) {
    ok = Arm(root, above.c_str(), false, REG_NOTIFY_CHANGE_NAME) && ok;
  }
  return ok;
}

namespace {

// The stamps read in this thread's moment, by path; null outside a moment.
thread_local std::map<std::string, WIN32_FILE_ATTRIBUTE_DATA>* t_moment = nullptr;

// GetFileAttributesExA, or what it answered earlier in this moment (dwFileAttributes
// INVALID_FILE_ATTRIBUTES for a file that was not there).
bool ReadAttributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  if (t_moment != nullptr) {
    const auto found = t_moment->find(path);
    if (found != t_moment->end()) {
      *data = found->second;
      return data->dwFileAttributes != INVALID_FILE_ATTRIBUTES;
    }
  }
  const bool exists = ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, data) != FALSE;
  if (!exists) data->dwFileAttributes = INVALID_FILE_ATTRIBUTES;
  if (t_moment != nullptr) (*t_moment)[path] = *data;
  return exists;
}

}  // namespace

ChangeWatch::Moment::Moment() {
  if (t_moment != nullptr) return;
  t_moment = new (std::nothrow) std::map<std::string, WIN32_FILE_ATTRIBUTE_DATA>();
  owns_ = t_moment != nullptr;
}

ChangeWatch::Moment::~Moment() {
  if (!owns_) return;
  delete t_moment;
  t_moment = nullptr;
}

ChangeWatch::FileStamp ChangeWatch::StampOf(const std::string& path) {
  FileStamp stamp;
  stamp.path = path;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!path.empty() && ReadAttributes(path, &data)) {
    stamp.exists = true;
    stamp.attributes = data.dwFileAttributes;
    stamp.lastWrite = data.ftLastWriteTime;
    stamp.sizeHigh = data.nFileSizeHigh;
    stamp.sizeLow = data.nFileSizeLow;
  }
  return stamp;
}

bool ChangeWatch::SameStamp(const FileStamp& a, const FileStamp& b) {
  if (a.exists != b.exists) return false;
  if (!a.exists) return true;
  return a.attributes == b.attributes && a.lastWrite.dwLowDateTime == b.lastWrite.dwLowDateTime &&
         a.lastWrite.dwHighDateTime == b.lastWrite.dwHighDateTime && a.sizeHigh == b.sizeHigh &&
         a.sizeLow == b.sizeLow;
}

void ChangeWatch::WatchFile(const std::string& path) {
  armed_ = true;
  files_.push_back(StampOf(path));
}

bool ChangeWatch::WatchProcess(DWORD processId) {
  armed_ = true;
  ScopedHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
  if (!process.IsValid() || ::WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT) {
    failed_ = true;
    return false;
  }
  handles_.push_back(std::move(process));
  return true;
}

bool ChangeWatch::StillTrue() const {
  if (!armed_ || failed_) return false;
  // One wait for every event and process (at most 64 handles per wait).
  std::vector<HANDLE> handles;
  handles.reserve(handles_.size());
  for (const ScopedHandle& handle : handles_) handles.push_back(handle.Get());
  for (size_t first = 0; first < handles.size(); first += MAXIMUM_WAIT_OBJECTS) {
    const DWORD count =
        static_cast<DWORD>(std::min<size_t>(MAXIMUM_WAIT_OBJECTS, handles.size() - first));
    if (::WaitForMultipleObjects(count, handles.data() + first, FALSE, 0) != WAIT_TIMEOUT) {
      return false;
    }
  }
  for (const FileStamp& file : files_) {
    if (!SameStamp(file, StampOf(file.path))) return false;
  }
  return true;
}

void ChangeWatch::Clear() {
  handles_.clear();
  keys_.clear();
  files_.clear();
  failed_ = false;
  armed_ = false;
}
