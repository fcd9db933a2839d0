// The status window's life: its start (checks, worker, registration, hand-off to a window
// already open), its messages, where it stands, help, and its shut-down. What it does with
// each status is in detail_status_win.cpp.
#include "ui/detail_win.h"

#include <shellapi.h>

#include <new>

#include "common/debug_log_win.h"
#include "common/map_records_win.h"
#include "common/registry_win.h"
#include "common/spooler_printer_win.h"
#include "common/target_keys_win.h"
#include "common/text_util.h"
#include "common/window_messages.h"
#include "common/windows_version_win.h"
#include "printer/detail_qv_status_win.h"
#include "printer/play_sound_win.h"
#include "printer/sound_notify_win.h"
#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"
#include "ui/about_box_win.h"
#include "ui/detail_rules.h"
#include "ui/dialog_view_rules.h"
#include "ui/driver_key_path.h"
#include "ui/theme_rules.h"
#include "ui/trouble_win.h"

namespace {

// The system menu's item that opens the about box.
constexpr UINT kAboutCommand = 0x390;
// The command a newer detail start sends the window it finds open.
constexpr int kDetailStartCommand = 214;
// A window of another process that stops answering must not hold this one up.
constexpr UINT kHandOffTimeoutMs = 5000;

constexpr char kFallbackTitle[] = "KORVA Vigil 3";
constexpr char kFallbackNoPrinter[] =
    "The printer or its driver information could not be found.\n"
    "Please check that the printer is installed, or reinstall the printer driver.";
constexpr char kFallbackNotOpened[] = "The status window cannot be opened.";

std::string LibraryString(HMODULE module, UINT id, const char* fallback) {
  char text[1024] = {};
  if (module != nullptr && ::LoadStringA(module, id, text, sizeof text) > 0) return text;
  return fallback != nullptr ? fallback : "";
}

// A message box of resource strings (text and the title string), with English texts when the
// library cannot give them.
void LibraryMessage(HWND owner, HMODULE module, UINT textId, const char* fallback, UINT flags) {
  const std::string text = LibraryString(module, textId, fallback);
  const std::string title = LibraryString(module, IDS_APP_TITLE, kFallbackTitle);
  ::MessageBoxA(owner, text.c_str(), title.c_str(), flags);
}

// "software\KORVA\VGL3\Driver\" and the driver that the spooler names for the printer; empty
// when the printer cannot be opened or read.
std::string DriverKeyPathOfPrinter(const std::string& printer) {
  if (printer.empty()) return std::string();
  const SpoolerPrinter spooler(printer.c_str());
  const std::string driver = spooler.DriverName();
  if (driver.empty()) return std::string();
  return vgui::MakeDriverKeyPath(driver.c_str());
}

void SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kHandOffTimeoutMs,
                        &answer);
}

}  // namespace

CDetail::CDetail(HWND parent)
    : CDialogBox(IDD_STATUS, parent), m_cStatusInfo(TheApp().BaseInfo().ProfilePath()) {}

CDetail::~CDetail() {
  m_cStatusInfo.ReleaseStatusObject(m_pPrinterStatus);
  m_pPrinterStatus = nullptr;
}

void CDetail::AttachControls(HWND) {}

int CDetail::DoModal(const char* printerName, const char* portName, const char* modelId,
                     const char* datFileName, int) {
  CTraceScope trace("CDetail::DoModal");
  auto text = [](const char* value) { return std::string(value != nullptr ? value : ""); };
  m_szPrinterName = text(printerName);
  m_szPortName = text(portName);
  m_szModelID = text(modelId);
  m_szDatFileName = text(datFileName);
  m_bPortMode = m_szPrinterName.empty();

  char keyPath[kTargetKeyPathSize] = {};
  HKEY root = nullptr;
  const int found = m_bPortMode
                        ? GetCurrentTargetPrnKey(m_szPortName.c_str(), 1, keyPath, &root)
                        : GetCurrentTargetPrnKey(m_szPrinterName.c_str(), 0, keyPath, &root);
  m_hTargetRoot = root;
  // Without the printer's own key the window keeps no position and tells nothing: the path
  // of the base key that a failed look-up leaves is no printer's.
  m_szTargetKey = found == kTargetFound ? keyPath : "";

  if (ResourceModule() == nullptr) SetResourceModule(TheApp().ResourceModule());
  const std::string driverKeyPath = DriverKeyPathOfPrinter(m_szPrinterName);
  vgui::SetDriverKeyPath(driverKeyPath);
  if (driverKeyPath.empty()) {
    LibraryMessage(nullptr, ResourceModule(), IDS_NO_PRINTER_DRIVER_INFO, kFallbackNoPrinter,
                   MB_OK | MB_ICONEXCLAMATION);
    return 2;
  }
  m_cStatusInfo.SetResourceModule(ResourceModule());
  m_cStatusInfo.SetDriverName(std::string(vgui::DriverNameOf(driverKeyPath)).c_str());

  // The window of this printer that is open already gets this start handed over at
  // registration; this one needs no worker of its own.
  const char* name = m_bPortMode ? m_szPortName.c_str() : m_szPrinterName.c_str();
  if (FindMapWindow(MapNameSet::kPrinterLibrary, m_szPrinterName.c_str(), m_szPortName.c_str(),
                    kMapKindStatus) == nullptr) {
    m_pQvStatus.reset(new (std::nothrow) CDetailQvStatus(m_bPortMode ? 0 : 1, name));
    if (m_pQvStatus == nullptr) return 2;
    m_pQvStatus->Initialize(m_szPrinterName.c_str(), m_szPortName.c_str(), m_szModelID.c_str(),
                            name);
    if (!m_pQvStatus->IsEnabled()) {
      m_pQvStatus.reset();
      return 2;
    }
  }

  const int code = CDialogBox::DoModal();

  m_pSound.reset();
  m_pBuzzer.reset();
  m_pQvStatus.reset();
  m_cStatusInfo.ReleaseStatusObject(m_pPrinterStatus);
  m_pPrinterStatus = nullptr;
  return code;
}

int CDetail::OnInitDialog() {
  CTraceScope trace("CDetail::OnInitDialog");
  HWND existing = nullptr;
  ScopedHandle mapping;
  const int registered =
      RegisterMapWindow(MapNameSet::kPrinterLibrary, m_szPrinterName.c_str(), m_szPortName.c_str(),
                        kMapKindStatus, m_hWnd, &existing, &mapping);
  if (registered != kMapRegistered) {
    trace.Write("Dialog has already opened.\n");
    if (registered == kMapWindowOpen) {
      if (existing != nullptr) {
        m_bNotOwner = true;
        HandOffTo(existing);
      }
    } else {
      LibraryMessage(nullptr, ResourceModule(), IDS_STATUS_WINDOW_NOT_OPENED, kFallbackNotOpened,
                     MB_OK);
    }
    ShutDown();
    EndWindow(2);
    return 1;
  }
  m_hMapFile = std::move(mapping);

  const WindowsVersion windows = GetWindowsVersion();
  if (vgui::HasVisualStyles(windows.nt, windows.major, windows.minor)) {
    m_cTheme.EnableThemeDialogTexture(m_hWnd, kThemeDialogTextureEnableTab);
  }

  // A player that the model cannot serve is never made.
  std::unique_ptr<CResSndNtfy> sound(new (std::nothrow) CResSndNtfy(m_szModelID.c_str()));
  if (sound != nullptr && sound->IsReady()) m_pSound = std::move(sound);
  std::unique_ptr<CBeepBuzzer> buzzer(new (std::nothrow) CBeepBuzzer());
  if (buzzer != nullptr && buzzer->IsReady()) m_pBuzzer = std::move(buzzer);

  SetUpSystemMenu();
  SetIcons();
  char title[MAX_PATH] = {};
  ::GetWindowTextA(m_hWnd, title, sizeof title);
  ::SetWindowTextA(
      m_hWnd, vgui::BuildTitle(title, m_bPortMode ? "" : m_szPrinterName, m_szPortName).c_str());

  m_cStatusInfo.SetDatFile(m_szDatFileName.c_str());
  m_cDialogView.Init(m_hWnd, ResourceModule(), {m_szDatFileName.c_str(), m_szModelID.c_str()});

  const vgdetail::StartMode mode = vgdetail::StartModeOf(m_nViewType);
  m_bPopupPosition = mode.popupPosition;
  m_bAutoClose = mode.autoClose;
  if (mode.defaultStatus) {
    SetDefStatus();
    trace.Write("First dialog type : Popup\n");
  } else {
    TakeStatus(m_cStatusInfo.CreateStatusObject(0, nullptr, 0, vgdetail::kStatusSearch, 0));
    trace.Write("First dialog type : Detail\n");
  }
  m_nViewType = mode.dialogType;

  m_cDialogView.Show(vgui::kShowHide);
  m_cDialogView.SetViewStatus(m_pPrinterStatus);
  {
    NotifyMemoScope memo(*this);
    if (SetBeepBuzzerStatus(m_pPrinterStatus) == 0) SetSoundStatus(m_pPrinterStatus);
  }

  m_cDialogView.ChangeDialogType(m_nViewType);
  PlaceWindow();
  m_cDialogView.Show(vgui::kShowShow);
  m_cDialogView.BringToFront(0);

  SetIntervals();
  if (m_pQvStatus == nullptr || m_pQvStatus->StartStatusThread(m_hWnd) == 0) {
    ShutDown();
    EndWindow(2);
  }
  return 1;
}

void CDetail::HandOffTo(HWND existing) {
  const vgdetail::HandOff handOff = vgdetail::HandOffFor(m_nViewType);
  if (handOff.sendPopupRequest) SendWithin(existing, WM_USERPOPUP, 0, 0);
  if (handOff.bringToFront) ::SetForegroundWindow(existing);
  if (handOff.sendDetailRequest) {
    SendWithin(existing, WM_COMMAND, MAKEWPARAM(kDetailStartCommand, 0), 0);
    SendWithin(existing, WM_USERDETAIL, 0, 0);
  }
}

void CDetail::BringSelfForward() {
  if (m_bShutDown) return;
  m_cDialogView.BringToFront(0);
}

void CDetail::SetUpSystemMenu() {
  HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
  if (menu == nullptr) return;
  const std::string about = LibraryString(ResourceModule(), IDS_MENU_ABOUT, "");
  if (!about.empty()) {
    ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu, MF_STRING, kAboutCommand, about.c_str());
  }
  ::DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  ::DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
}

void CDetail::SetIcons() {
  if (ResourceModule() == nullptr) return;
  m_hBigIcon.Reset(static_cast<HICON>(::LoadImageA(ResourceModule(), MAKEINTRESOURCEA(IDI_APP),
                                                   IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                                   ::GetSystemMetrics(SM_CYICON), 0)));
  m_hSmallIcon.Reset(static_cast<HICON>(::LoadImageA(ResourceModule(), MAKEINTRESOURCEA(IDI_APP),
                                                     IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), 0)));
  if (m_hBigIcon.IsValid()) {
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hBigIcon.Get()));
  }
  if (m_hSmallIcon.IsValid()) {
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon.Get()));
  }
}

bool CDetail::OpenOwnTargetKey(Registry* key, REGSAM access) const {
  if (m_szTargetKey.empty() || m_hTargetRoot == nullptr) return false;
  return key->Open(m_hTargetRoot, m_szTargetKey.c_str(), access);
}

void CDetail::PlaceWindow() {
  RECT window = {};
  if (!::GetWindowRect(m_hWnd, &window)) return;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  if (!m_bPopupPosition) {
    ::SetWindowPos(m_hWnd, nullptr, vgdetail::CentredOn(::GetSystemMetrics(SM_CXSCREEN), width),
                   vgdetail::CentredOn(::GetSystemMetrics(SM_CYSCREEN), height), 0, 0, flags);
    return;
  }
  Registry key;
  if (!OpenOwnTargetKey(&key, KEY_ALL_ACCESS)) return;
  const auto stored = [&key](const char* name) {
    return static_cast<int32_t>(key.GetDWordValue(name, vgdetail::kNoStoredPosition));
  };
  const vgdetail::Placement place = vgdetail::PlacePopup(
      stored("PopupPOSX"), stored("PopupPOSY"), ::GetSystemMetrics(SM_CXFULLSCREEN),
      ::GetSystemMetrics(SM_CYFULLSCREEN) + ::GetSystemMetrics(SM_CYCAPTION), width, height);
  ::SetWindowPos(m_hWnd, nullptr, place.x, place.y, 0, 0, flags);
  if (place.store && ::GetWindowRect(m_hWnd, &window)) {
    key.SetDWord("PopupPOSX", static_cast<DWORD>(window.left));
    key.SetDWord("PopupPOSY", static_cast<DWORD>(window.top));
  }
}

void CDetail::StorePopupPosition() {
  if (!m_bPopupPosition || ::IsIconic(m_hWnd)) return;
  RECT window = {};
  if (!::GetWindowRect(m_hWnd, &window)) return;
  Registry key;
  if (!OpenOwnTargetKey(&key, KEY_ALL_ACCESS)) return;
  key.SetDWord("PopupPOSX", static_cast<DWORD>(window.left));
  key.SetDWord("PopupPOSY", static_cast<DWORD>(window.top));
}

void CDetail::SetIntervals() {
  CTraceScope trace("CDetail::SetIntervals");
  const std::string defaultText = LibraryString(ResourceModule(), IDS_DEFAULT_TIMER, "");
  int local = vgdetail::DefaultLocalInterval(defaultText);
  int network = 30;
  Registry driver(HKEY_LOCAL_MACHINE, vgui::DriverKeyPath());
  if (vgui::DriverKeyPath()[0] != '\0' && driver.IsOpen()) {
    local = vgdetail::IntervalFromText(
        driver.GetString("LocalMonitoringTimer", defaultText.c_str(), MAX_PATH));
    network =
        vgdetail::IntervalFromText(driver.GetString("NetworkMonitoringTimer", "30", MAX_PATH));
  }
  Registry target;
  // A local interval that is no number leaves the monitor's "Timer" alone.
  if (local > 0 && OpenOwnTargetKey(&target, KEY_ALL_ACCESS)) {
    target.SetDWord("Timer", static_cast<DWORD>(local));
  }
  trace.Write("LocalTimer = %d, NetWorkTimer = %d\n", local, network);
  if (m_pQvStatus != nullptr) m_pQvStatus->SetIntervals(local, network);
}

int CDetail::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_MOVE:
      StorePopupPosition();
      return 0;
    case WM_SIZE: {
      const vgdetail::SizeMenu menuState = vgdetail::MenuAfterSize(static_cast<int>(wParam));
      HMENU menu = ::GetSystemMenu(hwnd, FALSE);
      if (menuState.changes && menu != nullptr) {
        ::EnableMenuItem(menu, SC_RESTORE,
                         MF_BYCOMMAND | (menuState.restoreGrey ? MF_GRAYED : MF_ENABLED));
        ::EnableMenuItem(menu, SC_MINIMIZE,
                         MF_BYCOMMAND | (menuState.minimiseGrey ? MF_GRAYED : MF_ENABLED));
      }
      m_cDialogView.OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      return 1;
    }
    case WM_CLOSE: {
      HMENU menu = ::GetSystemMenu(hwnd, FALSE);
      const UINT state = menu != nullptr ? ::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) : 0;
      if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED)) == 0) {
        ShutDown();
        EndWindow(2);
      }
      return 0;
    }
    case WM_ENDSESSION:
      // Only a session that really ends: a cancelled log-off keeps the window working.
      if (wParam != 0) ShutDown();
      return 0;
    case WM_DRAWITEM:
      m_cDialogView.OnDrawItem(wParam, lParam);
      return 1;
    case WM_WINDOWPOSCHANGING: {
      auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
      if (m_cDialogView.GetDialogType() == vgui::kDialogTypeHidden && position != nullptr &&
          (position->flags & SWP_SHOWWINDOW) != 0) {
        position->flags = (position->flags & ~SWP_SHOWWINDOW) | SWP_HIDEWINDOW;
      }
      return 0;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnOK();
          break;
        case IDC_STATUS_HELP:
          OnHelp();
          break;
        case kDetailStartCommand:
          BringSelfForward();
          break;
        default:
          break;
      }
      return 1;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == kAboutCommand) OnAbout();
      return 0;
    case WM_MOVING: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (rect != nullptr) {
        rect->right = rect->left + m_cDialogView.Width();
        rect->bottom = rect->top + m_cDialogView.Height();
      }
      return 1;
    }
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMSUSPEND) {
        ShutDown();
        EndWindow(2);
        return 0;
      }
      return 1;
    case WM_QUERYNEWPALETTE:
      ::InvalidateRect(hwnd, nullptr, TRUE);
      return 1;
    case WM_USERDETAIL:
      m_bAutoClose = false;
      m_bHelpAutoClose = false;  // help gives back no flag that the user has taken
      return 1;
    case WM_USERPOPUP:
      BringSelfForward();
      return 1;
    case WM_RESULT_DEVICEID_ERROR:
      OnResultQVDeviceID(static_cast<int>(wParam), 0);
      return 1;
    case WM_RESULT_CHANNEL_ERROR:
      OnResultQVStChannel(static_cast<int>(wParam), 0);
      return 1;
    case WM_RESULT_QVSTATUS:
      OnResultQVStatus(static_cast<int>(wParam), 0);
      return 1;
    case WM_STATUS_READ: {
      CTraceScope trace("WM_STATUS_READ");
      return 1;
    }
    default:
      return 0;
  }
}

int CDetail::OnOK() {
  CTraceScope trace("CDetail::OnOK");
  ShutDown();
  EndWindow(1);
  return 1;
}

void CDetail::OnHelp() {
  CTraceScope trace("CDetail::OnHelp");
  if (m_pPrinterStatus == nullptr || m_bInHelp || m_bShutDown) return;
  const vgdetail::HelpAction action = vgdetail::HelpActionOf(m_pPrinterStatus->GetHelpType());
  if (action == vgdetail::HelpAction::kNone) return;
  // While the user reads the help the window stays, whatever the printer does.
  m_bInHelp = true;
  m_bHelpAutoClose = m_bAutoClose;
  m_bAutoClose = false;
  if (action == vgdetail::HelpAction::kShell) {
    const std::string page = m_pPrinterStatus->GetHelpPath();
    ::ShellExecuteA(m_hWnd, nullptr, page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  } else {
    const HRSRC resource = m_pPrinterStatus->GetHelpResource();
    CTrouble trouble;
    trouble.DoModal(resource);
  }
  m_bAutoClose = m_bHelpAutoClose;
  m_bInHelp = false;
  RepostQuitIfEnded();
}

void CDetail::OnAbout() {
  CAboutBox about(m_hWnd);
  about.DoModal();
  RepostQuitIfEnded();
}

void CDetail::EndWindow(int code) {
  if (HasEnded()) return;
  m_nEndCode = code;
  End(code);
}

void CDetail::RepostQuitIfEnded() {
  if (HasEnded()) ::PostQuitMessage(m_nEndCode);
}

void CDetail::ShutDown() {
  CTraceScope trace("CDetail::ShutDown");
  if (m_bShutDown) return;
  m_bShutDown = true;
  m_cDialogView.Stop();
  if (m_hWnd != nullptr) ::ShowWindow(m_hWnd, SW_HIDE);
  if (!m_bNotOwner && m_hMapFile.IsValid()) {
    UnregisterMapWindow(MapNameSet::kPrinterLibrary, m_hMapFile.Get(), m_szPrinterName.c_str(),
                        m_szPortName.c_str(), kMapKindStatus, m_bPortMode ? 1 : 0);
  }
  m_hMapFile.Reset();
  // Nothing can be playing in a process that never asked for a sound.
  if (IsSoundLibraryLoaded()) {
    if (m_pBuzzer != nullptr) m_pBuzzer->Stop();
    if (m_pSound != nullptr) m_pSound->Stop();
  }
  if (m_pQvStatus != nullptr) {
    m_pQvStatus->EndStatusThread();
    if (m_pQvStatus->IsOpen()) m_pQvStatus->CloseChannel();
  }
}
