// vghhrecorder.dll: the recording stand-in of the HTML Help control (see help_recorder.h).
#include <cstring>
#include <mutex>
#include <vector>

#include "common/text_util.h"
#include "common/win.h"
#include "libraries/help_recorder.h"

// After the project's Windows header, which they need.
#include <commctrl.h>
#include <htmlhelp.h>

namespace {

std::mutex g_lock;
std::vector<vgtest::RecordedHelpCall> g_calls;

void Copy(char* out, size_t size, const char* text) {
  vgtext::CopyBounded(out, size, text != nullptr ? text : "");
}

void Record(HWND caller, const char* file, bool wide, UINT command, DWORD_PTR data) {
  vgtest::RecordedHelpCall call;
  call.command = command;
  call.caller = caller;
  call.wide = wide;
  Copy(call.file, sizeof call.file, file);
  if (command == HH_SET_WIN_TYPE && data != 0) {
    const auto* type = reinterpret_cast<const HH_WINTYPE*>(data);
    Copy(call.typeName, sizeof call.typeName, type->pszType);
    call.validMembers = type->fsValidMembers;
    call.exStyles = type->dwExStyles;
    call.showState = type->nShowState;
    call.typeCaller = type->hwndCaller;
    call.windowRect = type->rcWindowPos;
    call.toolBarFlags = type->fsToolBarFlags;
    call.tabPosition = type->tabpos;
    std::memcpy(call.tabOrder, type->tabOrder, sizeof call.tabOrder);
  }
  if ((command == HH_TP_HELP_WM_HELP || command == HH_TP_HELP_CONTEXTMENU) && data != 0) {
    const auto* words = reinterpret_cast<const DWORD*>(data);
    for (int i = 0; i + 1 < 64; i += 2) {
      call.table[i] = words[i];
      call.table[i + 1] = words[i + 1];
      call.tableWords = i + 2;
      if (words[i] == 0) break;
    }
  }
  if (command == HH_INITIALIZE && data != 0) *reinterpret_cast<DWORD_PTR*>(data) = 0x5EED;
  std::lock_guard<std::mutex> guard(g_lock);
  g_calls.push_back(call);
}

}  // namespace

extern "C" {

HWND WINAPI RecorderHtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
  Record(caller, file, false, command, data);
  return nullptr;
}

HWND WINAPI RecorderHtmlHelpW(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data) {
  char ansi[640] = {};
  if (file != nullptr) {
    ::WideCharToMultiByte(CP_ACP, 0, file, -1, ansi, sizeof ansi - 1, nullptr, nullptr);
  }
  Record(caller, file != nullptr ? ansi : nullptr, true, command, data);
  return nullptr;
}

int __cdecl VgRecordedHelpCallCount() {
  std::lock_guard<std::mutex> guard(g_lock);
  return static_cast<int>(g_calls.size());
}

int __cdecl VgRecordedHelpCall(int index, vgtest::RecordedHelpCall* out) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (out == nullptr || index < 0 || index >= static_cast<int>(g_calls.size())) return 0;
  *out = g_calls[static_cast<size_t>(index)];
  return 1;
}

void __cdecl VgForgetHelpCalls() {
  std::lock_guard<std::mutex> guard(g_lock);
  g_calls.clear();
}

}  // extern "C"
