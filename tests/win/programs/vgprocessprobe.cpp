// Test helper: a child for the tests of the process starter. It carries out its arguments
// in order and ends with the code of "exit" (0 without one).
//   pid             writes its process id in decimal to standard output
//   out TEXT        writes TEXT to standard output
//   err TEXT        writes TEXT to standard error
//   cwd             writes its current folder to standard output
//   show            writes "show N" (the show state its start-up record asks for) or
//                   "show none" to standard output
//   mark HANDLE     writes "mark" to the handle with that decimal value, if it has one
//   waitfor PATH    waits until the file exists (at most 60 s; exit code 4 when it never does)
//   touch PATH      creates the file
//   sleep MS        sleeps
//   exit CODE       ends with the code
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/win.h"

namespace {

void Write(DWORD which, const std::string& text) {
  HANDLE stream = ::GetStdHandle(which);
  DWORD written = 0;
  if (stream != nullptr && stream != INVALID_HANDLE_VALUE) {
    ::WriteFile(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

bool Exists(const char* path) { return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main(int argc, char** argv) {
  int code = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : "";
    if (word == "pid") {
      Write(STD_OUTPUT_HANDLE, std::to_string(::GetCurrentProcessId()));
    } else if (word == "out") {
      Write(STD_OUTPUT_HANDLE, next);
      ++i;
    } else if (word == "err") {
      Write(STD_ERROR_HANDLE, next);
      ++i;
    } else if (word == "cwd") {
      char folder[MAX_PATH] = {};
      ::GetCurrentDirectoryA(MAX_PATH, folder);
      Write(STD_OUTPUT_HANDLE, folder);
    } else if (word == "show") {
      STARTUPINFOA startup = {};
      startup.cb = sizeof startup;
      ::GetStartupInfoA(&startup);
      Write(STD_OUTPUT_HANDLE, (startup.dwFlags & STARTF_USESHOWWINDOW)
                                   ? "show " + std::to_string(startup.wShowWindow)
                                   : std::string("show none"));
    } else if (word == "mark") {
      HANDLE handle =
          reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(std::strtoul(next, nullptr, 10)));
      DWORD written = 0;
      ::WriteFile(handle, "mark", 4, &written, nullptr);
      ++i;
    } else if (word == "waitfor") {
      int waited = 0;
      while (!Exists(next)) {
        if (waited >= 60000) return 4;
        ::Sleep(20);
        waited += 20;
      }
      ++i;
    } else if (word == "touch") {
      if (FILE* file = std::fopen(next, "w")) std::fclose(file);
      ++i;
    } else if (word == "sleep") {
      ::Sleep(static_cast<DWORD>(std::strtoul(next, nullptr, 10)));
      ++i;
    } else if (word == "exit") {
      code = std::atoi(next);
      ++i;
    }
  }
  return code;
}
