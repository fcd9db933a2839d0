#pragma once
// Naming rules of the per-printer target keys, on plain values: which base key a printer
// lives under, how the numbered keys are named, how paths are joined into the 260-byte
// buffers, and whether a stored SID is whole enough to be handed to the system.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/registry_keys.h"

namespace vgtarget {

constexpr size_t kKeyPathSize = 260;

// A printer is addressed by its printer name (kind 0) or, without one, by its port name.
constexpr int kKindPrinter = 0;
constexpr int kKindPort = 1;

constexpr std::string_view kPrinterBaseKey = vgreg::kPrinterTargetBaseKey;
constexpr std::string_view kPortBaseKey = vgreg::kPortTargetBaseKey;

// Numbered keys run from 0 up to, not including, this number.
constexpr long kTargetNumberLimit = 2147483647L;

// The base key of a kind; empty for any other kind.
std::string_view BaseKeyOf(int kind);

struct TargetName {
  std::string_view name;
  int kind = kKindPrinter;
};

// The printer name (kind 0), or the port name (kind 1) when the printer name is empty and
// the port name is not. With both empty: the empty printer name.
TargetName ChooseTargetName(std::string_view printerName, std::string_view portName);

// "<parent>\<child>" into out[size]. False, and out empty, when it does not fit: a cut key
// path names another key.
bool JoinKeyPath(char* out, size_t size, std::string_view parent, std::string_view child);

// "<base>\P" and the number as 16 zero-padded digits into out[size]; false as JoinKeyPath,
// and for a number outside 0 to kTargetNumberLimit - 1.
bool FormatTargetKeyPath(char* out, size_t size, std::string_view basePath, long number);

// The port-name base that belongs with a base path: a base path under a user's profile key
// keeps that profile key in front. A path that ends in neither base key gives the port-name
// base key itself.
std::string PortBaseBeside(std::string_view basePath);

// Whether the base path is a port-name base (ends with the port-name base key).
bool IsPortBase(std::string_view basePath);

// A SID read from the registry is used only when its header is sane and its bytes hold
// every sub-authority the header announces (revision 1, at most 15 sub-authorities).
bool IsWholeSid(const uint8_t* bytes, size_t size);

}  // namespace vgtarget
