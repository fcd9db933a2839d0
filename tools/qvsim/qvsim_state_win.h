#pragma once
// The simulator's shared state in HKEY_CURRENT_USER (layout in qvsim_model.h), used at once by
// the library in every process that loaded it and by qvsimctl. Every read-modify-write runs
// under StateLock.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/registry_win.h"
#include "common/win.h"
#include "tools/qvsim/qvsim_model.h"

namespace qvsim {

// Holds the simulator's named mutex for its scope. A holder that died leaves it abandoned,
// which still counts as held: the state it left is the best there is.
class StateLock {
 public:
  static constexpr DWORD kWaitMs = 10000;
  StateLock();
  ~StateLock();
  StateLock(const StateLock&) = delete;
  StateLock& operator=(const StateLock&) = delete;
  bool Held() const { return held_; }

 private:
  HANDLE mutex_ = nullptr;  // borrowed: the process-wide mutex, owned for the process's life
  bool held_ = false;
};

// The values of one entry (a printer, a port or the process-wide entry). Reads of a missing
// key answer as for missing values; writes create the key.
class EntryStore {
 public:
  explicit EntryStore(Address address);

  const Address& GetAddress() const { return address_; }
  const std::string& Path() const { return path_; }

  std::optional<std::string> ReadBytes(const char* value) const;
  bool WriteBytes(const char* value, std::string_view bytes);
  bool EraseValue(const char* value);
  // Removes the entry with everything below it.
  void Remove();

  std::optional<std::vector<qvapi::ChannelRecord>> ReadChannels() const;
  // A value that cannot be decoded reads as an empty queue.
  std::vector<QueueItem> ReadQueue() const;
  bool WriteQueue(const std::vector<QueueItem>& items);

  std::optional<Forced> PeekForced(Function function) const;
  // The forced behaviour for this call, using one of its calls.
  std::optional<Forced> TakeForced(Function function);
  // A remaining count of 0 removes the forced behaviour; -1 keeps it for every call.
  bool SetForced(Function function, const Forced& forced);

  // Appends "SEQ pid=PID CALL = RESULT[; NOTE]", dropping the oldest beyond kCallSlots.
  void LogCall(std::string_view call, int32_t result, std::string_view note);
  // The same for a call that gives no result: "crash", "blocked".
  void LogCall(std::string_view call, std::string_view outcome, std::string_view note);
  std::vector<std::string> Calls() const;
  uint32_t CallCount() const;

 private:
  bool OpenForWriting(Registry* key) const;

  Address address_;
  std::string path_;
};

// The handle table shared by all processes. OpenHandle returns 0 when it cannot store one.
int32_t OpenHandle(const Address& address, uint32_t channel);
std::optional<HandleRecord> FindHandle(int32_t handle);
bool ForgetHandle(int32_t handle);

// The entry's release counter (0 when never raised), read without the lock; and raising it,
// which ends the entry's blocked calls (under the lock).
uint32_t ReadReleases(const Address& address);
bool RaiseReleases(const Address& address);

// Removes a key of HKEY_CURRENT_USER and everything below it (missing is fine).
void DeleteKeyTree(const std::string& path);

}  // namespace qvsim
