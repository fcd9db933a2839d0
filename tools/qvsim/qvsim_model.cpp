#include "tools/qvsim/qvsim_model.h"

#include <cstdio>

#include "common/text_util.h"

namespace qvsim {

namespace {

constexpr size_t kMaxKeyName = 200;  // the registry allows 255; room for the hash form
constexpr size_t kHashedPrefix = 180;

void PutWord(std::string* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t GetWord(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  }
  return value;
}

uint64_t Fnv1a(std::string_view text) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

std::string_view NextWord(std::string_view* text) {
  const size_t end = text->find(' ');
  std::string_view word = text->substr(0, end);
  text->remove_prefix(end == std::string_view::npos ? text->size() : end + 1);
  return word;
}

}  // namespace

std::string KeyNameFor(std::string_view name) {
  std::string lower;
  for (char c : name) lower.push_back(vgtext::ToLower(c));
  std::string key;
  for (char c : lower) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '%' || c == '\\' || byte < 0x20 || byte == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%%%02X", byte);
      key += hex;
    } else {
      key.push_back(c);
    }
  }
  if (key.size() <= kMaxKeyName) return key;
  char hash[24];
  std::snprintf(hash, sizeof hash, "~%016llX", static_cast<unsigned long long>(Fnv1a(lower)));
  return key.substr(0, kHashedPrefix) + hash;
}

std::string EntryKeyPath(const Address& address) {
  const std::string root(kRootKey);
  switch (address.kind) {
    case EntryKind::kGlobal:
      return root + "\\Global";
    case EntryKind::kPort:
      return root + "\\Ports\\" + KeyNameFor(address.name);
    case EntryKind::kPrinter:
      break;
  }
  return root + "\\Printers\\" + KeyNameFor(address.name);
}

std::string EncodeQueue(const std::vector<QueueItem>& items) {
  std::string out;
  for (const auto& item : items) {
    out.push_back(static_cast<char>(item.kind));
    switch (item.kind) {
      case QueueItem::Kind::kReply:
        PutWord(&out, static_cast<uint32_t>(item.reply.size()));
        out += item.reply;
        break;
      case QueueItem::Kind::kError:
        PutWord(&out, static_cast<uint32_t>(item.code));
        break;
      case QueueItem::Kind::kNone:
        PutWord(&out, 0);
        break;
    }
  }
  return out;
}

bool DecodeQueue(std::string_view bytes, std::vector<QueueItem>* items) {
  std::vector<QueueItem> result;
  size_t at = 0;
  while (at < bytes.size()) {
    if (bytes.size() - at < 5) return false;
    QueueItem item;
    const char kind = bytes[at];
    const uint32_t word = GetWord(bytes, at + 1);
    at += 5;
    if (kind == static_cast<char>(QueueItem::Kind::kReply)) {
      if (word == 0 || word > kMaxText || word > bytes.size() - at) return false;
      item.kind = QueueItem::Kind::kReply;
      item.reply = std::string(bytes.substr(at, word));
      at += word;
    } else if (kind == static_cast<char>(QueueItem::Kind::kError)) {
      item.kind = QueueItem::Kind::kError;
      item.code = static_cast<int32_t>(word);
      if (item.code >= 0 || item.code == qvapi::kBufferTooSmall) return false;
    } else if (kind == static_cast<char>(QueueItem::Kind::kNone)) {
      item.kind = QueueItem::Kind::kNone;
    } else {
      return false;
    }
    result.push_back(std::move(item));
  }
  *items = std::move(result);
  return true;
}

std::string EncodeChannels(const std::vector<qvapi::ChannelRecord>& channels) {
  std::string out;
  for (const auto& record : channels) {
    PutWord(&out, record.channel);
    PutWord(&out, record.info);
  }
  return out;
}

bool DecodeChannels(std::string_view bytes, std::vector<qvapi::ChannelRecord>* channels) {
  if (bytes.size() % sizeof(qvapi::ChannelRecord) != 0 ||
      bytes.size() / sizeof(qvapi::ChannelRecord) > kMaxChannels) {
    return false;
  }
  std::vector<qvapi::ChannelRecord> result;
  for (size_t at = 0; at < bytes.size(); at += sizeof(qvapi::ChannelRecord)) {
    result.push_back({GetWord(bytes, at), GetWord(bytes, at + 4)});
  }
  *channels = std::move(result);
  return true;
}

std::string EncodeForced(const Forced& forced) {
  const std::string count =
      forced.remaining < 0 ? std::string("always") : std::to_string(forced.remaining);
  switch (forced.action) {
    case Forced::Action::kCrash:
      return "crash " + count;
    case Forced::Action::kHang:
      return "hang " +
             (forced.hangMs == kHangUntilReleased ? std::string("forever")
                                                  : std::to_string(forced.hangMs)) +
             " " + count;
    case Forced::Action::kReturn:
      break;
  }
  return std::to_string(forced.code) + " " + count;
}

bool DecodeForced(std::string_view text, Forced* forced) {
  Forced result;
  const std::string_view first = NextWord(&text);
  if (first == "crash") {
    result.action = Forced::Action::kCrash;
  } else if (first == "hang") {
    result.action = Forced::Action::kHang;
    const std::string_view time = NextWord(&text);
    if (time == "forever") {
      result.hangMs = kHangUntilReleased;
    } else if (!ParseUInt32(time, &result.hangMs) || result.hangMs == 0 ||
               result.hangMs == kHangUntilReleased) {
      return false;
    }
  } else if (!ParseInt32(first, &result.code)) {
    return false;
  }
  if (text == "always") {
    result.remaining = -1;
  } else {
    uint32_t remaining = 0;
    if (!ParseUInt32(text, &remaining) || remaining > 0x7FFFFFFF) return false;
    result.remaining = static_cast<int32_t>(remaining);
  }
  *forced = result;
  return true;
}

bool UseForced(Forced* forced, bool* exhausted) {
  *exhausted = false;
  if (forced->remaining == 0) {
    *exhausted = true;
    return false;
  }
  if (forced->remaining > 0) {
    --forced->remaining;
    *exhausted = forced->remaining == 0;
  }
  return true;
}

std::string ReleaseValueName(const Address& address) {
  const std::string path = EntryKeyPath(address);
  const size_t root = std::string(kRootKey).size() + 1;
  return path.size() > root ? path.substr(root) : path;
}

bool HangIsOver(uint32_t hangMs, uint32_t elapsedMs, uint32_t releasesAtStart,
                uint32_t releasesNow) {
  if (releasesNow != releasesAtStart) return true;
  return hangMs != kHangUntilReleased && elapsedMs >= hangMs;
}

std::string EncodeHandle(const HandleRecord& record) {
  char head[64];
  std::snprintf(head, sizeof head, "%ld %s 0x%08lX ", static_cast<long>(record.handle),
                record.address.kind == EntryKind::kPort ? "port" : "printer",
                static_cast<unsigned long>(record.channel));
  return head + record.address.name;
}

bool DecodeHandle(std::string_view text, HandleRecord* record) {
  HandleRecord result;
  if (!ParseInt32(NextWord(&text), &result.handle) || result.handle <= 0) return false;
  const std::string_view kind = NextWord(&text);
  if (kind == "port") {
    result.address.kind = EntryKind::kPort;
  } else if (kind == "printer") {
    result.address.kind = EntryKind::kPrinter;
  } else {
    return false;
  }
  if (!ParseUInt32(NextWord(&text), &result.channel)) return false;
  if (text.empty() || text.size() > kMaxName) return false;
  result.address.name = std::string(text);
  *record = std::move(result);
  return true;
}

std::string HandleSlotName(int32_t handle) {
  char name[16];
  std::snprintf(name, sizeof name, "%04lu",
                static_cast<unsigned long>(static_cast<uint32_t>(handle) % kHandleSlots));
  return name;
}

int32_t NextHandle(int32_t last) {
  if (last <= 0 || last == 0x7FFFFFFF) return 1;
  return last + 1;
}

SizedAnswer AnswerDeviceId(std::string_view deviceId, bool hasBuffer, int32_t capacity,
                           bool bareSize) {
  SizedAnswer answer;
  const int32_t length = static_cast<int32_t>(deviceId.size());
  const int32_t needed = bareSize ? length : length + 1;
  answer.size = needed;
  if (!hasBuffer || capacity < needed) {
    answer.result = qvapi::kBufferTooSmall;
    return answer;
  }
  answer.copy = true;
  answer.terminate = capacity > length;
  answer.result = length;
  return answer;
}

SizedAnswer AnswerChannels(size_t count, bool hasBuffer, int32_t capacity) {
  SizedAnswer answer;
  const int32_t needed = static_cast<int32_t>(count * sizeof(qvapi::ChannelRecord));
  answer.size = needed;
  if (count == 0) return answer;
  if (!hasBuffer || capacity < needed) {
    answer.result = qvapi::kBufferTooSmall;
    return answer;
  }
  answer.copy = true;
  answer.result = static_cast<int32_t>(count);
  return answer;
}

StatusAnswer AnswerStatus(std::vector<QueueItem>* queue, const std::optional<std::string>& reply,
                          bool hasBuffer, int32_t capacity) {
  StatusAnswer answer;
  const std::string* text = nullptr;
  const bool fromQueue = !queue->empty();
  if (fromQueue) {
    QueueItem& head = queue->front();
    if (head.kind != QueueItem::Kind::kReply) {
      answer.result = head.kind == QueueItem::Kind::kError ? head.code : 0;
      answer.note = "queued " + FormatQueueItem(head);
      answer.consumed = true;
      queue->erase(queue->begin());
      return answer;
    }
    text = &head.reply;
    answer.note = "queued";
  } else if (reply && !reply->empty()) {
    text = &*reply;
    answer.note = "standing";
  } else {
    answer.note = "nothing pending";
    return answer;
  }

  const int32_t length = static_cast<int32_t>(text->size());
  answer.size = length;
  if (!hasBuffer || capacity < length) {
    answer.result = qvapi::kBufferTooSmall;
    answer.note += " reply of " + std::to_string(length) + " bytes";
    return answer;
  }
  answer.result = length;
  answer.reply = *text;
  answer.note += " reply \"" + EncodeEscapes(*text, 120) + "\"";
  if (fromQueue) {
    answer.consumed = true;
    queue->erase(queue->begin());
  }
  return answer;
}

std::string CallSlotName(uint32_t sequence) {
  char name[16];
  std::snprintf(name, sizeof name, "%03lu",
                static_cast<unsigned long>((sequence - 1) % kCallSlots));
  return name;
}

uint32_t FirstKeptCall(uint32_t total) { return total > kCallSlots ? total - kCallSlots + 1 : 1; }

std::string FormatCallLine(uint32_t sequence, uint32_t processId, std::string_view call,
                           int32_t result, std::string_view note) {
  return FormatCallLine(sequence, processId, call, std::to_string(result), note);
}

std::string FormatCallLine(uint32_t sequence, uint32_t processId, std::string_view call,
                           std::string_view outcome, std::string_view note) {
  std::string line = std::to_string(sequence) + " pid=" + std::to_string(processId) + " ";
  line.append(call);
  line += " = ";
  line.append(outcome);
  if (!note.empty()) {
    line += "; ";
    line.append(note);
  }
  return line;
}

std::string LogText(const char* text, size_t limit) {
  if (text == nullptr) return "null";
  // One byte past the limit tells whether the text was cut.
  const std::string_view view = vgtext::BoundedView(text, limit + 1);
  return "\"" + EncodeEscapes(view, limit) + "\"";
}

std::vector<std::string> DescribeEntry(const EntrySnapshot& entry) {
  std::vector<std::string> lines;
  lines.push_back(FormatAddress(entry.address) + " (HKEY_CURRENT_USER\\" + entry.keyPath + ")");
  if (entry.address.kind != EntryKind::kGlobal) {
    lines.push_back("  deviceid: " + (entry.deviceId ? "\"" + EncodeEscapes(*entry.deviceId) + "\""
                                                     : std::string("not set")));
    if (entry.bareDeviceIdSize) lines.push_back("  deviceid size: bare (no terminator counted)");
    lines.push_back("  channels: " +
                    (entry.channels ? FormatChannelList(*entry.channels) : std::string("not set")));
    lines.push_back("  reply: " + (entry.reply ? "\"" + EncodeEscapes(*entry.reply) + "\""
                                               : std::string("none")));
    lines.push_back("  queue: " + std::to_string(entry.queue.size()) + " item(s)");
    for (const auto& item : entry.queue) lines.push_back("    " + FormatQueueItem(item));
  }
  for (const auto& [function, forced] : entry.forced) {
    const std::string calls = forced.remaining < 0
                                  ? std::string("every call")
                                  : std::to_string(forced.remaining) + " more call(s)";
    switch (forced.action) {
      case Forced::Action::kReturn:
        lines.push_back(std::string("  fail ") + FunctionName(function) + ": " +
                        std::to_string(forced.code) + ", " + calls);
        break;
      case Forced::Action::kCrash:
        lines.push_back(std::string("  crash ") + FunctionName(function) +
                        ": access violation, " + calls);
        break;
      case Forced::Action::kHang:
        lines.push_back(std::string("  hang ") + FunctionName(function) + ": blocks " +
                        (forced.hangMs == kHangUntilReleased
                             ? std::string("until released")
                             : std::to_string(forced.hangMs) + " ms") +
                        ", " + calls);
        break;
    }
  }
  lines.push_back("  calls logged: " + std::to_string(entry.calls) + " (the last " +
                  std::to_string(kCallSlots) + " are kept)");
  return lines;
}

}  // namespace qvsim
