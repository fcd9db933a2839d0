#pragma once
// CMTApp: vgmon's application object, from the first instruction to the exit code. It parses
// the command line, lets one monitor serve each printer through the instance mapping, checks
// the port and builds the controller.
#include "common/win.h"

class CMainFrame;

class CMTApp {
 public:
  // Starts the debug log; constructed before the program's entry runs.
  CMTApp();
  // The exit path: mapping closed, libraries freed, the log's last line.
  virtual ~CMTApp();
  CMTApp(const CMTApp&) = delete;
  CMTApp& operator=(const CMTApp&) = delete;

  // Stores what the entry point got; runs the message loop when InitInstance gives 1.
  int Run(HINSTANCE instance, const char* commandLine);
  int InitInstance();

  // 1 when the port is the printer's real port (port may be replaced by the spooler's form of
  // it); 0 for a "FILE:" port or a port that is not the printer's.
  int ChkFilePort(const char* printer, char (&port)[MAX_PATH]);
  // 1 to go on, 0 to exit.
  int DuplProc(const char* printer, const char* port, const char* jobId);

  bool FilePort() const { return m_bFilePort != FALSE; }
  bool AlreadyRunning() const { return m_bAlreadyRunning != FALSE; }

 private:
  CMainFrame* m_pMainFrame = nullptr;
  HINSTANCE m_hInstance = nullptr;
  const char* m_pszCmdLine = "";
  BOOL m_bFilePort = FALSE;
  BOOL m_bAlreadyRunning = FALSE;
  HANDLE m_hMapFile = nullptr;
  volatile LONG* m_pMapView = nullptr;
};
