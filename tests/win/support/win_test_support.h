#pragma once
// Helpers for the tests that run under Wine: sandboxed registry keys and folders, child
// processes, the per-program Windows version, and message boxes of other processes.
#include <string>
#include <vector>

#include "common/process_start_win.h"
#include "common/win.h"

namespace vgtest {

// The folder that holds this test program (the build's bin folder).
std::string BinDir();
// A fresh, unique folder under the temporary folder; removed with RemoveTree.
std::string MakeTempDir(const std::string& hint);
void RemoveTree(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);

// A unique name for keys, printers and mappings of one test.
std::string UniqueName(const std::string& hint);

// Removes a registry key and everything below it; missing keys are fine.
void DeleteKeyTree(HKEY root, const std::string& path);
void SetString(HKEY root, const std::string& path, const char* name, const std::string& value);
void SetDword(HKEY root, const std::string& path, const char* name, DWORD value);
// The value, or "" / the default when it is missing.
std::string GetString(HKEY root, const std::string& path, const char* name);
DWORD GetDword(HKEY root, const std::string& path, const char* name, DWORD defaultValue);
bool KeyExists(HKEY root, const std::string& path);

// Wine reports this Windows version to the named program ("win98", "nt40", "win2k",
// "winxp", "vista", "win7"); an empty version removes the setting.
void SetProgramWindowsVersion(const std::string& exeName, const std::string& version);

// Turns vgmon's debug log on or off (HKLM SOFTWARE\KORVA\VGL3\Debug, VG_MT).
void SetMonitorLog(bool on);
// The lines of a log file written by one process (its id in hexadecimal leads each line),
// from byte offset on. Wine reuses process ids, so tests read only what was appended.
std::vector<std::string> LogLinesOf(const std::string& logPath, DWORD processId, int idDigits,
                                    size_t offset = 0);
// The size of a file now (0 when missing): the offset for LogLinesOf.
size_t FileSize(const std::string& path);

// started, finished (within the time), exit code (STILL_ACTIVE when it did not finish),
// process id.
using ProcessResult = ProcessRun;

// Starts a program of the bin folder with an argument text and waits up to timeoutMs.
ProcessResult RunProgram(const std::string& exe, const std::string& arguments,
                         DWORD timeoutMs = 30000);

// A window's text through its own thread, which may be another process's ("" when it does
// not answer).
std::string TextOfWindow(HWND window);

// A started child process that the test controls.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::string& exe, const std::string& arguments);
  // Exit code, or STILL_ACTIVE when it did not end in time.
  DWORD Wait(DWORD timeoutMs);
  void Kill();
  DWORD Id() const { return process_.Id(); }
  HANDLE Handle() const { return process_.Handle(); }

 private:
  StartedProcess process_;
};

// The ids of the running processes that this process started whose program file is named
// exeName (compared without regard to case).
std::vector<DWORD> ChildProcessesNamed(const std::string& exeName);

// A top-level window of the given process whose class is classOrEmpty (any when empty).
HWND FindProcessWindow(DWORD processId, const std::string& classOrEmpty, DWORD timeoutMs);

// A message box shown by a process: its title and text. Closes it when close is set.
struct MessageBoxSeen {
  bool found = false;
  std::string title;
  std::string text;
};
MessageBoxSeen WaitForMessageBox(DWORD processId, DWORD timeoutMs, bool close = true);

// Creates the environment-check window under which the monitor shows no messages.
class EnvCheckWindow {
 public:
  EnvCheckWindow();
  ~EnvCheckWindow();
  EnvCheckWindow(const EnvCheckWindow&) = delete;
  EnvCheckWindow& operator=(const EnvCheckWindow&) = delete;

 private:
  HWND window_ = nullptr;
};

}  // namespace vgtest

namespace vgtest {

// Where vgmon writes its debug log on this (NT 5 or later) system.
std::string MonitorLogPath();

// A hidden top-level window of this process that records the messages it receives.
class RecordingWindow {
 public:
  RecordingWindow();
  ~RecordingWindow();
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  HWND Handle() const { return window_; }
  // Pumps this thread's messages until one with the given id arrived or the time is up.
  bool WaitForMessage(UINT message, DWORD timeoutMs);
  // Pumps this thread's messages until `count` with the given id have arrived in all, or
  // the time is up.
  bool WaitForCount(UINT message, size_t count, DWORD timeoutMs);
  // Pumps messages for the given time, recording what arrives.
  void Pump(DWORD milliseconds);
  // Dispatches what is queued for this thread now, without waiting.
  void Drain();
  // The tick count at the arrival of every message with the given id so far.
  std::vector<DWORD> Times(UINT message) const;
  // WM_COPYDATA payloads received so far.
  const std::vector<std::string>& CopyData() const { return copyData_; }
  // The first parameters of every message with the given id received so far.
  std::vector<WPARAM> Params(UINT message) const;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  std::vector<UINT> received_;
  std::vector<WPARAM> params_;
  std::vector<DWORD> times_;
  std::vector<std::string> copyData_;
};

}  // namespace vgtest
