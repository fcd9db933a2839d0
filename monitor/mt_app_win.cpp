#include "monitor/mt_app_win.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/instance_names.h"
#include "common/registry_keys.h"
#include "common/spooler_printer_win.h"
#include "common/unique_handle.h"
#include "common/vgl_param.h"
#include "common/window_messages.h"
#include "monitor/main_frame_win.h"
#include "monitor/messages_win.h"
#include "monitor/startup_rules.h"

CMTApp::CMTApp() {
  VgLogStart("C:\\VGMONX.LOG", vgreg::kMonitorLogSwitch);
  VgLogWrite("***** LOG START ******");
}

CMTApp::~CMTApp() {
  // The worker uses the mapping and the libraries: it has ended before they go.
  if (m_pMainFrame) m_pMainFrame->EndMonitoring();
  m_cMapView.Close();
  m_hMapFile.Close();
  if (m_pMainFrame) {
    m_pMainFrame->FreeLibraries();
    delete m_pMainFrame;
  }
  VgLogWrite("***** LOG END ******");
  VgLogEnd();
}

int CMTApp::Run(HINSTANCE instance, const char* commandLine) {
  m_hInstance = instance;
  m_pszCmdLine = commandLine ? commandLine : "";
  if (InitInstance() != 1) {
    if (m_pMainFrame) m_pMainFrame->EndMonitoring();
    return 0;
  }
  MSG message = {};
  BOOL got;
  while ((got = ::GetMessageA(&message, nullptr, 0, 0)) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  // However the loop ended (WM_CLOSE, WM_COMMAND 1 or 2, a quit message from elsewhere, a
  // failed loop), monitoring ends the same way before anything is freed.
  m_pMainFrame->EndMonitoring();
  return got == 0 ? static_cast<int>(message.wParam) : 0;
}

int CMTApp::InitInstance() {
  VgLogWrite("CMTApp::InitInstance");
  VgLogWrite("commandline", m_pszCmdLine);

  CVglParam param(m_pszCmdLine);
  // Whatever started the monitor may have written anything: what was cut or cannot be a name
  // is refused before any object, key or file is made for it.
  const std::string refusal =
      vgmon::StartupRefusal(m_pszCmdLine, param.HasUnclosedValue(),
                            {param.PrinterName, param.PortName, param.DriverName, param.ModelID});
  if (!refusal.empty()) {
    VgLogWrite(refusal.c_str());
    return 0;
  }

  if (!DuplProc(param.PrinterName, param.PortName, param.JobID)) return 0;

  const std::string driverKey = std::string(vgreg::kDriverKeyPrefix) + param.DriverName;
  {
    // Without a driver name the path names the Driver key's parent, which says nothing; only
    // a model id can still lead to a driver (through the profile).
    if (param.DriverName[0] == '\0' && param.ModelID[0] == '\0') {
      VgLogWrite("No Driver key : neither a driver nor a model named");
      return 0;
    }
    ScopedRegKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, driverKey.c_str(), 0, KEY_READ, key.Receive()) !=
        ERROR_SUCCESS) {
      return 0;
    }
  }

  m_pMainFrame = new (std::nothrow) CMainFrame();
  if (m_pMainFrame == nullptr) {
    ShowFallbackMessage("Cannot allocate memory.");
    return 0;
  }
  CMainFrame& frame = *m_pMainFrame;
  CopyParamText(frame.m_szModelID, param.ModelID);
  CopyParamText(frame.m_szPrinterName,
                param.PrinterName);
  CopyParamText(frame.m_szPortName, param.PortName);
  CopyParamText(frame.m_szDriverName,
                param.DriverName);
  frame.m_bRemoveFlag = param.RemoveFlag;
  CopyParamText(frame.m_szJobID, param.JobID);
  CopyParamText(frame.m_szKVM, param.KVM);

  std::vector<char> line(1024 + 7 * MAX_PATH);
  std::snprintf(line.data(), line.size(),
                " PrinterName = %s : PortName = %s : DriverName = %s : ModelID = %s : "
                "RemoveFlag = %d : JobID = %s : KVM = %s",
                frame.m_szPrinterName, frame.m_szPortName, frame.m_szDriverName,
                frame.m_szModelID, frame.m_bRemoveFlag, frame.m_szJobID, frame.m_szKVM);
  VgLogWrite(line.data());

  if (frame.m_szJobID[0] != '\0' && !vgmon::IsValidJobId(frame.m_szJobID)) {
    CopyParamText(frame.m_szJobID, "0");
  }

  if (!ChkFilePort(frame.m_szPrinterName, frame.m_szPortName)) m_bFilePort = TRUE;
  frame.m_bFilePort = m_bFilePort;
  frame.m_bAlreadyRunning = m_bAlreadyRunning;
  frame.SetInstanceMap(MapView());

  if (!frame.Init(m_bAlreadyRunning != FALSE)) return 0;

  // Without a window the worker would wait forever: the process ends as when Init fails.
  if (!frame.CreateMainWindow()) return 0;
  HWND window = frame.Window();
  if (MapView()) ::InterlockedExchange(MapView(), HandleToLong(window));
  ::ShowWindow(window, SW_HIDE);
  ::UpdateWindow(window);
  return 1;
}

int CMTApp::ChkFilePort(const char* printer, char (&port)[MAX_PATH]) {
  VgLogWrite("CMTApp::ChkFilePort");
  if (printer == nullptr) return 0;
  if (vgmon::IsFilePort(port)) return 0;
  if (printer[0] == '\0') return 1;

  const SpoolerPrinter spooler(printer);
  if (!spooler.IsOpen() || spooler.Info() == nullptr) return 1;
  const std::string printerPort = spooler.PortName();

  char entry[MAX_PATH + 1] = {};
  ::GetProfileStringA("PrinterPorts", printer, "", entry, MAX_PATH);
  if (!vgmon::IsPrintersPort(port, vgmon::ListedPort(entry), printerPort)) return 0;
  CopyParamText(port, printerPort);
  return 1;
}

int CMTApp::DuplProc(const char* printer, const char* port, const char* jobId) {
  VgLogWrite("CMTApp::DuplProc");
  const std::string name = vgnames::InstanceMappingName(printer, port);
  m_hMapFile.Reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(LONG), name.c_str()));
  m_bAlreadyRunning = (m_hMapFile.IsValid() && ::GetLastError() == ERROR_ALREADY_EXISTS);
  VgLogWrite("MapFile Already Exists", m_bAlreadyRunning ? "TRUE" : "FALSE");
  if (!m_hMapFile.IsValid()) {
    ShowFallbackMessage("Cannot Create/Open FileMapping.");
    return 0;
  }
  m_cMapView.Reset(::MapViewOfFile(m_hMapFile.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG)));
  if (!m_cMapView.IsValid()) {
    m_hMapFile.Close();
    ShowFallbackMessage("Cannot Get point to FileMapping.");
    return 0;
  }
  if (!m_bAlreadyRunning) {
    ::InterlockedExchange(MapView(), 0);
    return 1;
  }

  VgLogWrite("processing for already exists");
  LONG running = *MapView();
  if (running == 0) {
    ::Sleep(1000);
    running = *MapView();
  }
  if (running != 0) {
    VgLogWrite("In case of existing mapfile");
    ::PostMessageA(static_cast<HWND>(LongToHandle(running)), WM_RESTART_QUIT_TIMER, 0, 0);
    return (jobId && jobId[0] != '\0') ? 1 : 0;
  }
  VgLogWrite("In case of null mapfile pointer");
  m_bAlreadyRunning = FALSE;
  return 1;
}
