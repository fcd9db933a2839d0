#pragma once
// The printer's "@BDC ST" status reply: a short tagged text, not terminated, whose length is
// given separately. ParseStatusReply turns it into a StatusReply without allocating and
// without reading past the given size.
#include <cstddef>
#include <cstdint>

// One parsed reply. Field order and widths are part of the decoded status that callers
// receive; the initial values mark a field that the reply did not carry.
struct StatusReply {
  uint8_t state = 0xFF;       // ST
  uint8_t error = 0xFF;       // ER
  uint8_t inkCount = 0;       // number of IQ items
  uint8_t ink[4] = {};        // 0 to 100, or kInkNotAvailable
  uint8_t warningCount = 0;   // number of WR codes
  uint8_t warnings[11] = {};  // 10 codes and a last byte that always stays 0
  uint16_t counter = 0xFFFF;  // TC
};

// Every field 0: what a decoded status holds when no reply was parsed.
inline StatusReply ZeroedStatusReply() {
  StatusReply reply;
  reply.state = 0;
  reply.error = 0;
  reply.counter = 0;
  return reply;
}

constexpr uint8_t kInkNotAvailable = 255;
constexpr size_t kMaxInkItems = 4;
constexpr size_t kMaxWarningCodes = 10;

// Ink-class flags of a code row; a row with any of them set matches only replies of that
// ink class.
constexpr uint32_t kInkFirstLowest = 0x0010;
constexpr uint32_t kInkOtherLowest = 0x1000;
constexpr uint32_t kInkClassMask = kInkFirstLowest | kInkOtherLowest;

// Parses data[0, size). Returns false for an invalid reply (wrong start, a malformed or cut
// field, too many IQ items or WR codes, no end byte 0x0C or 0xFF, or no ST field); out is
// then unspecified. On success out holds the fields, later ST/ER/IQ/WR/TC fields replacing
// earlier ones.
bool ParseStatusReply(const void* data, size_t size, StatusReply* out);

// The ink class of a reply: 0x0010 when the first level is the lowest, 0x1000 when another
// one is lower, 0x1010 when they tie; levels of 0 or "not available" count as empty.
uint32_t InkClass(const StatusReply& reply);
