#pragma once
// The Linux side of a process under Wine, read from its /proc files: the mappings with their
// anonymous (private) memory, the time its threads spent on a CPU, and the page flags that
// tell a private page from a shared one. Wine reports a process's private usage as its
// anonymous resident memory plus its swap, so these files explain that figure page by page.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vgfoot {

// One mapping of /proc/PID/smaps: [begin, end), its anonymous and swapped kilobytes, and the
// file it maps ("" for anonymous memory, "[heap]" and the like for the kernel's names).
struct Mapping {
  uint64_t begin = 0;
  uint64_t end = 0;
  uint64_t anonymousKb = 0;
  uint64_t swapKb = 0;
  std::string name;
};

// Every mapping of an smaps text, in its order; malformed lines are skipped.
std::vector<Mapping> ParseSmaps(std::string_view text);

// The first number of a /proc/.../schedstat line: nanoseconds on a CPU. False when none.
bool ParseSchedstat(std::string_view text, uint64_t* nanoseconds);

// A kilobyte field of /proc/PID/status ("RssAnon", "VmSwap", "VmRSS"): false when the text
// has no such line.
bool ParseStatusKb(std::string_view text, std::string_view field, uint64_t* kb);

// The user and system time of all a process's threads from its /proc/PID/stat line, in the
// kernel's clock ticks (kProcTicksPerSecond); false for a malformed line.
bool ParseStatCpuTicks(std::string_view text, uint64_t* ticks);
constexpr uint64_t kProcTicksPerSecond = 100;

// A /proc/PID/pagemap entry names a private anonymous page when the page is in memory or in
// swap and is neither a file page nor shared anonymous memory.
bool IsPrivateAnonymousPage(uint64_t entry);

// Whether a /proc/PID/cmdline (arguments separated by NUL bytes) belongs to the program,
// started with the tag as one of its arguments or inside one.
bool CommandLineHas(std::string_view commandLine, std::string_view program, std::string_view tag);

}  // namespace vgfoot
