#pragma once
// A stand-in for the HTML Help control that records every call instead of showing help: the
// tests register it as the control's in-process server, the library binds it by ordinal like
// the real one, and the tests read the calls back through its named exports.
#include <cstdint>

#include "common/win.h"

namespace vgtest {

struct RecordedHelpCall {
  UINT command = 0;
  HWND caller = nullptr;
  bool wide = false;       // made through the wide entry
  char file[640] = {};     // the file or topic address (ANSI; a wide one converted)
  // HH_SET_WIN_TYPE: the window type.
  char typeName[64] = {};
  DWORD validMembers = 0;
  DWORD exStyles = 0;
  int showState = 0;
  HWND typeCaller = nullptr;
  RECT windowRect = {};
  DWORD toolBarFlags = 0;
  int tabPosition = 0;
  BYTE tabOrder[20] = {};
  // HH_TP_HELP_WM_HELP and HH_TP_HELP_CONTEXTMENU: the id pairs, up to the 0 row.
  DWORD table[64] = {};
  int tableWords = 0;
};

}  // namespace vgtest

extern "C" {
typedef int(__cdecl* PFN_VgRecordedHelpCallCount)();
typedef int(__cdecl* PFN_VgRecordedHelpCall)(int index, vgtest::RecordedHelpCall* out);
typedef void(__cdecl* PFN_VgForgetHelpCalls)();
}
