#include "ui/list_host.h"

#include <utility>

namespace vgtest {

namespace {
constexpr UINT kRunMessage = WM_APP + 40;
}  // namespace

ListHost::ListHost(std::vector<NotifyItemSample> items, bool trayEnabled, int traySelected)
    : CDialogBox(IDD_PREFERENCES, nullptr),
      m_items(std::move(items)),
      m_bTrayEnabled(trayEnabled),
      m_nTraySelected(traySelected) {}

int ListHost::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      m_cIcons.Attach(::GetDlgItem(hwnd, IDC_TRAY_ICON_LIST));
      m_cNotify.Prepare(::GetDlgItem(hwnd, IDC_NOTIFY_LIST), ResourceModule());
      for (const auto& item : m_items) m_cNotify.Add(item.label.c_str(), item.value, item.number);
      m_cNotify.LayOut();
      m_cIcons.SetEnabled(m_bTrayEnabled);
      m_cIcons.SetSelectedIndex(m_nTraySelected);
      m_cIcons.Fill(ResourceModule());
      ::ShowWindow(hwnd, SW_SHOW);
      return 1;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_NOTIFY_LIST) {
        if (header->code == NM_CLICK) m_cNotify.OnClick();
        if (header->code == LVN_KEYDOWN) {
          m_cNotify.OnKeyDown(reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey);
        }
      } else if (header->idFrom == IDC_TRAY_ICON_LIST && m_cIcons.OnNotify(header)) {
        ++m_nSelections;
      }
      return 0;
    }
    case kRunMessage:
      (*reinterpret_cast<const std::function<void()>*>(lParam))();
      return 1;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) End(1);
      if (LOWORD(wParam) == IDCANCEL) End(2);
      return 1;
    case WM_CLOSE:
      End(2);
      return 1;
    default:
      return 0;
  }
}

void ListHost::Run(const std::function<void()>& work) {
  ::SendMessageA(m_hWnd, kRunMessage, 0, reinterpret_cast<LPARAM>(&work));
}

void ClickAt(HWND window, POINT client) {
  POINT screen = client;
  ::ClientToScreen(window, &screen);
  ::SetCursorPos(screen.x, screen.y);
  const LPARAM at = MAKELPARAM(client.x, client.y);
  ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageA(window, WM_LBUTTONUP, 0, at);
}

}  // namespace vgtest
