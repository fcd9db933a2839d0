// Context help of the preferences dialog: a right click or the help key on a control offers
// "What's This?" and opens the control's topic in a small help window beside the mouse
// cursor. A compiled HTML Help file goes through the HTML Help control, any other file
// through WinHelp. A missing file or control only makes the calls do nothing.
#include <string>

#include "common/debug_log_win.h"
#include "common/unique_handle.h"
#include "common/vgl_param.h"
#include "resources/vgres_ids.h"
#include "ui/context_help_rules.h"
#include "ui/html_help_win.h"
#include "ui/vgl_env_dlg_win.h"

namespace {

constexpr UINT kWhatsThisCommand = 243;
constexpr uint32_t kDialogTopic = 0x3000;
constexpr int kButtons[] = {IDOK, IDCANCEL, IDC_PREF_HELP};

// The table as both help engines take it: pairs of 32-bit words.
ULONG_PTR HelpTable() { return reinterpret_cast<ULONG_PTR>(vghelp::kControlHelp); }

bool InsideControl(HWND dialog, int id, int x, int y) {
  RECT rect = {};
  HWND control = ::GetDlgItem(dialog, id);
  if (control == nullptr || !::GetWindowRect(control, &rect)) return false;
  return vghelp::Contains({rect.left, rect.top, rect.right, rect.bottom}, x, y);
}

bool InsideButtons(HWND dialog, int x, int y) {
  for (int id : kButtons) {
    if (InsideControl(dialog, id, x, y)) return true;
  }
  return false;
}

// The topic of the first table row whose control is the window.
uint32_t TopicOfWindow(HWND dialog, HWND window) {
  if (window == nullptr) return 0;
  for (const vghelp::HelpRow& row : vghelp::kControlHelp) {
    if (row.control == 0) break;
    if (::GetDlgItem(dialog, static_cast<int>(row.control)) == window) return row.topic;
  }
  return 0;
}

}  // namespace

bool CVglEnvDlg::IsHtmlHelp() const { return IsHtmlHelpFile(m_szHelpFile) != 0; }

void CVglEnvDlg::CallWinHelp(HWND window, UINT command, ULONG_PTR data) {
  m_bWinHelpUsed = true;
  ::WinHelpA(window, m_szHelpFile, command, data);
}

void CVglEnvDlg::InitHelp() {
  if (!IsHtmlHelp()) return;
  VgHtmlHelpA(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&m_dwHelpCookie));
  m_bHelpInitialised = true;
  DefineHelpWindowType();
}

void CVglEnvDlg::DefineHelpWindowType() {
  POINT cursor = {};
  ::GetCursorPos(&cursor);
  const vghelp::Rect place =
      vghelp::HelpWindowRect(cursor.x, cursor.y, ::GetSystemMetrics(SM_CXSCREEN),
                             ::GetSystemMetrics(SM_CYSCREEN));
  const std::string typeName(vghelp::kWindowType);
  HH_WINTYPE type = {};
  type.cbStruct = sizeof type;
  type.pszType = typeName.c_str();
  type.fsValidMembers = HHWIN_PARAM_EXSTYLES | HHWIN_PARAM_SHOWSTATE | HHWIN_PARAM_RECT |
                        HHWIN_PARAM_TB_FLAGS | HHWIN_PARAM_TABPOS | HHWIN_PARAM_TABORDER;
  type.dwExStyles = WS_EX_TOOLWINDOW;
  type.nShowState = SW_RESTORE;
  type.hwndCaller = m_hWnd;
  type.fsToolBarFlags = 0;
  type.tabpos = 0;
  const auto order = vghelp::HelpTabOrder();
  for (size_t i = 0; i < order.size() && i < sizeof type.tabOrder; ++i) type.tabOrder[i] = order[i];
  type.rcWindowPos = RECT{place.left, place.top, place.right, place.bottom};
  VgHtmlHelpA(m_hWnd, nullptr, HH_SET_WIN_TYPE, reinterpret_cast<DWORD_PTR>(&type));
}

int CVglEnvDlg::PopUpHelpMenu() {
  CTraceScope trace("CVglEnvDlg::PopUpHelpMenu");
  ScopedMenu menu(::CreatePopupMenu());
  if (!menu.IsValid()) return 0;
  char text[260] = {};
  ::LoadStringA(m_hResDll.Get(), IDS_HELP_WHATS_THIS, text, sizeof text);
  ::AppendMenuA(menu.Get(), MF_STRING, kWhatsThisCommand, text);
  POINT cursor = {};
  ::GetCursorPos(&cursor);
  // The menu closes on a click elsewhere only while its owner is in front.
  ::SetForegroundWindow(m_hWnd);
  const BOOL track =
      ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                       cursor.x, cursor.y, 0, m_hWnd, nullptr);
  trace.Write("bTrack = %d\n", track);
  menu.Reset();
  trace.Write("Exit CVglEnvDlg::PopUpHelpMenu\n");
  return track == static_cast<BOOL>(kWhatsThisCommand) ? 1 : 0;
}

void CVglEnvDlg::OnContextMenu(HWND window, int x, int y) {
  CTraceScope trace("CVglEnvDlg::OnContextMenu");
  trace.Write("hWnd=%d, m_hWnd=%d, x = %d, y = %d\n",
              static_cast<int>(reinterpret_cast<INT_PTR>(window)),
              static_cast<int>(reinterpret_cast<INT_PTR>(m_hWnd)), x, y);
  if (!IsHtmlHelp()) {
    CallWinHelp(window, HELP_CONTEXTMENU, HelpTable());
    return;
  }
  uint32_t topic = TopicOfWindow(m_hWnd, window);
  if (topic == 0) {
    topic = vghelp::TopicOfGroups(InsideControl(m_hWnd, vghelp::kNotifyGroup, x, y),
                                  InsideControl(m_hWnd, vghelp::kTrayGroup, x, y));
  }
  if (topic != 0) {
    if (PopUpHelpMenu() != 1) return;
    DefineHelpWindowType();
    if (const auto address = vghelp::TopicAddress(m_szHelpFile, topic)) {
      VgHtmlHelpA(window, address->c_str(), HH_DISPLAY_TOPIC, 0);
    }
    return;
  }
  if (InsideButtons(m_hWnd, x, y) && PopUpHelpMenu() == 1) {
    VgHtmlHelpA(window, m_szHelpFile, HH_TP_HELP_CONTEXTMENU, HelpTable());
  }
}

int CVglEnvDlg::OnHelpInfo(const HELPINFO* info) {
  CTraceScope trace("CVglEnvDlg::OnHelpInfo");
  if (info == nullptr) return 1;
  HWND item = static_cast<HWND>(info->hItemHandle);
  if (!IsHtmlHelp()) {
    CallWinHelp(item, HELP_WM_HELP, HelpTable());
    return 1;
  }
  DefineHelpWindowType();
  const uint32_t topic = TopicOfWindow(m_hWnd, item);
  if (topic != 0) {
    if (const auto address = vghelp::TopicAddress(m_szHelpFile, topic)) {
      VgHtmlHelpA(item, address->c_str(), HH_DISPLAY_TOPIC, 0);
    }
    return 1;
  }
  if (InsideButtons(m_hWnd, info->MousePos.x, info->MousePos.y)) {
    VgHtmlHelpA(item, m_szHelpFile, HH_TP_HELP_WM_HELP, HelpTable());
  }
  return 1;
}

void CVglEnvDlg::OnHelpButton() {
  // The Help button opens the page of the whole dialog.
  if (!IsHtmlHelp()) {
    CallWinHelp(m_hWnd, HELP_CONTEXT, kDialogTopic);
    return;
  }
  DefineHelpWindowType();
  if (const auto address = vghelp::TopicAddress(m_szHelpFile, kDialogTopic)) {
    VgHtmlHelpA(m_hWnd, address->c_str(), HH_DISPLAY_TOPIC, 0);
  }
}
