#pragma once
// The debug log: off unless a registry switch under the local machine is set. vgmon writes
// plain lines; vgprn writes trace scopes with levels and indentation. Logging never fails
// the caller: a missing switch, folder or file simply means nothing is written.

#include <string>

// vgmon's log.
void VgLogStart(const char* logFileName, const char* switchValueName);
void VgLogWrite(const char* text);
void VgLogWrite(const char* text, const char* text2);
void VgLogWrite(const char* text, long number);
void VgLogEnd();

// vgprn's log. The switch is the 32-bit value "log" under "Software\Korva\VGL3".
bool VgTraceReadSwitch();
void VgTraceEnable(bool on);

// One trace scope on the stack of the function being traced.
class CTraceScope {
 public:
  explicit CTraceScope(const char* name, unsigned level = 0);
  ~CTraceScope();
  CTraceScope(const CTraceScope&) = delete;
  CTraceScope& operator=(const CTraceScope&) = delete;

  void Write(const char* format, ...) const __attribute__((format(printf, 2, 3)));

 private:
  unsigned m_nLevel;
};

// Code shared by both deliverables writes through whichever log its process started.
void VgTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The log file's full path while the log is on, else "" (for tests and tools).
std::string VgLogPath();
