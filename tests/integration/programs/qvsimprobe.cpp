// qvsimprobe: makes qvsim.dll calls in a process of its own, for tests of state shared between
// processes.  qvsimprobe open KIND NAME CHANNEL | status HANDLE | close HANDLE
// Prints one line: the result(s) and, for status, the reply with \r \n \f escaped.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/qvapi.h"
#include "common/system_library_win.h"
#include "common/unique_handle.h"

namespace {

std::string ModuleFolder() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path);
  return full.substr(0, full.find_last_of('\\'));
}

long Number(const char* text) { return std::strtol(text, nullptr, 0); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  ScopedModule module(::LoadLibraryA((ModuleFolder() + "\\qvsim.dll").c_str()));
  auto open = GetProcAs<PFN_QVOpenChannel>(module.Get(), "QVOpenChannel");
  auto status = GetProcAs<PFN_QVGetStatus>(module.Get(), "QVGetStatus");
  auto close = GetProcAs<PFN_QVCloseChannel>(module.Get(), "QVCloseChannel");
  if (!open || !status || !close) return 3;

  const std::string verb = argv[1];
  if (verb == "open" && argc == 5) {
    std::printf("%ld\n",
                static_cast<long>(open(static_cast<int32_t>(Number(argv[2])), argv[3],
                                       static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 0)))));
    return 0;
  }
  if (verb == "close" && argc == 3) {
    std::printf("%ld\n", static_cast<long>(close(static_cast<int32_t>(Number(argv[2])))));
    return 0;
  }
  if (verb == "status" && argc == 3) {
    const int32_t handle = static_cast<int32_t>(Number(argv[2]));
    int32_t size = 0;
    const int32_t first = status(handle, nullptr, &size);
    std::string reply;
    int32_t second = 0;
    if (first == qvapi::kBufferTooSmall && size > 0) {
      std::string buffer(static_cast<size_t>(size), '\0');
      second = status(handle, &buffer[0], &size);
      if (second > 0) buffer.resize(static_cast<size_t>(size));
      for (char c : buffer) {
        if (second <= 0) break;
        reply += c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\f' ? "\\f" : std::string(1, c);
      }
    }
    std::printf("%ld %ld %s\n", static_cast<long>(first), static_cast<long>(second), reply.c_str());
    return 0;
  }
  return 2;
}
