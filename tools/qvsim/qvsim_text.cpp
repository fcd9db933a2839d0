#include "tools/qvsim/qvsim_text.h"

#include <cstdio>

#include "common/text_util.h"
#include "tools/qvsim/standin_rules.h"

namespace qvsim {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Digits of one base into *value, refusing anything above limit.
bool ParseDigits(std::string_view digits, unsigned base, uint64_t limit, uint64_t* value) {
  if (digits.empty()) return false;
  uint64_t result = 0;
  for (char c : digits) {
    int digit = HexDigit(c);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) return false;
    result = result * base + static_cast<unsigned>(digit);
    if (result > limit) return false;
  }
  *value = result;
  return true;
}

bool ParseMagnitude(std::string_view text, uint64_t limit, uint64_t* value) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return ParseDigits(text.substr(2), 16, limit, value);
  }
  return ParseDigits(text, 10, limit, value);
}

std::string Hex(uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(value));
  return buffer;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                           text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return text;
}

constexpr const char* kFunctionNames[] = {
    "QVInitialize",    "QVRelease",      "QVGetDeviceID", "QVGetAvailableChannel",
    "QVOpenChannel",   "QVCloseChannel", "QVSetOption",   "QVGetOption",
    "QVReceiveCancel", "QVGetStatus",    "QVReceive",     "QVSend"};
static_assert(sizeof kFunctionNames / sizeof kFunctionNames[0] ==
                  static_cast<size_t>(Function::kCount),
              "one name per function");

struct CommandInfo {
  const char* name;
  CommandType type;
  const char* usage;
};

constexpr CommandInfo kCommands[] = {
    {"reset", CommandType::kReset, "qvsimctl reset NAME"},
    {"deviceid", CommandType::kDeviceId, "qvsimctl deviceid NAME TEXT"},
    {"deviceidsize", CommandType::kDeviceIdSize, "qvsimctl deviceidsize NAME terminated|bare"},
    {"channels", CommandType::kChannels, "qvsimctl channels NAME CHAN:MODE[,CHAN:MODE...]|none"},
    {"reply", CommandType::kReply, "qvsimctl reply NAME TEXT"},
    {"queue", CommandType::kQueue, "qvsimctl queue NAME ITEM... (ITEM: TEXT, error:CODE or none)"},
    {"fail", CommandType::kFail, "qvsimctl fail NAME FUNCTION CODE [COUNT]"},
    {"crash", CommandType::kCrash, "qvsimctl crash NAME FUNCTION [COUNT]"},
    {"hang", CommandType::kHang, "qvsimctl hang NAME FUNCTION MS|forever [COUNT]"},
    {"release", CommandType::kRelease, "qvsimctl release NAME"},
    {"calls", CommandType::kCalls, "qvsimctl calls NAME"},
    {"show", CommandType::kShow, "qvsimctl show NAME"},
    {"run", CommandType::kRun, "qvsimctl run SCENARIO"},
    {"help", CommandType::kHelp, "qvsimctl help"},
    {"started", CommandType::kStarted, "qvsimctl started PROGRAM"},
    {"forget", CommandType::kForget, "qvsimctl forget PROGRAM"},
    {"answer", CommandType::kAnswer, "qvsimctl answer PROGRAM MS|never"},
};

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

}  // namespace

bool DecodeEscapes(std::string_view text, std::string* out, std::string* error) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\') {
      if (i + 1 >= text.size()) return Fail(error, "backslash at the end of a text");
      char kind = text[++i];
      switch (kind) {
        case 'r':
          c = '\r';
          break;
        case 'n':
          c = '\n';
          break;
        case 'f':
          c = '\f';
          break;
        case '\\':
          c = '\\';
          break;
        case 'x': {
          int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
          int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
          if (high < 0 || low < 0) return Fail(error, "\\x needs two hex digits");
          c = static_cast<char>(high * 16 + low);
          i += 2;
          break;
        }
        default:
          return Fail(error, std::string("unknown escape \\") + kind);
      }
    }
    if (result.size() >= kMaxText) {
      return Fail(error, "text longer than " + std::to_string(kMaxText) + " bytes");
    }
    result.push_back(c);
  }
  *out = std::move(result);
  return true;
}

std::string EncodeEscapes(std::string_view bytes, size_t limit) {
  std::string out;
  const size_t shown = bytes.size() < limit ? bytes.size() : limit;
  for (size_t i = 0; i < shown; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        if (c >= 0x20 && c < 0x7F) {
          out.push_back(static_cast<char>(c));
        } else {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        }
    }
  }
  if (shown < bytes.size()) out += "...";
  return out;
}

bool ParseInt32(std::string_view text, int32_t* value) {
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  uint64_t magnitude = 0;
  if (!ParseMagnitude(text, negative ? 0x80000000ull : 0x7FFFFFFFull, &magnitude)) return false;
  *value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                    : static_cast<int32_t>(magnitude);
  return true;
}

bool ParseUInt32(std::string_view text, uint32_t* value) {
  uint64_t magnitude = 0;
  if (!ParseMagnitude(text, 0xFFFFFFFFull, &magnitude)) return false;
  *value = static_cast<uint32_t>(magnitude);
  return true;
}

bool ParseChannelList(std::string_view text, std::vector<qvapi::ChannelRecord>* out,
                      std::string* error) {
  std::vector<qvapi::ChannelRecord> channels;
  if (vgtext::EqualsNoCase(text, "none")) {
    out->clear();
    return true;
  }
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::string_view item = text.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    const size_t colon = item.find(':');
    qvapi::ChannelRecord record{};
    if (colon == std::string_view::npos || !ParseUInt32(item.substr(0, colon), &record.channel) ||
        !ParseUInt32(item.substr(colon + 1), &record.info)) {
      return Fail(error, "channel \"" + std::string(item) + "\" is not CHAN:MODE");
    }
    if (channels.size() >= kMaxChannels) {
      return Fail(error, "more than " + std::to_string(kMaxChannels) + " channels");
    }
    channels.push_back(record);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  *out = std::move(channels);
  return true;
}

std::string FormatChannelList(const std::vector<qvapi::ChannelRecord>& channels) {
  if (channels.empty()) return "none";
  std::string out;
  for (const auto& record : channels) {
    if (!out.empty()) out += ',';
    out += Hex(record.channel) + ":" + Hex(record.info);
  }
  return out;
}

bool ParseQueueItem(std::string_view text, QueueItem* out, std::string* error) {
  QueueItem item;
  if (vgtext::EqualsNoCase(text, "none")) {
    item.kind = QueueItem::Kind::kNone;
  } else if (vgtext::StartsWithNoCase(text, "error:")) {
    item.kind = QueueItem::Kind::kError;
    if (!ParseInt32(text.substr(6), &item.code) || item.code >= 0 ||
        item.code == qvapi::kBufferTooSmall) {
      return Fail(error, "\"" + std::string(text) +
                             "\": the code of error:CODE is a negative number other than -4");
    }
  } else {
    item.kind = QueueItem::Kind::kReply;
    if (!DecodeEscapes(text, &item.reply, error)) return false;
    if (item.reply.empty()) return Fail(error, "a queued reply cannot be empty (use none)");
  }
  *out = std::move(item);
  return true;
}

std::string FormatQueueItem(const QueueItem& item, size_t limit) {
  switch (item.kind) {
    case QueueItem::Kind::kNone:
      return "none";
    case QueueItem::Kind::kError:
      return "error:" + std::to_string(item.code);
    case QueueItem::Kind::kReply:
      break;
  }
  std::string text = EncodeEscapes(item.reply, limit);
  // Keep the shown form readable back as a reply, not as the keyword it spells.
  if (vgtext::EqualsNoCase(text, "none") || vgtext::StartsWithNoCase(text, "error:")) {
    char first[8];
    std::snprintf(first, sizeof first, "\\x%02X", static_cast<unsigned char>(text[0]));
    text = first + text.substr(1);
  }
  return text;
}

const char* FunctionName(Function function) {
  const int index = static_cast<int>(function);
  if (index < 0 || index >= static_cast<int>(Function::kCount)) return "?";
  return kFunctionNames[index];
}

bool ParseFunction(std::string_view text, Function* out) {
  for (int i = 0; i < static_cast<int>(Function::kCount); ++i) {
    if (vgtext::EqualsNoCase(text, kFunctionNames[i])) {
      *out = static_cast<Function>(i);
      return true;
    }
  }
  return false;
}

bool IsProcessWide(Function function) {
  return function == Function::kInitialize || function == Function::kRelease;
}

bool ParseAddress(std::string_view text, Address* out, std::string* error) {
  Address address;
  if (text == "*") {
    address.kind = EntryKind::kGlobal;
    *out = std::move(address);
    return true;
  }
  if (vgtext::StartsWithNoCase(text, "port:")) {
    address.kind = EntryKind::kPort;
    text.remove_prefix(5);
  } else if (vgtext::StartsWithNoCase(text, "printer:")) {
    text.remove_prefix(8);
  }
  if (text.empty()) return Fail(error, "the name is empty");
  if (text.size() > kMaxName) {
    return Fail(error, "the name is longer than " + std::to_string(kMaxName) + " bytes");
  }
  if (text.find('\0') != std::string_view::npos) return Fail(error, "the name holds a zero byte");
  address.name = std::string(text);
  *out = std::move(address);
  return true;
}

std::string FormatAddress(const Address& address) {
  switch (address.kind) {
    case EntryKind::kGlobal:
      return "*";
    case EntryKind::kPort:
      return "port:" + address.name;
    case EntryKind::kPrinter:
      break;
  }
  // A printer whose name reads as another address keeps its explicit prefix.
  if (address.name == "*" || vgtext::StartsWithNoCase(address.name, "port:") ||
      vgtext::StartsWithNoCase(address.name, "printer:")) {
    return "printer:" + address.name;
  }
  return address.name;
}

bool ParseCommand(const std::vector<std::string>& args, Command* out, std::string* error,
                  std::string* usage) {
  *usage =
      "usage: qvsimctl "
      "reset|deviceid|deviceidsize|channels|reply|queue|fail|crash|hang|release|calls|show|run|"
      "started|forget|answer|help ...";
  if (args.empty()) return Fail(error, "no command");
  const CommandInfo* info = nullptr;
  for (const auto& candidate : kCommands) {
    if (vgtext::EqualsNoCase(args[0], candidate.name)) info = &candidate;
  }
  if (info == nullptr) return Fail(error, "unknown command \"" + args[0] + "\"");
  *usage = std::string("usage: ") + info->usage;

  Command command;
  command.type = info->type;
  const size_t count = args.size() - 1;
  auto needs = [&](size_t least, size_t most) {
    if (count < least || count > most) {
      return Fail(error, std::string(info->name) + ": wrong number of arguments");
    }
    return true;
  };
  auto address = [&](bool processWideAllowed) {
    if (!ParseAddress(args[1], &command.address, error)) return false;
    if (command.address.kind == EntryKind::kGlobal && !processWideAllowed) {
      return Fail(error, std::string(info->name) + ": \"*\" names no printer");
    }
    return true;
  };

  auto program = [&]() {
    command.program = ProgramKeyName(args[1]);
    if (command.program.empty() || command.program.size() > kMaxName) {
      return Fail(error, std::string(info->name) + ": \"" + args[1] + "\" is no program file name");
    }
    return true;
  };

  switch (command.type) {
    case CommandType::kHelp:
      if (!needs(0, 0)) return false;
      break;
    case CommandType::kStarted:
    case CommandType::kForget:
      if (!needs(1, 1) || !program()) return false;
      break;
    case CommandType::kAnswer:
      if (!needs(2, 2) || !program()) return false;
      if (!ParseAnswerDelay(args[2], &command.delayMs)) {
        return Fail(error, "answer: \"" + args[2] + "\" is neither milliseconds nor never");
      }
      break;
    case CommandType::kRun:
      if (!needs(1, 1)) return false;
      if (args[1].empty()) return Fail(error, "run: the scenario file name is empty");
      command.text = args[1];
      break;
    case CommandType::kReset:
    case CommandType::kCalls:
    case CommandType::kShow:
      if (!needs(1, 1) || !address(true)) return false;
      break;
    case CommandType::kDeviceId:
    case CommandType::kReply:
      if (!needs(2, 2) || !address(false)) return false;
      if (!DecodeEscapes(args[2], &command.text, error)) return false;
      break;
    case CommandType::kDeviceIdSize:
      if (!needs(2, 2) || !address(false)) return false;
      if (vgtext::EqualsNoCase(args[2], "bare")) {
        command.bareSize = true;
      } else if (!vgtext::EqualsNoCase(args[2], "terminated")) {
        return Fail(error, "deviceidsize: \"" + args[2] + "\" is neither terminated nor bare");
      }
      break;
    case CommandType::kChannels:
      if (!needs(2, 2) || !address(false)) return false;
      if (!ParseChannelList(args[2], &command.channels, error)) return false;
      break;
    case CommandType::kQueue:
      if (!needs(2, kMaxQueueItems + 1) || !address(false)) return false;
      for (size_t i = 2; i < args.size(); ++i) {
        QueueItem item;
        if (!ParseQueueItem(args[i], &item, error)) return false;
        command.items.push_back(std::move(item));
      }
      break;
    case CommandType::kFail:
    case CommandType::kCrash:
    case CommandType::kHang: {
      // The words after the function: fail CODE [COUNT], crash [COUNT], hang MS|forever [COUNT].
      const size_t before = command.type == CommandType::kCrash ? 0 : 1;
      if (!needs(2 + before, 3 + before) || !address(true)) return false;
      if (!ParseFunction(args[2], &command.function)) {
        return Fail(error, std::string(info->name) + ": unknown function \"" + args[2] + "\"");
      }
      const bool global = command.address.kind == EntryKind::kGlobal;
      if (IsProcessWide(command.function) != global) {
        return Fail(error, global ? std::string(info->name) +
                                        ": \"*\" takes only QVInitialize and QVRelease"
                                  : std::string(info->name) + ": " +
                                        FunctionName(command.function) +
                                        " addresses no printer; name it with \"*\"");
      }
      if (command.type == CommandType::kFail && !ParseInt32(args[3], &command.code)) {
        return Fail(error, "fail: \"" + args[3] + "\" is not a number");
      }
      if (command.type == CommandType::kHang) {
        if (vgtext::EqualsNoCase(args[3], "forever")) {
          command.hangMs = 0xFFFFFFFF;
        } else if (!ParseUInt32(args[3], &command.hangMs) || command.hangMs == 0 ||
                   command.hangMs == 0xFFFFFFFF) {
          return Fail(error, "hang: \"" + args[3] + "\" is neither milliseconds nor forever");
        }
      }
      if (count == 3 + before) {
        uint32_t times = 0;
        if (!ParseUInt32(args[3 + before], &times) || times > 0x7FFFFFFF) {
          return Fail(error, std::string(info->name) + ": \"" + args[3 + before] +
                                 "\" is not a count");
        }
        command.count = static_cast<int32_t>(times);
      }
      break;
    }
    case CommandType::kRelease:
      if (!needs(1, 1) || !address(true)) return false;
      break;
  }
  *out = std::move(command);
  return true;
}

std::string UsageText() {
  std::string text;
  for (const auto& command : kCommands) text += std::string("usage: ") + command.usage + "\n";
  return text;
}

bool SplitWords(std::string_view line, std::vector<std::string>* words, std::string* error) {
  std::vector<std::string> result;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string word;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
      if (line[i] == '"') {
        const size_t close = line.find('"', i + 1);
        if (close == std::string_view::npos) return Fail(error, "unterminated quote");
        word.append(line.substr(i + 1, close - i - 1));
        i = close + 1;
      } else {
        word.push_back(line[i++]);
      }
    }
    result.push_back(std::move(word));
  }
  *words = std::move(result);
  return true;
}

bool ParseSeconds(std::string_view text, uint32_t* ms) {
  const size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  std::string_view fraction =
      dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  if (dot != std::string_view::npos && fraction.empty()) return false;
  if (fraction.size() > 3) return false;
  uint64_t seconds = 0;
  if (!ParseDigits(whole, 10, 0xFFFFFFFFull / 1000, &seconds)) return false;
  uint64_t thousandths = 0;
  if (!fraction.empty()) {
    if (!ParseDigits(fraction, 10, 999, &thousandths)) return false;
    for (size_t i = fraction.size(); i < 3; ++i) thousandths *= 10;
  }
  const uint64_t total = seconds * 1000 + thousandths;
  if (total > 0xFFFFFFFFull) return false;
  *ms = static_cast<uint32_t>(total);
  return true;
}

bool ParseScenarioLine(std::string_view line, ScenarioStep* out, std::string* error) {
  ScenarioStep step;
  std::string_view rest = TrimBlanks(line);
  if (rest.empty() || rest[0] == '#') {
    *out = std::move(step);
    return true;
  }
  // The first word decides; "say" keeps the rest of the line untouched.
  auto firstWord = [](std::string_view text) {
    const size_t end = text.find_first_of(" \t");
    return text.substr(0, end);
  };
  auto afterWord = [](std::string_view text) {
    const size_t end = text.find_first_of(" \t");
    return end == std::string_view::npos ? std::string_view() : TrimBlanks(text.substr(end));
  };

  std::string_view word = firstWord(rest);
  if (vgtext::EqualsNoCase(word, "sleep")) {
    std::vector<std::string> words;
    if (!SplitWords(rest, &words, error)) return false;
    if (words.size() != 2 || !ParseUInt32(words[1], &step.sleepMs)) {
      return Fail(error, "sleep takes one number of milliseconds");
    }
    step.action = ScenarioStep::Action::kSleep;
    *out = std::move(step);
    return true;
  }
  if (vgtext::EqualsNoCase(word, "wait")) {
    std::vector<std::string> words;
    if (!SplitWords(rest, &words, error)) return false;
    step.waitLimitMs = kDefaultWaitLimitMs;
    if (words.size() < 2 || words.size() > 3 || words[1].empty() ||
        words[1].size() > kMaxEventNameBytes || words[1].find('\\') != std::string::npos ||
        (words.size() == 3 && !ParseSeconds(words[2], &step.waitLimitMs))) {
      return Fail(error, "wait takes an event name (no backslash) and then seconds at most");
    }
    step.action = ScenarioStep::Action::kWait;
    step.waitEvent = words[1];
    *out = std::move(step);
    return true;
  }
  if (vgtext::EqualsNoCase(word, "at")) {
    rest = afterWord(rest);
    if (!ParseSeconds(firstWord(rest), &step.atMs)) {
      return Fail(error, "at takes seconds (such as 2 or 1.25) and then a step");
    }
    step.hasAt = true;
    rest = afterWord(rest);
    if (rest.empty()) {
      *out = std::move(step);
      return true;
    }
    word = firstWord(rest);
  }
  if (vgtext::EqualsNoCase(word, "say")) {
    step.action = ScenarioStep::Action::kSay;
    step.say = std::string(afterWord(rest));
    *out = std::move(step);
    return true;
  }
  if (vgtext::EqualsNoCase(word, "sleep")) return Fail(error, "sleep cannot follow at");
  if (vgtext::EqualsNoCase(word, "wait")) return Fail(error, "wait cannot follow at");

  std::vector<std::string> words;
  if (!SplitWords(rest, &words, error)) return false;
  std::string usage;
  if (!ParseCommand(words, &step.command, error, &usage)) return false;
  if (step.command.type == CommandType::kRun || step.command.type == CommandType::kHelp) {
    return Fail(error, "a scenario cannot use " + words[0]);
  }
  step.action = ScenarioStep::Action::kCommand;
  *out = std::move(step);
  return true;
}

}  // namespace qvsim
