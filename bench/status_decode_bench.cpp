// Cost of decoding one status reply (parse, code-row match, record search) and of building
// the tables from a profile. A poll decodes one reply; the whole decode should stay well
// under a microsecond.
#include <benchmark/benchmark.h>

#include <string>

#include "printer/status_decode.h"

namespace {

const std::string kTypicalReply = "@BDC ST\r\nST:04;ER:00;IQ:3C5046NA;WR:10;TC:0012;\f";
// Every field at its longest: four ink items, ten warning codes with separators.
const std::string kLargestReply =
    "@BDC ST\r\nST:00;ER:0E;IQ:3C5046NA;WR:10,11,12,13,14,15,16,17,18,19,;TC:FFFE;\f";

// A language section with count STATUS lines (count - 1 rows), none equal to a built-in row.
std::string ProfileText(int count) {
  std::string text = "[Install]\nDRVNAME=Bench\n[English]\nResDll=vgres.dll\n";
  for (int i = 0; i < count; ++i) {
    text += "STATUS" + std::to_string(10 + i % 90) + "=" + std::to_string(20 + i) +
            ",-2,-2,\"Status text " + std::to_string(i) + ", first\",\"Second text\",1,1\n";
  }
  return text + "[German]\nResDll=vgresde.dll\n";
}

const CStatusCtrl& TableWith50Rows() {
  static CStatusCtrl table;
  static const bool loaded = (table.LoadProfile(ProfileText(51), "English"), true);
  (void)loaded;
  return table;
}

void BM_ParseTypicalReply(benchmark::State& state) {
  StatusReply reply;
  for (auto _ : state) {
    bool ok = ParseStatusReply(kTypicalReply.data(), kTypicalReply.size(), &reply);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(reply);
  }
}
BENCHMARK(BM_ParseTypicalReply);

void BM_ParseLargestReply(benchmark::State& state) {
  StatusReply reply;
  for (auto _ : state) {
    bool ok = ParseStatusReply(kLargestReply.data(), kLargestReply.size(), &reply);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(reply);
  }
}
BENCHMARK(BM_ParseLargestReply);

// The reply matches only the last built-in row, after all 50 profile rows.
void BM_GetStatusNoBuiltInPlus50(benchmark::State& state) {
  const CStatusCtrl& table = TableWith50Rows();
  StatusReply reply;
  const std::string text = "@BDC ST\r\nST:FE;ER:00;IQ:3C5046NA;\f";
  ParseStatusReply(text.data(), text.size(), &reply);
  for (auto _ : state) {
    int32_t statusNo = MatchStatusNo(table, reply);
    benchmark::DoNotOptimize(statusNo);
  }
}
BENCHMARK(BM_GetStatusNoBuiltInPlus50);

// Parse, match and record search of the largest reply over the built-in rows plus 50.
void BM_DecodeReplyBuiltInPlus50(benchmark::State& state) {
  const CStatusCtrl& table = TableWith50Rows();
  DecodedStatus decoded;
  for (auto _ : state) {
    bool ok = DecodeStatus(table, 0x10000005, kLargestReply.data(), kLargestReply.size(), 0,
                           nullptr, &decoded);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(decoded);
  }
}
BENCHMARK(BM_DecodeReplyBuiltInPlus50);

void BM_BuildTablesFrom50Lines(benchmark::State& state) {
  const std::string text = ProfileText(50);
  for (auto _ : state) {
    CStatusCtrl table;
    int result = table.LoadProfile(text, "English");
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_BuildTablesFrom50Lines);

}  // namespace
