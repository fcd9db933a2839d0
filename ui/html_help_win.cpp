#include "ui/html_help_win.h"

#include <mutex>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/system_library_win.h"
#include "common/unique_handle.h"

namespace {

// The control's file as the system registers it, environment strings expanded; "" when the
// class is not registered.
std::string RegisteredServer() {
  ScopedRegKey key;
  if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, kHtmlHelpClsidKey, 0, KEY_READ, key.Receive()) !=
      ERROR_SUCCESS) {
    return std::string();
  }
  char value[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH;
  DWORD type = 0;
  const LONG read =
      ::RegQueryValueExA(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::string();
  std::string path(value, strnlen(value, MAX_PATH));
  if (type == REG_EXPAND_SZ) {
    const DWORD needed = ::ExpandEnvironmentStringsA(path.c_str(), nullptr, 0);
    if (needed == 0) return std::string();
    std::vector<char> expanded(needed + 1, '\0');
    if (::ExpandEnvironmentStringsA(path.c_str(), expanded.data(), needed + 1) == 0) {
      return std::string();
    }
    path = expanded.data();
  }
  return path;
}

// One entry of the control. The module is loaded once and never freed: help windows of the
// control live on after any one call, to the end of the process.
class Binding {
 public:
  explicit Binding(WORD ordinal) : m_wOrdinal(ordinal) {}

  FARPROC Entry() {
    std::call_once(m_once, [this] { Bind(); });
    return m_pfnEntry;
  }

 private:
  void Bind() {
    CTraceScope trace("HtmlHelp binding");
    HMODULE module = nullptr;
    const std::string server = RegisteredServer();
    if (!server.empty()) module = ::LoadLibraryA(server.c_str());
    // By name from the system folder only, so that a file of that name planted beside the
    // program is never taken.
    if (module == nullptr) module = LoadSystemLibrary("hhctrl.ocx");
    if (module == nullptr) {
      trace.Write("no HTML Help control\n");
      return;
    }
    m_pfnEntry = ::GetProcAddress(module, MAKEINTRESOURCEA(m_wOrdinal));
    if (m_pfnEntry == nullptr) trace.Write("no entry %u\n", static_cast<unsigned>(m_wOrdinal));
  }

  WORD m_wOrdinal;
  std::once_flag m_once;
  FARPROC m_pfnEntry = nullptr;
};

Binding& AnsiBinding() {
  static Binding binding(kHtmlHelpAnsiOrdinal);
  return binding;
}

Binding& WideBinding() {
  static Binding binding(kHtmlHelpWideOrdinal);
  return binding;
}

template <typename Fn>
Fn EntryAs(Binding& binding) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(binding.Entry()));
}

}  // namespace

HWND VgHtmlHelpA(HWND caller, const char* file, UINT command, DWORD_PTR data) {
  using Fn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
  const Fn entry = EntryAs<Fn>(AnsiBinding());
  return entry != nullptr ? entry(caller, file, command, data) : nullptr;
}

HWND VgHtmlHelpW(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data) {
  using Fn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
  const Fn entry = EntryAs<Fn>(WideBinding());
  return entry != nullptr ? entry(caller, file, command, data) : nullptr;
}

bool IsHtmlHelpABound() { return AnsiBinding().Entry() != nullptr; }
bool IsHtmlHelpWBound() { return WideBinding().Entry() != nullptr; }
