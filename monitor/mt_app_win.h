#pragma once
// CMTApp: vgmon's application object, from the first instruction to the exit code. It parses
// the command line, lets one monitor serve each printer through the instance mapping, checks
// the port and builds the controller.
#include "common/unique_handle.h"
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
  // The instance mapping's value: the window of the monitor serving the printer (null
  // without a view).
  volatile LONG* MapView() const { return static_cast<volatile LONG*>(m_cMapView.Get()); }

  bool FilePort() const { return m_bFilePort != FALSE; }
  bool AlreadyRunning() const { return m_bAlreadyRunning != FALSE; }

 private:
  CMainFrame* m_pMainFrame = nullptr;
  HINSTANCE m_hInstance = nullptr;  // the program's own module, given by its entry
  const char* m_pszCmdLine = "";
  BOOL m_bFilePort = FALSE;
  BOOL m_bAlreadyRunning = FALSE;
  // The instance mapping and its view, kept until the monitor ends.
  ScopedHandle m_hMapFile;
  ScopedMapView m_cMapView;
};
