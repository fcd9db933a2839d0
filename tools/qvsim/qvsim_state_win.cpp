#include "tools/qvsim/qvsim_state_win.h"

#include "common/registry_win.h"
#include "common/unique_handle.h"

namespace qvsim {

namespace {

constexpr DWORD kLineBufferSize = 4096;

// One mutex handle per process, made on first use and closed when the module goes.
HANDLE SharedMutex() {
  static ScopedHandle mutex(::CreateMutexA(nullptr, FALSE, kLockName));
  return mutex.Get();
}

bool Exists(const Registry& key, const char* value) {
  DWORD type = 0;
  return key.IsOpen() &&
         ::RegQueryValueExA(key.Key(), value, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace

StateLock::StateLock() : mutex_(SharedMutex()) {
  if (mutex_ == nullptr) return;
  const DWORD wait = ::WaitForSingleObject(mutex_, kWaitMs);
  held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

StateLock::~StateLock() {
  if (held_) ::ReleaseMutex(mutex_);
}

void DeleteKeyTree(const std::string& path) {
  {
    Registry key(HKEY_CURRENT_USER, path.c_str(), false, KEY_READ);
    if (!key.IsOpen()) return;
    // Deleting shifts the indexes: always take the first child.
    for (;;) {
      const std::string child = key.EnumKey(0);
      if (child.empty()) break;
      DeleteKeyTree(path + "\\" + child);
      Registry again(HKEY_CURRENT_USER, (path + "\\" + child).c_str(), false, KEY_READ);
      if (again.IsOpen()) return;  // a child that would not go: stop rather than loop
    }
  }
  ::RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

EntryStore::EntryStore(Address address)
    : address_(std::move(address)), path_(EntryKeyPath(address_)) {}

std::optional<std::string> EntryStore::ReadBytes(const char* value) const {
  Registry key(HKEY_CURRENT_USER, path_.c_str(), false, KEY_READ);
  if (!Exists(key, value)) return std::nullopt;
  const std::vector<BYTE> data = key.GetBinary(value);
  return std::string(data.begin(), data.end());
}

// Opens the entry's key for writing; a new key gets the name it was made for.
bool EntryStore::OpenForWriting(Registry* key) const {
  if (key->Create(HKEY_CURRENT_USER, path_.c_str()) == 1) {
    key->SetString(kNameValue, FormatAddress(address_).c_str());
  }
  return key->IsOpen();
}

bool EntryStore::WriteBytes(const char* value, std::string_view bytes) {
  Registry key;
  OpenForWriting(&key);
  return key.SetBinary(value, bytes.data(), static_cast<DWORD>(bytes.size())) != 0;
}

bool EntryStore::EraseValue(const char* value) {
  Registry key(HKEY_CURRENT_USER, path_.c_str(), false, KEY_ALL_ACCESS);
  if (!Exists(key, value)) return true;
  return key.DeleteValue(value) != 0;
}

void EntryStore::Remove() { DeleteKeyTree(path_); }

std::optional<std::vector<qvapi::ChannelRecord>> EntryStore::ReadChannels() const {
  const std::optional<std::string> bytes = ReadBytes(kChannelsValue);
  if (!bytes) return std::nullopt;
  std::vector<qvapi::ChannelRecord> channels;
  if (!DecodeChannels(*bytes, &channels)) return std::nullopt;
  return channels;
}

std::vector<QueueItem> EntryStore::ReadQueue() const {
  std::vector<QueueItem> items;
  const std::optional<std::string> bytes = ReadBytes(kQueueValue);
  if (!bytes || !DecodeQueue(*bytes, &items)) items.clear();
  return items;
}

bool EntryStore::WriteQueue(const std::vector<QueueItem>& items) {
  if (items.empty()) return EraseValue(kQueueValue);
  return WriteBytes(kQueueValue, EncodeQueue(items));
}

std::optional<Forced> EntryStore::PeekForced(Function function) const {
  Registry key(HKEY_CURRENT_USER, (path_ + "\\" + kFailSubkey).c_str(), false, KEY_READ);
  if (!Exists(key, FunctionName(function))) return std::nullopt;
  Forced forced;
  if (!DecodeForced(key.GetString(FunctionName(function)), &forced)) return std::nullopt;
  return forced;
}

std::optional<Forced> EntryStore::TakeForced(Function function) {
  std::optional<Forced> forced = PeekForced(function);
  if (!forced) return std::nullopt;
  bool exhausted = false;
  const bool applies = UseForced(&*forced, &exhausted);
  if (exhausted || forced->remaining > 0) {
    // Only a counted behaviour changes; "always" stays as it is.
    Forced left = *forced;
    left.remaining = exhausted ? 0 : forced->remaining;
    SetForced(function, left);
  }
  if (!applies) return std::nullopt;
  return forced;
}

bool EntryStore::SetForced(Function function, const Forced& forced) {
  const std::string path = path_ + "\\" + kFailSubkey;
  if (forced.remaining == 0) {
    Registry key(HKEY_CURRENT_USER, path.c_str(), false, KEY_ALL_ACCESS);
    if (!Exists(key, FunctionName(function))) return true;
    return key.DeleteValue(FunctionName(function)) != 0;
  }
  Registry entry;
  OpenForWriting(&entry);
  Registry key;
  key.Create(HKEY_CURRENT_USER, path.c_str());
  return key.SetString(FunctionName(function), EncodeForced(forced).c_str()) != 0;
}

void EntryStore::LogCall(std::string_view call, int32_t result, std::string_view note) {
  LogCall(call, std::to_string(result), note);
}

void EntryStore::LogCall(std::string_view call, std::string_view outcome, std::string_view note) {
  Registry entry;
  OpenForWriting(&entry);
  Registry calls;
  calls.Create(HKEY_CURRENT_USER, (path_ + "\\" + kCallsSubkey).c_str());
  if (!calls.IsOpen()) return;
  const uint32_t sequence = calls.GetDWordValue(kCallCountValue, 0) + 1;
  const std::string line = FormatCallLine(sequence, ::GetCurrentProcessId(), call, outcome, note);
  calls.SetString(CallSlotName(sequence).c_str(), line.c_str());
  calls.SetDWord(kCallCountValue, sequence);
}

uint32_t EntryStore::CallCount() const {
  Registry calls(HKEY_CURRENT_USER, (path_ + "\\" + kCallsSubkey).c_str(), false, KEY_READ);
  return calls.GetDWordValue(kCallCountValue, 0);
}

std::vector<std::string> EntryStore::Calls() const {
  std::vector<std::string> lines;
  Registry calls(HKEY_CURRENT_USER, (path_ + "\\" + kCallsSubkey).c_str(), false, KEY_READ);
  const uint32_t total = calls.GetDWordValue(kCallCountValue, 0);
  if (total == 0) return lines;
  for (uint32_t sequence = FirstKeptCall(total);; ++sequence) {
    const std::string line = calls.GetString(CallSlotName(sequence).c_str(), "", kLineBufferSize);
    // A slot holds its own sequence number first; anything else is not this call.
    const std::string head = std::to_string(sequence) + " ";
    if (line.compare(0, head.size(), head) == 0) lines.push_back(line);
    if (sequence == total) break;
  }
  return lines;
}

uint32_t ReadReleases(const Address& address) {
  Registry releases(HKEY_CURRENT_USER, kReleasesKey, false, KEY_READ);
  return releases.GetDWordValue(ReleaseValueName(address).c_str(), 0);
}

bool RaiseReleases(const Address& address) {
  Registry releases;
  releases.Create(HKEY_CURRENT_USER, kReleasesKey);
  const std::string name = ReleaseValueName(address);
  return releases.SetDWord(name.c_str(), releases.GetDWordValue(name.c_str(), 0) + 1) != 0;
}

int32_t OpenHandle(const Address& address, uint32_t channel) {
  Registry root;
  root.Create(HKEY_CURRENT_USER, kRootKey);
  if (!root.IsOpen()) return 0;
  const DWORD last = root.GetDWordValue(kNextHandleValue, 0);
  HandleRecord record;
  record.handle = NextHandle(static_cast<int32_t>(last));
  record.address = address;
  record.channel = channel;
  Registry handles;
  handles.Create(HKEY_CURRENT_USER, kHandlesKey);
  if (!handles.SetString(HandleSlotName(record.handle).c_str(), EncodeHandle(record).c_str())) {
    return 0;
  }
  root.SetDWord(kNextHandleValue, static_cast<DWORD>(record.handle));
  return record.handle;
}

std::optional<HandleRecord> FindHandle(int32_t handle) {
  if (handle <= 0) return std::nullopt;
  Registry handles(HKEY_CURRENT_USER, kHandlesKey, false, KEY_READ);
  const std::string slot = HandleSlotName(handle);
  if (!Exists(handles, slot.c_str())) return std::nullopt;
  HandleRecord record;
  if (!DecodeHandle(handles.GetString(slot.c_str(), "", kLineBufferSize), &record) ||
      record.handle != handle) {
    return std::nullopt;
  }
  return record;
}

bool ForgetHandle(int32_t handle) {
  if (!FindHandle(handle)) return false;
  Registry handles(HKEY_CURRENT_USER, kHandlesKey, false, KEY_ALL_ACCESS);
  return handles.DeleteValue(HandleSlotName(handle).c_str()) != 0;
}

}  // namespace qvsim
