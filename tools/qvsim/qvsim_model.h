#pragma once
// The simulated printer's state and the answers of its library, as plain values: where each
// entry lives, how its values are stored, the two-call answers, the status queue, forced
// results, channel handles and the bounded call log. The Windows side only loads and stores.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/qvsim/qvsim_text.h"

namespace qvsim {

// Results of the simulator's own failures (the library's callers only see "negative").
constexpr int32_t kErrInvalidArgument = -1;  // null or bad argument, or the state is locked
constexpr int32_t kErrUnknownPrinter = -2;   // nothing set for this address
constexpr int32_t kErrBadHandle = -3;        // not an open channel handle
constexpr int32_t kErrNoSuchChannel = -6;    // the printer offers no such channel

// Registry layout under HKEY_CURRENT_USER.
constexpr const char* kRootKey = "Software\\QvSim";
constexpr const char* kHandlesKey = "Software\\QvSim\\Handles";
constexpr const char* kNextHandleValue = "NextHandle";  // REG_DWORD under kRootKey
constexpr const char* kNameValue = "Name";
constexpr const char* kDeviceIdValue = "DeviceID";
// Present (any bytes): the device ID's size leaves the terminator out, as some libraries do.
constexpr const char* kDeviceIdBareSizeValue = "DeviceIDBareSize";
constexpr const char* kChannelsValue = "Channels";
constexpr const char* kReplyValue = "Reply";
constexpr const char* kQueueValue = "Queue";
constexpr const char* kFailSubkey = "Fail";
constexpr const char* kCallsSubkey = "Calls";
constexpr const char* kCallCountValue = "Count";
constexpr uint32_t kCallSlots = 1000;    // the log keeps the last this many calls
constexpr uint32_t kHandleSlots = 4096;  // a handle stays valid for this many later opens
constexpr const char* kLockName = "QvSimStateLock";

// The key of one entry: kRootKey\Printers\<key name>, ...\Ports\<key name> or ...\Global.
std::string EntryKeyPath(const Address& address);
// A registry key name for a printer or port name: lower case (names are compared without
// regard to case), '%', '\' and control bytes as %HH; a name whose form would exceed the
// registry's limit keeps its first part and a hash of the whole.
std::string KeyNameFor(std::string_view name);

// Queue value: per item a kind byte ('R', 'E', 'N'), a 32-bit little-endian word (the reply
// length or the error code) and, for a reply, its bytes.
std::string EncodeQueue(const std::vector<QueueItem>& items);
// False on a malformed value (a reply running past the end, an unknown kind).
bool DecodeQueue(std::string_view bytes, std::vector<QueueItem>* items);

// Channels value: the 8-byte records exactly as QVGetAvailableChannel hands them out.
std::string EncodeChannels(const std::vector<qvapi::ChannelRecord>& channels);
bool DecodeChannels(std::string_view bytes, std::vector<qvapi::ChannelRecord>* channels);

// A forced behaviour of one function, for the calls left (-1 = every call): it returns a code
// instead of working, it crashes (an access violation inside the library), or it blocks for a
// time or until released and then works as usual. Stored as text: "CODE COUNT",
// "crash COUNT" or "hang MS COUNT" ("hang forever COUNT"), COUNT being "always" for every call.
struct Forced {
  enum class Action { kReturn, kCrash, kHang };
  int32_t code = 0;
  int32_t remaining = -1;
  Action action = Action::kReturn;
  uint32_t hangMs = 0;  // kHang: the time a call blocks, or kHangUntilReleased
};
constexpr uint32_t kHangUntilReleased = 0xFFFFFFFF;
std::string EncodeForced(const Forced& forced);
bool DecodeForced(std::string_view text, Forced* forced);
// Uses one call of a forced result: false when it has no calls left. *exhausted tells the
// caller to remove it.
bool UseForced(Forced* forced, bool* exhausted);

// Releases of blocked calls: a counter per entry under kReleasesKey, raised by "release" and
// "reset", which the entry's removal leaves alone. A blocked call ends when its time is over
// or the counter moved since it began (a missing counter reads 0).
constexpr const char* kReleasesKey = "Software\\QvSim\\Releases";
// The counter's value name: the entry's key path below kRootKey ("Printers\printer x").
std::string ReleaseValueName(const Address& address);
bool HangIsOver(uint32_t hangMs, uint32_t elapsedMs, uint32_t releasesAtStart,
                uint32_t releasesNow);

// An open channel handle: which entry it belongs to and which channel it opened.
// Stored as text "HANDLE printer|port CHANNEL NAME" in slot HANDLE % kHandleSlots.
struct HandleRecord {
  int32_t handle = 0;
  Address address;
  uint32_t channel = 0;
};
std::string EncodeHandle(const HandleRecord& record);
bool DecodeHandle(std::string_view text, HandleRecord* record);
std::string HandleSlotName(int32_t handle);
// The handle after last (1 after 0x7FFFFFFF and after anything not positive).
int32_t NextHandle(int32_t last);

// The answer of a two-call function: the result, the size to store through the size pointer
// (none: leave it), and whether the data goes into the buffer.
struct SizedAnswer {
  int32_t result = 0;
  std::optional<int32_t> size;
  bool copy = false;
  bool terminate = false;  // a zero goes after the copied data
};
// QVGetDeviceID: the needed size counts a terminating zero, which is written after the text;
// success returns the text's length. With bareSize the needed size is the text's length
// alone, and the zero follows only when the buffer has room for it.
SizedAnswer AnswerDeviceId(std::string_view deviceId, bool hasBuffer, int32_t capacity,
                           bool bareSize = false);
// QVGetAvailableChannel: success returns the record count; no records answer 0 at once.
SizedAnswer AnswerChannels(size_t count, bool hasBuffer, int32_t capacity);

// QVGetStatus. The queue goes first, then the standing reply. A size query (no buffer)
// peeks at a reply and answers -4 with its length; the call with a buffer consumes it. An
// error or "none" item is consumed by whichever call meets it. With neither, the answer is 0.
struct StatusAnswer {
  int32_t result = 0;
  std::optional<int32_t> size;
  std::string reply;      // the bytes to copy when result > 0
  bool consumed = false;  // the queue's first item was taken
  std::string note;       // for the call log
};
StatusAnswer AnswerStatus(std::vector<QueueItem>* queue, const std::optional<std::string>& reply,
                          bool hasBuffer, int32_t capacity);

// Call log: sequence numbers start at 1; sequence s lives in slot (s - 1) % kCallSlots.
std::string CallSlotName(uint32_t sequence);
// The first sequence still kept when total calls have been logged (1 when none dropped).
uint32_t FirstKeptCall(uint32_t total);
// "SEQ pid=PID CALL = RESULT[; NOTE]"
std::string FormatCallLine(uint32_t sequence, uint32_t processId, std::string_view call,
                           int32_t result, std::string_view note);
// The same with a word for a call that gives no result ("crash", "blocked").
std::string FormatCallLine(uint32_t sequence, uint32_t processId, std::string_view call,
                           std::string_view outcome, std::string_view note);
// A name argument for the log: "null" or the name quoted with escapes, cut at 80 bytes.
std::string LogText(const char* text, size_t limit = 80);

// What "qvsimctl show" reports about one entry.
struct EntrySnapshot {
  Address address;
  std::string keyPath;
  std::optional<std::string> deviceId;
  bool bareDeviceIdSize = false;
  std::optional<std::vector<qvapi::ChannelRecord>> channels;
  std::optional<std::string> reply;
  std::vector<QueueItem> queue;
  std::vector<std::pair<Function, Forced>> forced;
  uint32_t calls = 0;
};
std::vector<std::string> DescribeEntry(const EntrySnapshot& entry);

}  // namespace qvsim
