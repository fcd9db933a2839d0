#include "printer/status_reply.h"

#include <cstring>

namespace {

constexpr char kReplyStart[] = "@BDC ST\r\n";
constexpr size_t kReplyStartSize = sizeof(kReplyStart) - 1;
constexpr uint8_t kEndFormFeed = 0x0C;
constexpr uint8_t kEndFill = 0xFF;

int HexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A cursor over the reply that refuses every read past its end.
class Cursor {
 public:
  Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool AtEnd() const { return pos_ >= size_; }
  uint8_t Peek() const { return data_[pos_]; }
  void Skip() { ++pos_; }

  bool TakeTag(const char (&tag)[4]) {
    if (size_ - pos_ < 3 || std::memcmp(data_ + pos_, tag, 3) != 0) return false;
    pos_ += 3;
    return true;
  }

  bool TakeChar(char c) {
    if (AtEnd() || data_[pos_] != static_cast<uint8_t>(c)) return false;
    ++pos_;
    return true;
  }

  // Two hex digits as one byte.
  bool TakeHexByte(uint8_t* value) {
    if (size_ - pos_ < 2) return false;
    int high = HexValue(data_[pos_]);
    int low = HexValue(data_[pos_ + 1]);
    if (high < 0 || low < 0) return false;
    *value = static_cast<uint8_t>(high * 16 + low);
    pos_ += 2;
    return true;
  }

  // An IQ item: two hex digits (clamped to 100) or "NA".
  bool TakeInkItem(uint8_t* value) {
    if (size_ - pos_ >= 2 && data_[pos_] == 'N' && data_[pos_ + 1] == 'A') {
      *value = kInkNotAvailable;
      pos_ += 2;
      return true;
    }
    if (!TakeHexByte(value)) return false;
    if (*value > 100) *value = 100;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = kReplyStartSize;
};

bool ParseByteField(Cursor& in, uint8_t* value) {
  return in.TakeHexByte(value) && in.TakeChar(';');
}

bool ParseInkField(Cursor& in, StatusReply* out) {
  uint8_t levels[kMaxInkItems] = {};
  size_t count = 0;
  do {
    if (count == kMaxInkItems) return false;
    if (!in.TakeInkItem(&levels[count])) return false;
    ++count;
  } while (!in.TakeChar(';'));
  out->inkCount = static_cast<uint8_t>(count);
  std::memcpy(out->ink, levels, sizeof(levels));
  return true;
}

bool ParseWarningField(Cursor& in, StatusReply* out) {
  uint8_t codes[sizeof(out->warnings)] = {};
  size_t count = 0;
  do {
    if (count == kMaxWarningCodes) return false;
    if (!in.TakeHexByte(&codes[count])) return false;
    ++count;
    in.TakeChar(',');
  } while (!in.TakeChar(';'));
  out->warningCount = static_cast<uint8_t>(count);
  std::memcpy(out->warnings, codes, sizeof(codes));
  return true;
}

bool ParseCounterField(Cursor& in, StatusReply* out) {
  uint8_t high = 0;
  uint8_t low = 0;
  if (!in.TakeHexByte(&high) || !in.TakeHexByte(&low) || !in.TakeChar(';')) return false;
  out->counter = static_cast<uint16_t>(high << 8 | low);
  return true;
}

}  // namespace

bool ParseStatusReply(const void* data, size_t size, StatusReply* out) {
  if (data == nullptr || out == nullptr || size < kReplyStartSize) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (std::memcmp(bytes, kReplyStart, kReplyStartSize) != 0) return false;

  *out = StatusReply();
  bool haveState = false;
  Cursor in(bytes, size);
  while (!in.AtEnd()) {
    uint8_t c = in.Peek();
    if (c == kEndFormFeed || c == kEndFill) return haveState;
    bool ok = true;
    if (in.TakeTag("ST:")) {
      ok = ParseByteField(in, &out->state);
      haveState = true;
    } else if (in.TakeTag("ER:")) {
      ok = ParseByteField(in, &out->error);
    } else if (in.TakeTag("IQ:")) {
      ok = ParseInkField(in, out);
    } else if (in.TakeTag("WR:")) {
      ok = ParseWarningField(in, out);
    } else if (in.TakeTag("TC:")) {
      ok = ParseCounterField(in, out);
    } else {
      in.Skip();
    }
    if (!ok) return false;
  }
  return false;  // ran out before an end byte
}

uint32_t InkClass(const StatusReply& reply) {
  auto empty = [](uint8_t level) { return level == 0 || level == kInkNotAvailable; };
  const uint8_t first = reply.ink[0];
  bool otherEmpty = false;
  uint8_t lowestOther = 0xFF;
  for (size_t i = 1; i < kMaxInkItems; ++i) {
    otherEmpty = otherEmpty || empty(reply.ink[i]);
    if (reply.ink[i] < lowestOther) lowestOther = reply.ink[i];
  }
  if (empty(first)) return otherEmpty ? kInkClassMask : kInkFirstLowest;
  if (otherEmpty || lowestOther < first) return kInkOtherLowest;
  return lowestOther == first ? kInkClassMask : kInkFirstLowest;
}
