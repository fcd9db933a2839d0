// A stand-in for the terminal-services library that tests plant beside a program: it answers
// every session question with "PLANTED", so a test sees at once whether it was loaded.
#include "common/win.h"

extern "C" {

__declspec(dllexport) BOOL WINAPI
    WTSQuerySessionInformationA(HANDLE, DWORD, int, LPSTR* buffer, DWORD* bytes) {
  static char answer[] = "PLANTED";
  if (buffer) *buffer = answer;
  if (bytes) *bytes = sizeof answer;
  return TRUE;
}

__declspec(dllexport) void WINAPI WTSFreeMemory(PVOID) {}

}  // extern "C"
