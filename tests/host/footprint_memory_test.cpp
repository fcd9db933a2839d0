// The footprint tool's reading of a Linux process under Wine: smaps, schedstat, pagemap
// flags and command lines, and how private pages are given to the Windows areas.
#include <gtest/gtest.h>

#include <string>

#include "tools/footprint/memory_breakdown.h"
#include "tools/footprint/proc_text.h"

namespace {

using vgfoot::Area;
using vgfoot::AreaKind;

const char kSmaps[] =
    "00400000-00401000 r--p 00000000 fe:00 5350631                    /opt/bin/vgmon.exe\n"
    "Size:                  4 kB\n"
    "Rss:                   4 kB\n"
    "Anonymous:             0 kB\n"
    "Swap:                  0 kB\n"
    "00422000-00740000 rw-p 00000000 00:00 0 \n"
    "Size:               3192 kB\n"
    "Anonymous:          1152 kB\n"
    "AnonHugePages:         0 kB\n"
    "Swap:                 12 kB\n"
    "7ea5a000-7eadf000 rw-p 00000000 00:00 0                          [heap]\n"
    "Anonymous:           408 kB\n"
    "ffcf0000-ffff0000 rw-p 00000000 00:00 0                          /a dir/with blanks.dll\n"
    "Anonymous:            72 kB\n"
    "VmFlags: rd wr mr mw me ac\n";

TEST(ProcText, SmapsMappingsWithTheirAnonymousAndSwappedMemory) {
  const auto mappings = vgfoot::ParseSmaps(kSmaps);
  ASSERT_EQ(mappings.size(), 4u);
  EXPECT_EQ(mappings[0].begin, 0x400000u);
  EXPECT_EQ(mappings[0].end, 0x401000u);
  EXPECT_EQ(mappings[0].name, "/opt/bin/vgmon.exe");
  EXPECT_EQ(mappings[0].anonymousKb, 0u);
  EXPECT_EQ(mappings[1].name, "");
  EXPECT_EQ(mappings[1].anonymousKb, 1152u);
  EXPECT_EQ(mappings[1].swapKb, 12u) << "AnonHugePages is not Anonymous";
  EXPECT_EQ(mappings[2].name, "[heap]");
  EXPECT_EQ(mappings[2].anonymousKb, 408u);
  EXPECT_EQ(mappings[3].begin, 0xffcf0000u);
  EXPECT_EQ(mappings[3].name, "/a dir/with blanks.dll") << "names keep their blanks";
}

TEST(ProcText, SmapsSkipsWhatIsNotAMapping) {
  // Values before any header, a reversed range, a header cut short.
  const auto mappings = vgfoot::ParseSmaps(
      "Anonymous: 5 kB\n"
      "00500000-00400000 rw-p 0 00:00 0\nAnonymous: 7 kB\n"
      "00600000\n"
      "00700000-00701000 rw-p 00000000 00:00 0\nAnonymous: 4 kB");
  ASSERT_EQ(mappings.size(), 1u);
  EXPECT_EQ(mappings[0].begin, 0x700000u);
  EXPECT_EQ(mappings[0].anonymousKb, 4u) << "a last line without its line end counts";
  EXPECT_TRUE(vgfoot::ParseSmaps("").empty());
}

TEST(ProcText, SchedstatGivesTheFirstNumber) {
  uint64_t ns = 7;
  EXPECT_TRUE(vgfoot::ParseSchedstat("132178 83093 2\n", &ns));
  EXPECT_EQ(ns, 132178u);
  EXPECT_TRUE(vgfoot::ParseSchedstat("  981234567890 1 1", &ns));
  EXPECT_EQ(ns, 981234567890u);
  ns = 7;
  EXPECT_FALSE(vgfoot::ParseSchedstat("", &ns));
  EXPECT_FALSE(vgfoot::ParseSchedstat("x 1 2", &ns));
  EXPECT_EQ(ns, 7u) << "a failed read leaves the output alone";
  EXPECT_FALSE(vgfoot::ParseSchedstat("1 2 3", nullptr));
}

TEST(ProcText, StatusKilobyteFieldsByTheirWholeName) {
  const char status[] =
      "Name:\tvgmon.exe\n"
      "VmRSS:\t   20964 kB\n"
      "RssAnon:\t    2304 kB\n"
      "RssFile:\t   18660 kB\n"
      "VmSwap:\t       8 kB\n";
  uint64_t kb = 99;
  EXPECT_TRUE(vgfoot::ParseStatusKb(status, "RssAnon", &kb));
  EXPECT_EQ(kb, 2304u);
  EXPECT_TRUE(vgfoot::ParseStatusKb(status, "VmSwap", &kb));
  EXPECT_EQ(kb, 8u) << "the last line";
  kb = 99;
  EXPECT_FALSE(vgfoot::ParseStatusKb(status, "Rss", &kb)) << "a field's name is whole";
  EXPECT_FALSE(vgfoot::ParseStatusKb(status, "VmHWM", &kb));
  EXPECT_FALSE(vgfoot::ParseStatusKb("RssAnon:\t kB\n", "RssAnon", &kb)) << "no number";
  EXPECT_EQ(kb, 99u) << "a failed read leaves the output alone";
  EXPECT_FALSE(vgfoot::ParseStatusKb(status, "", &kb));
  EXPECT_FALSE(vgfoot::ParseStatusKb(status, "RssAnon", nullptr));
}

TEST(ProcText, StatGivesUserAndSystemTicksWhateverTheProgramIsCalled) {
  // Fields 14 and 15 (utime, stime) after a name with blanks and parentheses.
  const char stat[] =
      "4242 (vgmon (1).exe) S 1 4242 4242 0 -1 4194560 1234 0 0 0 150 37 0 0 20 0 3 0 99 0 0";
  uint64_t ticks = 0;
  ASSERT_TRUE(vgfoot::ParseStatCpuTicks(stat, &ticks));
  EXPECT_EQ(ticks, 187u);
  EXPECT_TRUE(vgfoot::ParseStatCpuTicks("1 (a) R 0 0 0 0 0 0 0 0 0 0 5 6\n", &ticks));
  EXPECT_EQ(ticks, 11u);
  ticks = 7;
  EXPECT_FALSE(vgfoot::ParseStatCpuTicks("1 (a) R 0 0 0 0 0 0 0 0 0 0 5", &ticks)) << "cut short";
  EXPECT_FALSE(vgfoot::ParseStatCpuTicks("1 a R 0 0 0 0 0 0 0 0 0 0 5 6", &ticks)) << "no name";
  EXPECT_FALSE(vgfoot::ParseStatCpuTicks("", &ticks));
  EXPECT_EQ(ticks, 7u);
  EXPECT_FALSE(vgfoot::ParseStatCpuTicks(stat, nullptr));
}

TEST(ProcText, PagemapFlagsOfPrivatePages) {
  constexpr uint64_t kPresent = uint64_t{1} << 63;
  constexpr uint64_t kSwapped = uint64_t{1} << 62;
  constexpr uint64_t kFileOrShared = uint64_t{1} << 61;
  EXPECT_TRUE(vgfoot::IsPrivateAnonymousPage(kPresent | 0x1234));
  EXPECT_TRUE(vgfoot::IsPrivateAnonymousPage(kSwapped));
  EXPECT_FALSE(vgfoot::IsPrivateAnonymousPage(kPresent | kFileOrShared)) << "a file page";
  EXPECT_FALSE(vgfoot::IsPrivateAnonymousPage(0x1234)) << "not in memory";
  EXPECT_FALSE(vgfoot::IsPrivateAnonymousPage(0));
}

TEST(ProcText, CommandLineOfTheProgramWithTheTag) {
  const char raw[] = "Z:\\bin\\VGMON.exe\0/P\0Footprint 42\0/O\0LPT1:";
  const std::string line(raw, sizeof raw);
  EXPECT_TRUE(vgfoot::CommandLineHas(line, "vgmon.exe", "Footprint 42"));
  EXPECT_FALSE(vgfoot::CommandLineHas(line, "vgmon.exe", "Footprint 43"));
  EXPECT_FALSE(vgfoot::CommandLineHas(line, "vgidle.exe", "Footprint 42"));
  EXPECT_FALSE(vgfoot::CommandLineHas(line, "mon.exe", "Footprint 42")) << "whole file names";
  const char idle[] = "/usr/bin/vgidle.exe\0footprint-7";
  EXPECT_TRUE(vgfoot::CommandLineHas(std::string(idle, sizeof idle), "vgidle.exe", "footprint-7"));
  EXPECT_FALSE(vgfoot::CommandLineHas(line, "vgmon.exe", ""));
  EXPECT_FALSE(vgfoot::CommandLineHas("", "vgmon.exe", "x"));
}

TEST(MemoryBreakdown, APageCountsInTheInnermostKindOfArea) {
  vgfoot::AreaMap areas;
  areas.Add({0x1000, 0x9000, AreaKind::kOther, ""});
  areas.Add({0x2000, 0x4000, AreaKind::kHeap, ""});
  areas.Add({0x3000, 0x4000, AreaKind::kStack, ""});
  areas.Add({0x6000, 0x8000, AreaKind::kImage, "vgprn.dll"});
  areas.Add({0x9000, 0x9000, AreaKind::kImage, "empty.dll"});  // no bytes: ignored

  EXPECT_EQ(areas.RowOf(0x1000), vgfoot::kOtherRow);
  EXPECT_EQ(areas.RowOf(0x2000), vgfoot::kHeapsRow);
  EXPECT_EQ(areas.RowOf(0x3000), vgfoot::kStacksRow);
  EXPECT_EQ(areas.RowOf(0x6fff), "vgprn.dll");
  EXPECT_EQ(areas.RowOf(0x8000), vgfoot::kOtherRow) << "the end is outside the image";
  EXPECT_EQ(areas.RowOf(0x9000), vgfoot::kWineRow) << "outside every area";
  EXPECT_EQ(areas.RowOf(0), vgfoot::kWineRow);
}

TEST(MemoryBreakdown, SideBySideRowsInTheirOrder) {
  vgfoot::Breakdown monitor;
  monitor.AddBytes("vgmon.exe", 12288);
  monitor.AddBytes("vgprn.dll", 61440);
  monitor.AddBytes("kernel32.dll", 20480);
  monitor.AddBytes("ole32.dll", 819200);
  monitor.AddBytes(vgfoot::kStacksRow, 2 * 987136);
  monitor.AddBytes(vgfoot::kWineRow, 4096);
  vgfoot::Breakdown idle;
  idle.AddBytes("vgidle.exe", 8192);
  idle.AddBytes("kernel32.dll", 20480);
  idle.AddBytes("zlib1.dll", 4096);
  idle.AddBytes(vgfoot::kStacksRow, 987136);
  idle.AddBytes(vgfoot::kWineRow, 4096);

  EXPECT_EQ(monitor.Total(), 12288u + 61440 + 20480 + 819200 + 2 * 987136 + 4096);
  EXPECT_EQ(monitor.BytesOf("absent.dll"), 0u);

  const auto rows = vgfoot::SideBySide(monitor, "vgmon.exe", idle, "vgidle.exe");
  std::vector<std::string> names;
  for (const auto& row : rows) names.push_back(row.name);
  const std::vector<std::string> expected = {
      "own image", "ole32.dll", "vgprn.dll", "kernel32.dll", "zlib1.dll", vgfoot::kStacksRow,
      vgfoot::kWineRow};
  EXPECT_EQ(names, expected) << "libraries by their difference; empty rows left out";
  EXPECT_EQ(rows[0].first, 12288u);
  EXPECT_EQ(rows[0].second, 8192u);
  EXPECT_EQ(rows[4].first, 0u);
  EXPECT_EQ(rows[4].second, 4096u);
}

}  // namespace
