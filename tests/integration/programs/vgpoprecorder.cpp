// Test stand-in for the pop-up program: records the command line and the parameter file it
// was handed into popup.log in the folder named by the environment variable
// VG_POPUP_RECORD, then consumes the /F file as the real pop-up does and ends. Each start's
// record is appended in one write, so that a test that sees its command line sees its file too.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/vgl_param.h"
#include "common/win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const char* folder = std::getenv("VG_POPUP_RECORD");
  if (folder == nullptr) return 1;
  std::string record = std::string("cmdline: ") + commandLine + "\n";

  CCmdLine line;
  line.SetText(commandLine);
  char name[kParamTextSize];
  char value[kParamTextSize];
  for (int i = 0; line.GetArg(i, name, value) != -1; ++i) {
    if (std::strcmp(name, "F") != 0) continue;
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    FILE* file = std::fopen((std::string(temp) + value).c_str(), "rb");
    if (file == nullptr) file = std::fopen(value, "rb");
    std::string text;
    if (file) {
      char buffer[512];
      size_t got;
      while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
      std::fclose(file);
    }
    for (char& c : text) {
      if (c == '\r') c = '|';
      if (c == '\n') c = '|';
    }
    record += "file: " + text + "\n";
  }
  const std::string log = std::string(folder) + "\\popup.log";
  // Opened for appending only: the one write lands at the end, whoever else appends.
  HANDLE out = ::CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(out, record.data(), static_cast<DWORD>(record.size()), &written,
                              nullptr);
  ::CloseHandle(out);
  if (!ok || written != record.size()) return 1;
  CVglParam consumed(commandLine);  // reads and deletes a /F file
  return 0;
}
