// Test helper: starts one variant of the debug log the way a deliverable does, writes a few
// lines, and records the log path it chose and the file's size before its own lines into
// the file named by its second argument ("path\noffset").
//   vglogprobe mon|prn RESULTFILE
// With a count, the monitor's variant writes that many numbered lines, for tests of several
// processes writing at once:
//   vglogprobe mon RESULTFILE COUNT
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/debug_log_win.h"
#include "common/win.h"

namespace {
unsigned long SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return data.nFileSizeLow;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const bool monitor = std::strcmp(argv[1], "mon") == 0;
  std::string path;
  unsigned long offset = 0;
  if (monitor) {
    VgLogStart("C:\\VGMONX.LOG", "VG_MT");
    path = VgLogPath();
    offset = SizeOf(path);
    VgLogWrite("probe line");
    VgLogWrite("probe pair", "value");
    VgLogWrite("probe number", -42L);
    const long count = argc > 3 ? std::atol(argv[3]) : 0;
    for (long i = 0; i < count; ++i) VgLogWrite("probe burst", i);
    VgLogEnd();
  } else {
    VgTraceEnable(VgTraceReadSwitch());
    path = VgLogPath();
    offset = SizeOf(path);
    CTraceScope scope("Probe::Scope");
    scope.Write("probe %d\n", 7);
  }
  FILE* result = std::fopen(argv[2], "wb");
  if (result == nullptr) return 3;
  std::fprintf(result, "%s\n%lu", path.c_str(), offset);
  std::fclose(result);
  return 0;
}
