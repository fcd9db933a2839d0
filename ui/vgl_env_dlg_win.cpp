#include "ui/vgl_env_dlg_win.h"

#include <string>

#include "common/debug_log_win.h"
#include "common/install_profile_win.h"
#include "common/logon_user_win.h"
#include "common/map_records_win.h"
#include "common/notify_item_rules.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/res_message_win.h"
#include "common/target_keys_win.h"
#include "common/text_util.h"
#include "common/window_messages.h"
#include "common/windows_version_win.h"
#include "resources/vgres_ids.h"
#include "ui/agent_settings_win.h"
#include "ui/context_help_rules.h"
#include "ui/html_help_win.h"
#include "ui/preference_rules.h"
#include "ui/wait_dlg_win.h"
#include "ui/win_theme_ctrl_win.h"

namespace {

constexpr char kAppTitle[] = "KORVA Vigil 3";
constexpr char kAgentStateValue[] = "AGENTST2";
constexpr UINT kShieldMessage = 0x160C;  // BCM_SETSHIELD, Vista and later
constexpr int kIconSize = 16;
// Bitmaps 501, 502, 503 and 500, in the order of the preview handles.
constexpr int kPreviewIds[4] = {vgpref::kPreviewFirst, vgpref::kPreviewFirst + 1,
                                vgpref::kPreviewFirst + 2, vgpref::kPreviewNone};

bool CopyText(char (&out)[CVglEnvDlg::kTextSize], const char* text) {
  const std::string_view view = text != nullptr ? text : "";
  if (view.size() >= CVglEnvDlg::kTextSize) return false;
  vgtext::CopyBounded(out, sizeof out, view);
  return true;
}

std::string LoadText(HMODULE module, UINT id, int size = 260) {
  std::string text(static_cast<size_t>(size), '\0');
  const int length = ::LoadStringA(module, id, &text[0], size);
  text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return text;
}

int CALLBACK KeepOrder(LPARAM, LPARAM, LPARAM) { return 1; }

}  // namespace

CVglEnvDlg::CVglEnvDlg(HWND parent) : CDialogBox(0, parent), m_hParentWnd(parent) {}

CVglEnvDlg::~CVglEnvDlg() = default;

bool CVglEnvDlg::SetIdentity(const char* printerName, const char* driverName,
                             const char* portName, const char* modelId,
                             const char* resourceLibrary) {
  for (const char* text : {printerName, driverName, portName, modelId, resourceLibrary}) {
    if (text != nullptr && std::string_view(text).size() >= kTextSize) return false;
  }
  CopyText(m_szPrinterName, printerName);
  CopyText(m_szDriverName, driverName);
  CopyText(m_szPortName, portName);
  CopyText(m_szModelId, modelId);
  CopyText(m_szResDllPath, resourceLibrary);
  return true;
}

int CVglEnvDlg::LoadPreferenceResources() {
  CTraceScope trace("CVglEnvDlg::LoadPreferenceResources");
  m_bReady = false;
  m_bNtPlatform = IsNtPlatform();
  m_hResDll.Reset(m_szResDllPath[0] != '\0' ? ::LoadLibraryA(m_szResDllPath) : nullptr);
  if (!m_hResDll.IsValid()) {
    ::MessageBoxA(m_hParentWnd, "Cannot link Resource Dll", kAppTitle, MB_OK);
    return 0;
  }
  if (GetProfilePath(m_szProfilePath, m_szDriverName, m_szModelId) != 1 ||
      m_szProfilePath[0] == '\0') {
    ShowMessage(IDS_NO_PRINTER_DRIVER_INFO);
    return 0;
  }
  const bool buzzerSound =
      ::FindResourceA(m_hResDll.Get(), MAKEINTRESOURCEA(IDW_BUZZER), "WAVE") != nullptr;
  const int iniBuzzer = static_cast<int>(
      ::GetPrivateProfileIntA(m_szModelId, "BeepBuzzerEnable", -1, m_szProfilePath));
  // Sound is settled when the dialog opens; only the buzzer chooses the template.
  const vgpref::Capabilities caps = vgpref::DecideCapabilities(buzzerSound, iniBuzzer, 1);
  m_bNoBuzzer = caps.noBuzzer ? 1 : 0;
  m_wTemplate = static_cast<WORD>(vgpref::TemplateFor(caps));
  trace.Write("m_bNoBuzzer = %d, template = %d\n", m_bNoBuzzer, m_wTemplate);
  SetTemplateId(m_wTemplate);
  SetResourceModule(m_hResDll.Get());
  m_bReady = true;
  return 1;
}

int CVglEnvDlg::DoModal() {
  if (!m_bReady) return -1;
  return CDialogBox::DoModal();
}

int CVglEnvDlg::ShowMessage(UINT stringId) {
  return ShowResMessage(m_hWnd != nullptr ? m_hWnd : m_hParentWnd, m_hResDll.Get(), stringId);
}

int CVglEnvDlg::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      m_cIconList.Attach(::GetDlgItem(hwnd, IDC_TRAY_ICON_LIST));
      return OnInitDialog();
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnOK();
          return 1;
        case IDCANCEL:
          End(2);
          return 1;
        case IDC_PREF_HELP:
          OnHelpButton();
          return 1;
        case IDC_SOUND_ENABLE:
          UpdateControls(false);
          return 1;
        case IDC_BUZZER_ENABLE:
        case IDC_BUZZER_LOOP:
          UpdateControls(false);
          UpdateControls(true);  // the loop box follows the buzzer box
          return 1;
        case IDC_RESTORE_DEFAULTS:
          RestoreDefaults();
          return 1;
        case IDC_TRAY_ENABLE:
          OnTraySwitched();
          return 1;
        case IDC_AGENT_ALLOW:
          OnAgentPermissionSwitched();
          return 1;
        case IDC_AGENT_PENDING:
          OnAgentPendingSwitched();
          return 1;
        default:
          return 0;
      }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header == nullptr) return 0;
      if (header->idFrom == IDC_NOTIFY_LIST) {
        if (header->code == NM_CLICK) m_cNtfyList.OnClick();
        if (header->code == LVN_KEYDOWN) {
          m_cNtfyList.OnKeyDown(reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey);
        }
      } else if (header->idFrom == IDC_TRAY_ICON_LIST && m_cIconList.OnNotify(header)) {
        OnTraySelected();
      }
      return 0;
    }
    case WM_CONTEXTMENU:
      OnContextMenu(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
      return 1;
    case WM_HELP: {
      const int handled = OnHelpInfo(reinterpret_cast<const HELPINFO*>(lParam));
      // A dialog answers a message through its result slot, not its procedure's value.
      ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, handled);
      return handled;
    }
    case WM_PREFERENCES_FILE_OPEN_FAILED:
      if ((lParam & 1) == 0) ShowMessage(IDS_FILE_OPEN_FAILED);
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      ::BeginPaint(hwnd, &paint);
      ::EndPaint(hwnd, &paint);
      return 1;
    }
    case WM_CLOSE:
      End(2);
      return 1;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return 0;
  }
}

int CVglEnvDlg::OnInitDialog() {
  CTraceScope trace("CVglEnvDlg::OnInitDialog");
  HWND hwnd = m_hWnd;

  // One dialog per printer: a second one raises the first and goes.
  HWND existing = nullptr;
  ScopedHandle mapping;
  const int registered =
      RegisterMapWindow(MapNameSet::kPrinterLibrary, m_szPrinterName, m_szPortName,
                        kMapKindPreferences, hwnd, &existing, &mapping);
  if (registered == kMapWindowOpen && existing != nullptr && existing != hwnd) {
    trace.Write("preferences already open\n");
    ::SetForegroundWindow(existing);
    m_bDuplicate = 1;
    ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return 1;
  }
  m_hMapFile = std::move(mapping);

  const WindowsVersion version = GetWindowsVersion();
  if (version.nt && (version.major > 5 || (version.major == 5 && version.minor >= 1))) {
    CWinThemeCtrl theme;
    theme.EnableThemeDialogTexture(hwnd, kThemeDialogTextureEnableTab);
  }

  char helpFile[kTextSize] = {};
  if (GetLangProfileString("HelpFile", helpFile, sizeof helpFile, m_szProfilePath) != 0 ||
      helpFile[0] == '\0') {
    vgtext::CopyBounded(helpFile, sizeof helpFile, vgpref::kDefaultHelpFile);
  }
  char installDir[kTextSize] = {};
  GetInstallDir(installDir, m_szDriverName, m_szModelId);
  if (const auto path = vgpref::HelpFilePath(installDir, helpFile)) {
    vgtext::CopyBounded(m_szHelpFile, sizeof m_szHelpFile, *path);
  }
  ::SetWindowLongPtrA(hwnd, GWL_EXSTYLE,
                      ::GetWindowLongPtrA(hwnd, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
  ::SetWindowContextHelpId(hwnd, vghelp::kDialogHelpContext);

  const std::string title = vgpref::PreferencesTitle(
      LoadText(m_hResDll.Get(), IDS_PREFERENCES_TITLE), m_szPrinterName, m_szPortName);
  ::SetWindowTextA(hwnd, title.c_str());

  const int sound = GetLangProfileInt("SOUND", 0, m_szProfilePath);
  m_bNoSound = vgpref::NoSound(m_bNoBuzzer == 0, sound) ? 1 : 0;
  trace.Write("m_bNoSound = %d, m_bNoBuzzer = %d\n", m_bNoSound, m_bNoBuzzer);

  LoadSettings();

  m_cNtfyList.Prepare(::GetDlgItem(hwnd, IDC_NOTIFY_LIST), m_hResDll.Get());
  if (!LoadNotifyItems()) {
    trace.Write("LoadNotifyItems failed\n");
    ::ShowWindow(hwnd, SW_SHOW);
    return 1;
  }

  m_cNtfyList.LayOut();
  m_bShownTrayEnable = m_bTrayIconEnable;
  m_nShownTraySelected = m_nTrayIconSelected;
  UpdateControls(true);
  m_cIconList.SetEnabled(m_bShownTrayEnable != 0);
  m_cIconList.SetSelectedIndex(m_nShownTraySelected);
  m_cIconList.Fill(m_hResDll.Get());
  for (int i = 0; i < 4; ++i) {
    m_hPreview[i].Reset(static_cast<HBITMAP>(
        ::LoadImageA(m_hResDll.Get(), MAKEINTRESOURCEA(kPreviewIds[i]), IMAGE_BITMAP, 0, 0, 0)));
  }
  ShowPreview();
  const auto icon = [&](UINT id) {
    return reinterpret_cast<LPARAM>(::LoadImageA(m_hResDll.Get(), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                                 kIconSize, kIconSize, LR_SHARED));
  };
  ::SendDlgItemMessageA(hwnd, IDC_TRAY_ICON, STM_SETICON, icon(IDI_TRAY_SETTING), 0);

  // A printer offers sound or a buzzer, never both; the group shows what it offers.
  if (!m_bNoSound) {
    ::SendDlgItemMessageA(hwnd, IDC_SOUND_ICON, STM_SETICON, icon(IDI_SOUND_SETTING), 0);
  } else {
    ::ShowWindow(::GetDlgItem(hwnd, IDC_SOUND_ENABLE), SW_HIDE);
    ::ShowWindow(::GetDlgItem(hwnd, IDC_SOUND_ICON), SW_HIDE);
  }
  if (!m_bNoBuzzer) {
    ::SendDlgItemMessageA(hwnd, IDC_SOUND_ICON, STM_SETICON, icon(IDI_SOUND_SETTING), 0);
    ::ShowWindow(::GetDlgItem(hwnd, IDC_SOUND_ICON), SW_SHOW);
  } else {
    ::ShowWindow(::GetDlgItem(hwnd, IDC_BUZZER_ENABLE), SW_HIDE);
    ::ShowWindow(::GetDlgItem(hwnd, IDC_BUZZER_LOOP), SW_HIDE);
    if (m_bNoSound) ::ShowWindow(::GetDlgItem(hwnd, IDC_SOUND_ICON), SW_HIDE);
  }

  InitAgentCheckBoxes();
  InitHelp();
  UpdateControls(true);
  ::ShowWindow(hwnd, SW_SHOW);
  return 1;
}

int CVglEnvDlg::LoadSettings() {
  CTraceScope trace("CVglEnvDlg::LoadSettings");
  int kind = 0;
  HKEY root = HKEY_CURRENT_USER;
  CheckTargetRegKey(m_szPrinterName, m_szPortName, m_szModelId, &kind, m_szTargetKey, &root);
  m_hTargetRoot = root;
  Registry key;
  if (m_szTargetKey[0] == '\0' || !key.Open(root, m_szTargetKey, KEY_ALL_ACCESS)) {
    trace.Write("can't open target key : %s\n", m_szTargetKey);
    return 0;
  }
  vgpref::Capabilities caps;
  caps.noSound = m_bNoSound != 0;
  caps.noBuzzer = m_bNoBuzzer != 0;
  int* members[vgpref::kSettingCount] = {&m_bSoundNotifyEnable, &m_bBeepBuzzerEnable,
                                         &m_bLoopBuzzer, &m_bTrayIconEnable,
                                         &m_nTrayIconSelected};
  for (size_t i = 0; i < vgpref::kSettingCount; ++i) {
    const vgpref::SettingRow& row = vgpref::kSettings[i];
    if (!vgpref::IsOffered(row, caps)) {
      *members[i] = 0;
      continue;
    }
    DWORD stored = 0;
    if (!key.QueryDWord(row.value, 0, &stored)) {
      stored = ::GetPrivateProfileIntA(m_szModelId, row.iniKey, row.iniDefault, m_szProfilePath);
      key.SetDWord(row.value, stored);
      trace.Write("%s written back : %d\n", row.value, static_cast<int>(stored));
    }
    *members[i] = vgpref::LoadedValue(row, static_cast<int32_t>(stored));
  }
  key.Close();
  m_nAgentKind = GetAgentKind(m_szDriverName);
  m_bAgentAllowed = IsAgentAllowed(m_nAgentKind) >= 1 ? 1 : 0;
  m_bAgentAllowedAtOpening = m_bAgentAllowed;
  UpdateControls(true);
  return 1;
}

int CVglEnvDlg::LoadNotifyItems() {
  CTraceScope trace("CVglEnvDlg::LoadNotifyItems");
  if (m_szTargetKey[0] == '\0') return 0;
  const std::string notifyPath = std::string(m_szTargetKey) + "\\Notify";
  Registry notify;
  notify.Create(m_hTargetRoot, notifyPath.c_str());
  if (!notify.IsOpen()) return 0;

  const int count = vgpref::NotifyItemCount(
      LoadText(m_hResDll.Get(), IDS_NOTIFY_ITEM_COUNT, vgpref::kItemCountDigits + 1));
  m_aEntries.clear();
  m_aEntries.reserve(static_cast<size_t>(count) + 1);
  for (int i = 0; i < count; ++i) {
    const vgpref::NotifyItemRow item = vgpref::NotifyItemAt(i);
    const std::string label = LoadText(m_hResDll.Get(), item.labelId);
    const std::string name = vgnotify::NotifyValueName(item.number);
    DWORD stored = 0;
    if (!notify.QueryDWord(name.c_str(), 0, &stored)) {
      stored = ::GetPrivateProfileIntA(m_szModelId, ("ITEM" + name).c_str(), 0, m_szProfilePath);
      notify.SetDWord(name.c_str(), stored);
    }
    const int value = vgpref::NormaliseSwitch(static_cast<int32_t>(stored));
    m_aEntries.emplace_back(item.number, value);
    m_cNtfyList.Add(label.c_str(), value, item.number);
  }
  if (m_cNtfyList.GetSafeHwnd() != nullptr) {
    ::SendMessageA(m_cNtfyList.GetSafeHwnd(), LVM_SORTITEMS, 0,
                   reinterpret_cast<LPARAM>(&KeepOrder));
  }
  return 1;
}

void CVglEnvDlg::UpdateControls(bool toControls) {
  HWND hwnd = m_hWnd;
  if (hwnd == nullptr) return;
  struct Box {
    int id;
    int* member;
  };
  const Box boxes[] = {
      {IDC_TRAY_ENABLE, &m_bTrayIconEnable},     {IDC_SOUND_ENABLE, &m_bSoundNotifyEnable},
      {IDC_BUZZER_ENABLE, &m_bBeepBuzzerEnable}, {IDC_BUZZER_LOOP, &m_bLoopBuzzer},
      {IDC_AGENT_ALLOW, &m_bAgentAllowed},       {IDC_AGENT_PENDING, &m_bAgentPending},
  };
  for (const Box& box : boxes) {
    if (toControls) {
      ::CheckDlgButton(hwnd, box.id, *box.member == 1 ? BST_CHECKED : BST_UNCHECKED);
    } else {
      *box.member = ::IsDlgButtonChecked(hwnd, box.id) == BST_CHECKED ? 1 : 0;
    }
  }
  if (toControls) {
    ::EnableWindow(::GetDlgItem(hwnd, IDC_BUZZER_LOOP), m_bBeepBuzzerEnable == 1);
  }
}

void CVglEnvDlg::RestoreDefaults() {
  UpdateControls(false);
  const auto iniSwitch = [&](const char* key) {
    return vgpref::NormaliseSwitch(
        static_cast<int32_t>(::GetPrivateProfileIntA(m_szModelId, key, 0, m_szProfilePath)));
  };
  // A setting the printer does not offer stays off: it is never shown.
  m_bSoundNotifyEnable = m_bNoSound ? 0 : iniSwitch("SoundNotifyEnable");
  if (!m_bNoBuzzer) {
    m_bBeepBuzzerEnable = iniSwitch("BeepBuzzerEnable");
    m_bLoopBuzzer = iniSwitch("LoopBuzzer");
  }
  const int count = m_cNtfyList.Count();
  for (int i = 0; i < count; ++i) {
    const std::string key = "ITEM" + vgnotify::NotifyValueName(m_cNtfyList.NumberOf(i));
    m_cNtfyList.SetValue(i, iniSwitch(key.c_str()));
  }
  UpdateControls(true);
}

int CVglEnvDlg::SaveSettings() {
  CTraceScope trace("CVglEnvDlg::SaveSettings");
  Registry key;
  if (m_szTargetKey[0] == '\0' || !key.Open(m_hTargetRoot, m_szTargetKey, KEY_ALL_ACCESS)) {
    trace.Write("can't open target key : %s\n", m_szTargetKey);
    return 0;
  }
  key.SetDWord("SoundNotifyEnable", static_cast<DWORD>(m_bSoundNotifyEnable));
  if (!m_bNoBuzzer) {
    key.SetDWord("BeepBuzzerEnable", static_cast<DWORD>(m_bBeepBuzzerEnable));
    key.SetDWord("LoopBuzzer", static_cast<DWORD>(m_bLoopBuzzer));
  }
  key.SetDWord("TrayIconEnable", static_cast<DWORD>(m_bTrayIconEnable));
  key.SetDWord("TrayIconSelected", static_cast<DWORD>(m_nTrayIconSelected));

  const std::string notifyPath = std::string(m_szTargetKey) + "\\Notify";
  Registry notify;
  notify.Create(m_hTargetRoot, notifyPath.c_str());
  if (!notify.IsOpen()) return 0;
  const int count = m_cNtfyList.Count();
  for (int i = 0; i < count; ++i) {
    const int number = m_cNtfyList.NumberOf(i);
    for (CNtfyEntry& entry : m_aEntries) {
      if (entry.Number() != number) continue;
      entry.SetValue(m_cNtfyList.ValueOf(i));
      notify.SetDWord(entry.ValueName(), static_cast<DWORD>(entry.Value()));
      break;
    }
  }
  return 1;
}

void CVglEnvDlg::ShowPreview() {
  const int id = vgpref::PreviewBitmapFor(m_bShownTrayEnable != 0, m_nShownTraySelected);
  for (int i = 0; i < 4; ++i) {
    if (kPreviewIds[i] != id) continue;
    ::SendDlgItemMessageA(m_hWnd, IDC_TRAY_PREVIEW, STM_SETIMAGE, IMAGE_BITMAP,
                          reinterpret_cast<LPARAM>(m_hPreview[i].Get()));
  }
}

void CVglEnvDlg::OnTraySwitched() {
  UpdateControls(false);
  m_bShownTrayEnable = m_bTrayIconEnable;
  m_nShownTraySelected = m_nTrayIconSelected;
  ShowPreview();
  m_cIconList.SetEnabled(m_bShownTrayEnable != 0);
  m_cIconList.SetSelectedIndex(m_nShownTraySelected);
  if (m_bShownTrayEnable) {
    m_cIconList.Enable();
  } else {
    m_cIconList.Disable();
  }
  UpdateControls(true);
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CVglEnvDlg::OnTraySelected() {
  UpdateControls(false);
  m_nTrayIconSelected = m_cIconList.SelectedIndex();
  m_bShownTrayEnable = m_bTrayIconEnable;
  m_nShownTraySelected = m_nTrayIconSelected;
  ShowPreview();
  UpdateControls(true);
}

bool CVglEnvDlg::IsLegacyNetworkOnlyNow() const {
  return !m_bNtPlatform && IsLegacyNetworkOnly(m_nAgentKind) != 0;
}

void CVglEnvDlg::InitAgentCheckBoxes() {
  CTraceScope trace("CVglEnvDlg::InitAgentCheckBoxes");
  bool legacyOnly = false;
  if (!m_bNtPlatform) {
    if (m_bAgentAllowed && IsLegacyNetworkOnlyNow()) {
      legacyOnly = true;
      ShowMessage(IDS_AGENT_LEGACY_NETWORK);
      CWaitDlg wait(m_szResDllPath, nullptr);
      wait.SetSAgent(0);
      m_bAgentAllowed = 0;
      m_bAgentAllowedAtOpening = 0;
    }
  } else {
    if (!IsAdministrator()) {
      ::EnableWindow(::GetDlgItem(m_hWnd, IDC_AGENT_ALLOW), FALSE);
      ::EnableWindow(::GetDlgItem(m_hWnd, IDC_AGENT_PENDING), FALSE);
    }
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_AGENT_PENDING), SW_HIDE);
  }

  m_bAgentPending = 0;
  Registry key;
  if (!key.Open(HKEY_LOCAL_MACHINE, vgreg::kQoltCommonKey, KEY_ALL_ACCESS)) return;
  DWORD state = 0;
  if (!key.QueryDWord(kAgentStateValue, 0, &state)) return;
  trace.Write("AGENTST2 = %d\n", static_cast<int>(state));
  if (state == 0 || legacyOnly) {
    if (legacyOnly) ShowMessage(IDS_AGENT_PENDING_CANCELLED);
    key.DeleteValue(kAgentStateValue);
  } else {
    m_bAgentPending = 1;
  }
}

void CVglEnvDlg::OnAgentPermissionSwitched() {
  UpdateControls(false);
  if (IsLegacyNetworkOnlyNow()) {
    if (m_bAgentAllowed) {
      ShowMessage(IDS_AGENT_LEGACY_NETWORK);
      m_bAgentAllowed = 0;
      UpdateControls(true);
    }
    return;
  }
  // Changing the agent's permission needs an administrator: OK shows it.
  ::SendDlgItemMessageA(m_hWnd, IDOK, kShieldMessage, 0,
                        m_bAgentAllowed != m_bAgentAllowedAtOpening ? TRUE : FALSE);
  UpdateControls(true);
}

void CVglEnvDlg::OnAgentPendingSwitched() {
  UpdateControls(false);
  if (m_bAgentPending && IsLegacyNetworkOnlyNow()) {
    ShowMessage(IDS_AGENT_PENDING_CANCELLED);
    m_bAgentPending = 0;
  }
  UpdateControls(true);
}

void CVglEnvDlg::OnOK() {
  CTraceScope trace("CVglEnvDlg::OnOK");
  UpdateControls(false);
  SaveSettings();
  if (const auto inhibit = vgpref::AgentInhibitFlag(m_bAgentAllowedAtOpening != 0,
                                                     m_bAgentAllowed != 0)) {
    AgentDialogInfo info;
    info.driverName = m_szDriverName;
    info.printerName = m_szPrinterName;
    info.dialog = m_hWnd;
    info.resourceLibrary = m_szResDllPath;
    SetQOLTAgent2(info, *inhibit);
  }
  End(1);
}

void CVglEnvDlg::OnDestroy() {
  m_aEntries.clear();
  if (!m_bDuplicate && m_hMapFile.IsValid()) {
    UnregisterMapWindow(MapNameSet::kPrinterLibrary, m_hMapFile.Get(), m_szPrinterName,
                        m_szPortName, kMapKindPreferences, m_szPrinterName[0] == '\0' ? 1 : 0);
  }
  m_hMapFile.Reset();
  // The help program that WinHelp started would outlive the dialog.
  if (m_bWinHelpUsed) {
    ::WinHelpA(m_hWnd, m_szHelpFile, HELP_QUIT, 0);
    m_bWinHelpUsed = false;
  }
  if (m_bHelpInitialised) {
    VgHtmlHelpA(nullptr, nullptr, HH_UNINITIALIZE, m_dwHelpCookie);
    m_bHelpInitialised = false;
  }
}
