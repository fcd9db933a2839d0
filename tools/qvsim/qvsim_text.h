#pragma once
// The simulated printer's control language: escaped texts, numbers, channel lists, queue
// items, the qvsimctl commands and the lines of a scenario file. Portable: the control
// program, the library and the host tests share it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/qvapi.h"

namespace qvsim {

constexpr size_t kMaxText = 8192;    // bytes of a device ID or a reply, after escapes
constexpr size_t kMaxName = 259;     // printer and port names, as the system bounds them
constexpr size_t kMaxChannels = 64;  // records of one channel list
constexpr size_t kMaxQueueItems = 256;

// Decodes the escapes \r \n \f \\ and \xHH (exactly two hex digits). Fails, with a reason in
// *error, on any other escape, on a backslash at the end, and on a result above kMaxText.
bool DecodeEscapes(std::string_view text, std::string* out, std::string* error);

// The reverse, for showing bytes on one line: printable ASCII as it is, a backslash doubled,
// CR, LF and FF as \r \n \f, every other byte as \xHH. Past limit input bytes it stops and
// appends "...". DecodeEscapes(EncodeEscapes(b)) == b when nothing was cut.
std::string EncodeEscapes(std::string_view bytes, size_t limit = SIZE_MAX);

// Numbers are decimal or 0x-hex (either case). ParseInt32 takes a leading '-' and the range of
// int32_t; ParseUInt32 takes no sign and the range of uint32_t. No spaces, no empty digits.
bool ParseInt32(std::string_view text, int32_t* value);
bool ParseUInt32(std::string_view text, uint32_t* value);

// "CHAN:INFO[,CHAN:INFO...]" or "none" (an empty list). INFO is the record's second word:
// its low 16 bits are the mode word. Order and duplicates are kept as given.
bool ParseChannelList(std::string_view text, std::vector<qvapi::ChannelRecord>* out,
                      std::string* error);
// The list as ParseChannelList reads it ("none" when empty).
std::string FormatChannelList(const std::vector<qvapi::ChannelRecord>& channels);

// One entry of a printer's status queue, consumed by one status read.
struct QueueItem {
  enum class Kind : uint8_t { kReply = 'R', kError = 'E', kNone = 'N' };
  Kind kind = Kind::kNone;
  int32_t code = 0;   // kError: the negative code the read returns
  std::string reply;  // kReply: the reply bytes, never empty
};

// "none", "error:CODE" (CODE negative and not -4, which stays the size answer), or a
// non-empty reply text with escapes. A reply that must begin with "error:" or be "none" is
// written with an escape, such as "\x65rror:".
bool ParseQueueItem(std::string_view text, QueueItem* out, std::string* error);
// The item as ParseQueueItem reads it, cut for display after limit reply bytes.
std::string FormatQueueItem(const QueueItem& item, size_t limit = SIZE_MAX);

// The twelve functions of the library, in the order the system binds them.
enum class Function : int {
  kInitialize,
  kRelease,
  kGetDeviceID,
  kGetAvailableChannel,
  kOpenChannel,
  kCloseChannel,
  kSetOption,
  kGetOption,
  kReceiveCancel,
  kGetStatus,
  kReceive,
  kSend,
  kCount
};
const char* FunctionName(Function function);
// The exact name, compared without regard to case.
bool ParseFunction(std::string_view text, Function* out);
// QVInitialize and QVRelease address no printer: their state is the process-wide entry's.
bool IsProcessWide(Function function);

// What a command or a library call addresses: a printer (address kind 1), a port (kind 0), or
// the process-wide entry "*".
enum class EntryKind { kPrinter, kPort, kGlobal };
struct Address {
  EntryKind kind = EntryKind::kPrinter;
  std::string name;  // empty for kGlobal
};
// "*" is the process-wide entry; "port:NAME" a port; "printer:NAME" or any other text a
// printer. Names are taken literally (no escapes), 1 to kMaxName bytes.
bool ParseAddress(std::string_view text, Address* out, std::string* error);
std::string FormatAddress(const Address& address);

enum class CommandType {
  kReset,
  kDeviceId,
  kDeviceIdSize,
  kChannels,
  kReply,
  kQueue,
  kFail,
  kCrash,
  kHang,
  kRelease,
  kCalls,
  kShow,
  kRun,
  kHelp,
  kStarted,  // the recorded starts of a stand-in program
  kForget,   // removes a stand-in program's record and setting
  kAnswer    // when the set-up stand-in answers
};

struct Command {
  CommandType type = CommandType::kHelp;
  Address address;
  std::string text;  // deviceid and reply: the decoded text (reply: empty clears); run: file
  std::vector<qvapi::ChannelRecord> channels;
  std::vector<QueueItem> items;
  Function function = Function::kInitialize;
  int32_t code = 0;
  int32_t count = -1;  // fail, crash, hang: calls it applies to; -1 every call; 0 removes it
  uint32_t hangMs = 0;    // hang: how long a call blocks (0xFFFFFFFF: until released)
  bool bareSize = false;  // deviceidsize: the size leaves the terminator out
  std::string program;    // started, forget, answer: the stand-in's key name (see standin_rules.h)
  uint32_t delayMs = 0;   // answer: milliseconds, or kNeverAnswer
};

// Parses the arguments after the program name. On failure *error says why and *usage is the
// usage line of the command concerned (the general one for an unknown command).
bool ParseCommand(const std::vector<std::string>& args, Command* out, std::string* error,
                  std::string* usage);
// One line per command.
std::string UsageText();

// Splits a scenario line into words at blanks and tabs. Double quotes group a word (they may
// sit inside one, as in a"b c"); they are removed, and a quoted word may be empty. A quote
// cannot be written inside quotes: use \x22. An unterminated quote fails.
bool SplitWords(std::string_view line, std::vector<std::string>* words, std::string* error);

// One line of a scenario file.
struct ScenarioStep {
  enum class Action { kNothing, kSleep, kSay, kCommand, kWait };
  Action action = Action::kNothing;
  bool hasAt = false;
  uint32_t atMs = 0;     // "at SECONDS": the step waits until this time since the start
  uint32_t sleepMs = 0;  // "sleep MS"
  std::string say;       // "say TEXT": the rest of the line, printed as it is
  Command command;
  std::string waitEvent;  // "wait EVENT [SECONDS]": the named event to wait for
  uint32_t waitLimitMs = 0;
};
// How long a "wait" step waits at most when it names no time.
constexpr uint32_t kDefaultWaitLimitMs = 600000;
// The longest event name "wait" takes (the system's limit for object names).
constexpr size_t kMaxEventNameBytes = 259;
// Blank lines and lines starting with '#' are nothing. "sleep MS" pauses. "[at SECONDS]
// say TEXT" and "[at SECONDS] COMMAND ARGS..." (any qvsimctl command but run and help) act,
// after waiting for SECONDS (decimal, up to three fraction digits) when "at" leads.
// "wait EVENT [SECONDS]" waits until the named event is set (at most SECONDS, ten minutes
// unless given); the "at" times after it count from there, so that scenarios of several
// players can start their clocks together.
bool ParseScenarioLine(std::string_view line, ScenarioStep* out, std::string* error);

// "SECONDS" with up to three fraction digits, into milliseconds.
bool ParseSeconds(std::string_view text, uint32_t* ms);

}  // namespace qvsim
