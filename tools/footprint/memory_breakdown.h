#pragma once
// Where a process's private memory lies: every private page is given to the Windows area
// that holds its address (an image, a thread's stack, a heap, another allocation), and pages
// outside every area that Windows code can see belong to Wine itself.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vgfoot {

// The kinds of area, in the order a page is looked up when areas overlap (an image before a
// stack before a heap before any other allocation).
enum class AreaKind { kImage = 0, kStack = 1, kHeap = 2, kOther = 3 };

struct Area {
  uint64_t begin = 0;
  uint64_t end = 0;  // one past the last byte
  AreaKind kind = AreaKind::kOther;
  std::string name;  // the image's file name; empty for the other kinds
};

// The rows of a breakdown, by name.
constexpr char kHeapsRow[] = "heaps";
constexpr char kStacksRow[] = "thread stacks";
constexpr char kOtherRow[] = "other Windows allocations";
constexpr char kWineRow[] = "Wine's own (outside every Windows area)";

class AreaMap {
 public:
  void Add(const Area& area);
  // The row that a private page at this address counts in: the image's name, or one of the
  // rows above.
  std::string RowOf(uint64_t address) const;

 private:
  std::vector<Area> areas_;
};

// Private bytes per row.
class Breakdown {
 public:
  void AddBytes(const std::string& row, uint64_t bytes) { bytes_[row] += bytes; }
  uint64_t BytesOf(const std::string& row) const;
  uint64_t Total() const;
  const std::map<std::string, uint64_t>& Rows() const { return bytes_; }

 private:
  std::map<std::string, uint64_t> bytes_;
};

// Two breakdowns side by side, as printed: the own image first (firstImage of the first process
// and secondImage of the second share the row "own image"), then the libraries from the
// largest difference down, then heaps, thread stacks, other allocations and Wine's own.
// Rows with nothing in either column are left out.
struct SideBySideRow {
  std::string name;
  uint64_t first = 0;
  uint64_t second = 0;
};
std::vector<SideBySideRow> SideBySide(const Breakdown& first, const std::string& firstImage,
                                      const Breakdown& second, const std::string& secondImage);

}  // namespace vgfoot
