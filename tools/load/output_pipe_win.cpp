#include "tools/load/output_pipe_win.h"

#include <algorithm>

bool OutputPipe::Open() {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  if (!::CreatePipe(read_.Receive(), write_.Receive(), &inherit, 0)) return false;
  // Only the write end goes to the program.
  ::SetHandleInformation(read_.Get(), HANDLE_FLAG_INHERIT, 0);
  return true;
}

std::string OutputPipe::Drain() {
  std::string text;
  DWORD available = 0;
  while (read_.IsValid() &&
         ::PeekNamedPipe(read_.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    char buffer[4096];
    DWORD done = 0;
    if (!::ReadFile(read_.Get(), buffer, std::min<DWORD>(available, sizeof buffer), &done,
                    nullptr) ||
        done == 0) {
      break;
    }
    text.append(buffer, done);
  }
  return text;
}
