// qvsim.dll: a bidirectional library whose printers answer from the simulator's shared state.
// Every call runs under the state lock, answers from the entry it addresses (a handle finds
// its entry through the handle table) and appends itself to that entry's call log; calls
// that address no printer, or an unknown one by handle, go to the process-wide entry's log.
// A forced crash or hang is logged under the lock and carried out after it.
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>

#include "common/exception_guard_win.h"
#include "common/qvapi.h"
#include "common/win.h"
#include "tools/qvsim/qvsim_state_win.h"

using qvsim::Address;
using qvsim::EntryKind;
using qvsim::EntryStore;
using qvsim::Forced;
using qvsim::Function;

extern "C" {
int32_t __cdecl QVInitialize(void);
int32_t __cdecl QVRelease(void);
int32_t __cdecl QVGetDeviceID(int32_t kind, const char* name, char* buffer, int32_t* size);
int32_t __cdecl QVGetAvailableChannel(int32_t kind, const char* name, void* buffer, int32_t* size);
int32_t __cdecl QVOpenChannel(int32_t kind, const char* name, uint32_t channel);
int32_t __cdecl QVCloseChannel(int32_t handle);
int32_t __cdecl QVSetOption(int32_t handle, int32_t option, void* data, int32_t* size);
int32_t __cdecl QVGetOption(int32_t handle, int32_t option, void* data, int32_t* size);
int32_t __cdecl QVReceiveCancel(int32_t handle);
int32_t __cdecl QVGetStatus(int32_t handle, void* buffer, int32_t* size);
int32_t __cdecl QVReceive(int32_t handle, void* buffer, int32_t* size);
int32_t __cdecl QVSend(int32_t handle, const void* data, int32_t* size);
}

// The exports must be exactly the types the system binds.
#define QVSIM_CHECK_EXPORT(name, type) \
  static_assert(std::is_same_v<decltype(&name), type>, #name " is not of the bound type");
QVAPI_FUNCTIONS(QVSIM_CHECK_EXPORT)
#undef QVSIM_CHECK_EXPORT

namespace {

const Address kProcessWide{EntryKind::kGlobal, {}};

// Runs one export's body under the shared guard: nothing it throws (an allocation) crosses
// the export, which then fails as for a bad argument.
template <typename Body>
int32_t Guarded(const char* where, Body body) noexcept {
  return vg::Guarded(where, qvsim::kErrInvalidArgument, body);
}

std::string SizeText(const int32_t* size) {
  return size ? std::to_string(*size) : std::string("null");
}

std::string PointerText(const void* pointer) { return pointer ? "yes" : "null"; }

std::string HexText(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
  return text;
}

// The entry a (kind, name) call addresses; false for a kind other than 0 and 1 and for a
// name that is missing, empty or longer than a printer name can be.
bool AddressOf(int32_t kind, const char* name, Address* address) {
  if (kind != qvapi::kKindPrinter && kind != qvapi::kKindPort) return false;
  if (name == nullptr) return false;
  const size_t length = strnlen(name, qvsim::kMaxName + 1);
  if (length == 0 || length > qvsim::kMaxName) return false;
  address->kind = kind == qvapi::kKindPort ? EntryKind::kPort : EntryKind::kPrinter;
  address->name.assign(name, length);
  return true;
}

// Logs and returns: every path of an export ends here.
int32_t Done(EntryStore& entry, const std::string& call, int32_t result,
             const std::string& note = std::string()) {
  entry.LogCall(call, result, note);
  return result;
}

// A forced crash or hang, decided under the lock and carried out after it: a crash must not
// leave the lock held by a thread that the caller took out of the library, and a blocked
// call must let qvsimctl in (to release it, among others).
struct Aftermath {
  Forced::Action action = Forced::Action::kReturn;
  uint32_t hangMs = 0;
  uint32_t releases = 0;
};

// Logs the forced crash or hang of a call and says what follows; false for a forced result,
// which the caller returns at once.
bool Intercept(EntryStore& entry, const std::string& call, const Forced& forced,
               Aftermath* after) {
  after->action = forced.action;
  switch (forced.action) {
    case Forced::Action::kReturn:
      return false;
    case Forced::Action::kCrash:
      entry.LogCall(call, "crash", "access violation raised");
      return true;
    case Forced::Action::kHang:
      after->hangMs = forced.hangMs;
      after->releases = qvsim::ReadReleases(entry.GetAddress());
      entry.LogCall(call, "blocked",
                    forced.hangMs == qvsim::kHangUntilReleased
                        ? std::string("until released")
                        : "for " + std::to_string(forced.hangMs) + " ms");
      return true;
  }
  return false;
}

// A real access violation inside the library: a write to the lowest page of the address
// space, which is never mapped.
[[noreturn]] __attribute__((noinline)) void RaiseAccessViolation() {
  volatile uintptr_t address = 0x10;
  *reinterpret_cast<volatile int32_t*>(address) = 0;
  // Not reached: nothing can go on after that write but by leaving this function.
  ::RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  __builtin_unreachable();
}

// Carries out a crash, or blocks until the hang's time is over or the entry was released.
void CarryOut(const Address& address, const Aftermath& after) {
  if (after.action == Forced::Action::kCrash) RaiseAccessViolation();
  if (after.action != Forced::Action::kHang) return;
  const DWORD start = ::GetTickCount();
  while (!qvsim::HangIsOver(after.hangMs, ::GetTickCount() - start, after.releases,
                            qvsim::ReadReleases(address))) {
    ::Sleep(20);
  }
}

// The common head of the (kind, name) functions: lock, address, forced behaviour.
template <typename Work>
int32_t ByName(Function function, int32_t kind, const char* name, const std::string& call,
               Work work) {
  Address address;
  Aftermath after;
  {
    qvsim::StateLock lock;
    if (!lock.Held()) return qvsim::kErrInvalidArgument;
    if (!AddressOf(kind, name, &address)) {
      EntryStore global(kProcessWide);
      return Done(global, call, qvsim::kErrInvalidArgument, "bad kind or name");
    }
    EntryStore entry(address);
    const std::optional<Forced> forced = entry.TakeForced(function);
    if (!forced) return work(entry);
    if (!Intercept(entry, call, *forced, &after)) return Done(entry, call, forced->code, "forced");
  }
  CarryOut(address, after);
  qvsim::StateLock lock;
  if (!lock.Held()) return qvsim::kErrInvalidArgument;
  EntryStore entry(address);
  return work(entry);
}

// The common head of the handle functions: lock, handle table, forced behaviour.
template <typename Work>
int32_t ByHandle(Function function, int32_t handle, const std::string& call, Work work) {
  std::optional<qvsim::HandleRecord> record;
  Aftermath after;
  {
    qvsim::StateLock lock;
    if (!lock.Held()) return qvsim::kErrInvalidArgument;
    record = qvsim::FindHandle(handle);
    if (!record) {
      EntryStore global(kProcessWide);
      return Done(global, call, qvsim::kErrBadHandle, "not an open handle");
    }
    EntryStore entry(record->address);
    const std::optional<Forced> forced = entry.TakeForced(function);
    if (!forced) return work(entry, *record);
    if (!Intercept(entry, call, *forced, &after)) return Done(entry, call, forced->code, "forced");
  }
  CarryOut(record->address, after);
  qvsim::StateLock lock;
  if (!lock.Held()) return qvsim::kErrInvalidArgument;
  // The handle may have been closed meanwhile.
  record = qvsim::FindHandle(handle);
  if (!record) {
    EntryStore global(kProcessWide);
    return Done(global, call, qvsim::kErrBadHandle, "not an open handle");
  }
  EntryStore entry(record->address);
  return work(entry, *record);
}

int32_t ProcessWide(Function function) {
  const std::string call = std::string(qvsim::FunctionName(function)) + "()";
  Aftermath after;
  {
    qvsim::StateLock lock;
    if (!lock.Held()) return qvsim::kErrInvalidArgument;
    EntryStore global(kProcessWide);
    const std::optional<Forced> forced = global.TakeForced(function);
    if (!forced) return Done(global, call, 0);
    if (!Intercept(global, call, *forced, &after)) return Done(global, call, forced->code, "forced");
  }
  CarryOut(kProcessWide, after);
  qvsim::StateLock lock;
  if (!lock.Held()) return qvsim::kErrInvalidArgument;
  EntryStore global(kProcessWide);
  return Done(global, call, 0);
}

std::string NameCall(const char* function, int32_t kind, const char* name) {
  return std::string(function) + "(kind=" + std::to_string(kind) + ", name=" + qvsim::LogText(name);
}

std::string HandleCall(const char* function, int32_t handle) {
  return std::string(function) + "(handle=" + std::to_string(handle);
}

}  // namespace

extern "C" {

int32_t __cdecl QVInitialize(void) {
  return Guarded("QVInitialize", [] { return ProcessWide(Function::kInitialize); });
}

int32_t __cdecl QVRelease(void) {
  return Guarded("QVRelease", [] { return ProcessWide(Function::kRelease); });
}

int32_t __cdecl QVGetDeviceID(int32_t kind, const char* name, char* buffer, int32_t* size) {
  return Guarded("QVGetDeviceID", [&] {
    const std::string call = NameCall("QVGetDeviceID", kind, name) +
                             ", buffer=" + PointerText(buffer) + ", size=" + SizeText(size) + ")";
    return ByName(Function::kGetDeviceID, kind, name, call, [&](EntryStore& entry) {
      if (size == nullptr) return Done(entry, call, qvsim::kErrInvalidArgument, "no size");
      const std::optional<std::string> deviceId = entry.ReadBytes(qvsim::kDeviceIdValue);
      if (!deviceId) return Done(entry, call, qvsim::kErrUnknownPrinter, "no device ID set");
      const bool bareSize = entry.ReadBytes(qvsim::kDeviceIdBareSizeValue).has_value();
      const qvsim::SizedAnswer answer =
          qvsim::AnswerDeviceId(*deviceId, buffer != nullptr, *size, bareSize);
      if (answer.copy) std::memcpy(buffer, deviceId->data(), deviceId->size());
      if (answer.terminate) buffer[deviceId->size()] = '\0';
      if (answer.size) *size = *answer.size;
      return Done(entry, call, answer.result,
                  "size=" + SizeText(size) +
                      (answer.copy ? " id \"" + qvsim::EncodeEscapes(*deviceId, 120) + "\""
                                   : std::string()));
    });
  });
}

int32_t __cdecl QVGetAvailableChannel(int32_t kind, const char* name, void* buffer, int32_t* size) {
  return Guarded("QVGetAvailableChannel", [&] {
    const std::string call = NameCall("QVGetAvailableChannel", kind, name) +
                             ", buffer=" + PointerText(buffer) + ", size=" + SizeText(size) + ")";
    return ByName(Function::kGetAvailableChannel, kind, name, call, [&](EntryStore& entry) {
      if (size == nullptr) return Done(entry, call, qvsim::kErrInvalidArgument, "no size");
      const auto channels = entry.ReadChannels();
      if (!channels) return Done(entry, call, qvsim::kErrUnknownPrinter, "no channel list set");
      const qvsim::SizedAnswer answer =
          qvsim::AnswerChannels(channels->size(), buffer != nullptr, *size);
      if (answer.copy) {
        std::memcpy(buffer, channels->data(), channels->size() * sizeof(qvapi::ChannelRecord));
      }
      if (answer.size) *size = *answer.size;
      return Done(entry, call, answer.result,
                  "size=" + SizeText(size) +
                      (answer.copy ? " " + qvsim::FormatChannelList(*channels) : std::string()));
    });
  });
}

int32_t __cdecl QVOpenChannel(int32_t kind, const char* name, uint32_t channel) {
  return Guarded("QVOpenChannel", [&] {
    const std::string call =
        NameCall("QVOpenChannel", kind, name) + ", channel=" + HexText(channel) + ")";
    return ByName(Function::kOpenChannel, kind, name, call, [&](EntryStore& entry) {
      const auto channels = entry.ReadChannels();
      if (!channels) return Done(entry, call, qvsim::kErrUnknownPrinter, "no channel list set");
      bool offered = false;
      for (const auto& record : *channels) offered = offered || record.channel == channel;
      if (!offered) return Done(entry, call, qvsim::kErrNoSuchChannel, "channel not offered");
      const int32_t handle = qvsim::OpenHandle(entry.GetAddress(), channel);
      if (handle <= 0) {
        return Done(entry, call, qvsim::kErrInvalidArgument, "handle table not writable");
      }
      return Done(entry, call, handle);
    });
  });
}

int32_t __cdecl QVCloseChannel(int32_t handle) {
  return Guarded("QVCloseChannel", [&] {
    const std::string call = HandleCall("QVCloseChannel", handle) + ")";
    return ByHandle(Function::kCloseChannel, handle, call,
                    [&](EntryStore& entry, const qvsim::HandleRecord&) {
                      qvsim::ForgetHandle(handle);
                      return Done(entry, call, 0);
                    });
  });
}

int32_t __cdecl QVSetOption(int32_t handle, int32_t option, void* data, int32_t* size) {
  return Guarded("QVSetOption", [&] {
    const std::string call = HandleCall("QVSetOption", handle) +
                             ", option=" + std::to_string(option) + ", data=" + PointerText(data) +
                             ", size=" + SizeText(size) + ")";
    return ByHandle(Function::kSetOption, handle, call,
                    [&](EntryStore& entry, const qvsim::HandleRecord&) {
                      return Done(entry, call, 0, "accepted and ignored");
                    });
  });
}

int32_t __cdecl QVGetOption(int32_t handle, int32_t option, void* data, int32_t* size) {
  return Guarded("QVGetOption", [&] {
    const std::string call = HandleCall("QVGetOption", handle) +
                             ", option=" + std::to_string(option) + ", data=" + PointerText(data) +
                             ", size=" + SizeText(size) + ")";
    return ByHandle(Function::kGetOption, handle, call,
                    [&](EntryStore& entry, const qvsim::HandleRecord&) {
                      if (size == nullptr) {
                        return Done(entry, call, qvsim::kErrInvalidArgument, "no size");
                      }
                      *size = 0;
                      return Done(entry, call, 0, "no option data");
                    });
  });
}

int32_t __cdecl QVReceiveCancel(int32_t handle) {
  return Guarded("QVReceiveCancel", [&] {
    const std::string call = HandleCall("QVReceiveCancel", handle) + ")";
    return ByHandle(
        Function::kReceiveCancel, handle, call,
        [&](EntryStore& entry, const qvsim::HandleRecord&) { return Done(entry, call, 0); });
  });
}

int32_t __cdecl QVGetStatus(int32_t handle, void* buffer, int32_t* size) {
  return Guarded("QVGetStatus", [&] {
    const std::string call = HandleCall("QVGetStatus", handle) + ", buffer=" + PointerText(buffer) +
                             ", size=" + SizeText(size) + ")";
    return ByHandle(Function::kGetStatus, handle, call,
                    [&](EntryStore& entry, const qvsim::HandleRecord&) {
                      if (size == nullptr)
                        return Done(entry, call, qvsim::kErrInvalidArgument, "no size");
                      // A printer whose set-up was reset since the open is gone, as a switched-off
                      // one.
                      if (!entry.ReadChannels()) {
                        return Done(entry, call, qvsim::kErrUnknownPrinter, "no channel list set");
                      }
                      std::vector<qvsim::QueueItem> queue = entry.ReadQueue();
                      const qvsim::StatusAnswer answer = qvsim::AnswerStatus(
                          &queue, entry.ReadBytes(qvsim::kReplyValue), buffer != nullptr, *size);
                      if (answer.consumed) entry.WriteQueue(queue);
                      if (answer.result > 0)
                        std::memcpy(buffer, answer.reply.data(), answer.reply.size());
                      if (answer.size) *size = *answer.size;
                      return Done(entry, call, answer.result, answer.note);
                    });
  });
}

int32_t __cdecl QVReceive(int32_t handle, void* buffer, int32_t* size) {
  return Guarded("QVReceive", [&] {
    const std::string call = HandleCall("QVReceive", handle) + ", buffer=" + PointerText(buffer) +
                             ", size=" + SizeText(size) + ")";
    return ByHandle(Function::kReceive, handle, call,
                    [&](EntryStore& entry, const qvsim::HandleRecord&) {
                      if (size == nullptr) {
                        return Done(entry, call, qvsim::kErrInvalidArgument, "no size");
                      }
                      *size = 0;
                      return Done(entry, call, 0, "nothing to receive");
                    });
  });
}

int32_t __cdecl QVSend(int32_t handle, const void* data, int32_t* size) {
  return Guarded("QVSend", [&] {
    const std::string call = HandleCall("QVSend", handle) + ", data=" + PointerText(data) +
                             ", size=" + SizeText(size) + ")";
    return ByHandle(Function::kSend, handle, call,
                    [&](EntryStore& entry, const qvsim::HandleRecord&) {
                      if (size == nullptr || *size < 0 || (*size > 0 && data == nullptr)) {
                        return Done(entry, call, qvsim::kErrInvalidArgument, "bad data");
                      }
                      return Done(entry, call, *size, "taken and dropped");
                    });
  });
}

}  // extern "C"
