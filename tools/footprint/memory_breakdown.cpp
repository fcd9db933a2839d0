#include "tools/footprint/memory_breakdown.h"

#include <algorithm>

namespace vgfoot {

namespace {

const char* RowOfKind(AreaKind kind) {
  switch (kind) {
    case AreaKind::kStack:
      return kStacksRow;
    case AreaKind::kHeap:
      return kHeapsRow;
    default:
      return kOtherRow;
  }
}

bool IsFixedRow(const std::string& name) {
  return name == kHeapsRow || name == kStacksRow || name == kOtherRow || name == kWineRow;
}

int64_t Difference(const SideBySideRow& row) {
  return static_cast<int64_t>(row.first) - static_cast<int64_t>(row.second);
}

}  // namespace

void AreaMap::Add(const Area& area) {
  if (area.end > area.begin) areas_.push_back(area);
}

std::string AreaMap::RowOf(uint64_t address) const {
  const Area* best = nullptr;
  for (const Area& area : areas_) {
    if (address < area.begin || address >= area.end) continue;
    if (best == nullptr || static_cast<int>(area.kind) < static_cast<int>(best->kind)) best = &area;
  }
  if (best == nullptr) return kWineRow;
  if (best->kind == AreaKind::kImage) return best->name;
  return RowOfKind(best->kind);
}

uint64_t Breakdown::BytesOf(const std::string& row) const {
  const auto found = bytes_.find(row);
  return found == bytes_.end() ? 0 : found->second;
}

uint64_t Breakdown::Total() const {
  uint64_t total = 0;
  for (const auto& row : bytes_) total += row.second;
  return total;
}

std::vector<SideBySideRow> SideBySide(const Breakdown& first, const std::string& firstImage,
                                      const Breakdown& second, const std::string& secondImage) {
  std::vector<SideBySideRow> rows;
  rows.push_back({"own image", first.BytesOf(firstImage), second.BytesOf(secondImage)});

  std::map<std::string, SideBySideRow> libraries;
  for (const auto& entry : first.Rows()) {
    if (entry.first == firstImage || IsFixedRow(entry.first)) continue;
    libraries[entry.first].name = entry.first;
    libraries[entry.first].first = entry.second;
  }
  for (const auto& entry : second.Rows()) {
    if (entry.first == secondImage || IsFixedRow(entry.first)) continue;
    libraries[entry.first].name = entry.first;
    libraries[entry.first].second = entry.second;
  }
  std::vector<SideBySideRow> sorted;
  for (auto& entry : libraries) sorted.push_back(entry.second);
  std::stable_sort(sorted.begin(), sorted.end(), [](const SideBySideRow& a, const SideBySideRow& b) {
    return Difference(a) > Difference(b);
  });
  rows.insert(rows.end(), sorted.begin(), sorted.end());

  for (const char* fixed : {kHeapsRow, kStacksRow, kOtherRow, kWineRow}) {
    rows.push_back({fixed, first.BytesOf(fixed), second.BytesOf(fixed)});
  }
  rows.erase(std::remove_if(rows.begin(), rows.end(),
                            [](const SideBySideRow& row) { return row.first == 0 && row.second == 0; }),
             rows.end());
  return rows;
}

}  // namespace vgfoot
