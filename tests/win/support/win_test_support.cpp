#include "support/win_test_support.h"

// After the project's Windows header, which it needs.
#include <tlhelp32.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/text_util.h"
#include "common/unique_handle.h"

namespace vgtest {

std::string BinDir() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path);
  return full.substr(0, full.find_last_of('\\'));
}

std::string UniqueName(const std::string& hint) {
  static LONG counter = 0;
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "%s_%lx_%lx_%ld", hint.c_str(),
                static_cast<unsigned long>(::GetCurrentProcessId()),
                static_cast<unsigned long>(::GetTickCount()), ::InterlockedIncrement(&counter));
  return buffer;
}

std::string MakeTempDir(const std::string& hint) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string dir = std::string(temp) + UniqueName(hint);
  ::CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(child.c_str());
      }
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryA(path.c_str());
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

bool FileExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteKeyTree(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD size = sizeof name;
    if (::RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    DeleteKeyTree(root, path + "\\" + name);
  }
  ::RegCloseKey(key);
  ::RegDeleteKeyA(root, path.c_str());
}

void SetString(HKEY root, const std::string& path, const char* name, const std::string& value) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return;
  }
  ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
  ::RegCloseKey(key);
}

void SetDword(HKEY root, const std::string& path, const char* name, DWORD value) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return;
  }
  ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  ::RegCloseKey(key);
}

std::string GetString(HKEY root, const std::string& path, const char* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
  char value[1024] = {};
  DWORD size = sizeof value - 1;
  LONG rc = ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  ::RegCloseKey(key);
  return rc == ERROR_SUCCESS ? std::string(value) : std::string();
}

DWORD GetDword(HKEY root, const std::string& path, const char* name, DWORD defaultValue) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return defaultValue;
  }
  DWORD value = 0;
  DWORD size = sizeof value;
  LONG rc = ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  ::RegCloseKey(key);
  return rc == ERROR_SUCCESS ? value : defaultValue;
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

void SetProgramWindowsVersion(const std::string& exeName, const std::string& version) {
  const std::string path = "Software\\Wine\\AppDefaults\\" + exeName;
  if (version.empty()) {
    DeleteKeyTree(HKEY_CURRENT_USER, path);
  } else {
    SetString(HKEY_CURRENT_USER, path, "Version", version);
  }
}

void SetMonitorLog(bool on) {
  SetDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\KORVA\\VGL3\\Debug", "VG_MT", on ? 1 : 0);
}

size_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return data.nFileSizeLow;
}

std::vector<std::string> LogLinesOf(const std::string& logPath, DWORD processId, int idDigits,
                                    size_t offset) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "%0*lX:", idDigits, static_cast<unsigned long>(processId));
  std::vector<std::string> lines;
  std::string text = ReadFile(logPath);
  std::istringstream in(offset < text.size() ? text.substr(offset) : std::string());
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, std::string(prefix).size(), prefix) == 0) lines.push_back(line);
  }
  return lines;
}

std::string TextOfWindow(HWND window) {
  char text[2048] = {};
  DWORD_PTR length = 0;
  if (window == nullptr ||
      !::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 5000, &length)) {
    return std::string();
  }
  return std::string(text, length < sizeof text ? length : 0);
}

namespace {

// A program of the bin folder (a bare name) or anywhere (a path), with its arguments.
ProcessStart ProgramStart(const std::string& exe, const std::string& arguments) {
  ProcessStart start;
  start.program = exe.find('\\') == std::string::npos ? BinDir() + "\\" + exe : exe;
  start.commandLine = "\"" + start.program + "\" " + arguments;
  return start;
}

}  // namespace

bool ChildProcess::Start(const std::string& exe, const std::string& arguments) {
  return process_.Start(ProgramStart(exe, arguments));
}

DWORD ChildProcess::Wait(DWORD timeoutMs) {
  return process_.Wait(timeoutMs) ? process_.ExitCode() : STILL_ACTIVE;
}

void ChildProcess::Kill() { process_.Terminate(kProcessTimedOutExitCode, 5000); }

ProcessResult RunProgram(const std::string& exe, const std::string& arguments, DWORD timeoutMs) {
  return RunProcess(ProgramStart(exe, arguments), timeoutMs);
}

namespace {

struct WindowSearch {
  DWORD processId;
  std::string className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  if (!search->className.empty()) {
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (search->className != name) return TRUE;
  }
  search->found = window;
  return FALSE;
}

}  // namespace

std::vector<DWORD> ChildProcessesNamed(const std::string& exeName) {
  std::vector<DWORD> found;
  ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid()) return found;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot.Get(), &entry); more;
       more = ::Process32Next(snapshot.Get(), &entry)) {
    if (entry.th32ParentProcessID == ::GetCurrentProcessId() &&
        vgtext::EqualsNoCase(entry.szExeFile, exeName.c_str())) {
      found.push_back(entry.th32ProcessID);
    }
  }
  return found;
}

HWND FindProcessWindow(DWORD processId, const std::string& classOrEmpty, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    WindowSearch search{processId, classOrEmpty, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (::GetTickCount() - start >= timeoutMs) return nullptr;
    ::Sleep(20);
  }
}

MessageBoxSeen WaitForMessageBox(DWORD processId, DWORD timeoutMs, bool close) {
  MessageBoxSeen seen;
  HWND box = FindProcessWindow(processId, "#32770", timeoutMs);
  if (box == nullptr) return seen;
  seen.found = true;
  // The box exists a moment before its caption and text are set.
  for (int i = 0; i < 150; ++i) {
    if (::GetWindowTextLengthA(box) > 0 && ::GetDlgItem(box, 0xFFFF) != nullptr &&
        ::GetWindowTextLengthA(::GetDlgItem(box, 0xFFFF)) > 0) {
      break;
    }
    ::Sleep(20);
  }
  char text[1024] = {};
  ::GetWindowTextA(box, text, sizeof text);
  seen.title = text;
  text[0] = '\0';
  ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  seen.text = text;
  if (close) {
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    // Wait until it is gone, so the next search does not see the same box.
    for (int i = 0; i < 250 && ::IsWindow(box); ++i) ::Sleep(20);
  }
  return seen;
}

EnvCheckWindow::EnvCheckWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ::DefWindowProcA;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "InstallExeClass";
  ::RegisterClassA(&windowClass);
  window_ = ::CreateWindowExA(0, "InstallExeClass", "Vigil3 Environment Check", WS_OVERLAPPED, 0,
                              0, 10, 10, nullptr, nullptr, windowClass.hInstance, nullptr);
}

EnvCheckWindow::~EnvCheckWindow() {
  if (window_) ::DestroyWindow(window_);
}

}  // namespace vgtest

namespace vgtest {

std::string MonitorLogPath() {
  using GetFolderFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
  char folder[MAX_PATH] = {};
  HMODULE shell = ::LoadLibraryA("shell32.dll");
  auto getFolder = reinterpret_cast<GetFolderFn>(
      reinterpret_cast<void*>(::GetProcAddress(shell, "SHGetSpecialFolderPathA")));
  if (getFolder) getFolder(nullptr, folder, 35, FALSE);
  return std::string(folder) + "\\VGMONX.LOG";
}

RecordingWindow::RecordingWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &RecordingWindow::Proc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VgTestRecordingWindow";
  ::RegisterClassA(&windowClass);
  window_ = ::CreateWindowExA(0, windowClass.lpszClassName, "recording", WS_OVERLAPPED, 0, 0, 10,
                              10, nullptr, nullptr, windowClass.hInstance, this);
}

RecordingWindow::~RecordingWindow() {
  if (window_) ::DestroyWindow(window_);
}

LRESULT CALLBACK RecordingWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<RecordingWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self) {
    self->received_.push_back(message);
    self->params_.push_back(wParam);
    self->times_.push_back(::GetTickCount());
    if (message == WM_COPYDATA) {
      auto* data = reinterpret_cast<COPYDATASTRUCT*>(lParam);
      self->copyData_.emplace_back(static_cast<const char*>(data->lpData), data->cbData);
      return TRUE;
    }
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

std::vector<WPARAM> RecordingWindow::Params(UINT message) const {
  std::vector<WPARAM> params;
  for (size_t i = 0; i < received_.size(); ++i) {
    if (received_[i] == message) params.push_back(params_[i]);
  }
  return params;
}

std::vector<DWORD> RecordingWindow::Times(UINT message) const {
  std::vector<DWORD> times;
  for (size_t i = 0; i < received_.size(); ++i) {
    if (received_[i] == message) times.push_back(times_[i]);
  }
  return times;
}

void RecordingWindow::Drain() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

bool RecordingWindow::WaitForCount(UINT message, size_t count, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    Drain();
    size_t seen = 0;
    for (UINT received : received_) seen += received == message;
    if (seen >= count) return true;
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

void RecordingWindow::Pump(DWORD milliseconds) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < milliseconds) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

bool RecordingWindow::WaitForMessage(UINT message, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    for (UINT seen : received_) {
      if (seen == message) return true;
    }
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

}  // namespace vgtest
