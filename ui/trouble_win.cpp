#include "ui/trouble_win.h"

#include <vector>

#include "common/debug_log_win.h"
#include "resources/vgres_ids.h"
#include "ui/trouble_pages.h"

namespace {

constexpr int kPictureWidth = 160;
constexpr int kPictureHeight = 120;
constexpr int kPageTextSize = 1024;

void ShowItem(HWND dialog, int id, bool shown, bool enabled) {
  HWND item = ::GetDlgItem(dialog, id);
  if (item == nullptr) return;
  ::EnableWindow(item, enabled ? TRUE : FALSE);
  ::ShowWindow(item, shown ? SW_SHOW : SW_HIDE);
}

void SetButtonStyle(HWND dialog, int id, LONG style) {
  HWND button = ::GetDlgItem(dialog, id);
  if (button != nullptr) ::SendMessageA(button, BM_SETSTYLE, style, TRUE);
}

}  // namespace

CTrouble::CTrouble() : CDialogBox(IDD_TROUBLE, nullptr) {}

CTrouble::~CTrouble() = default;

int CTrouble::DoModal() { return CDialogBox::DoModal(); }

int CTrouble::DoModal(HRSRC resource) {
  m_hTrouble = resource;
  return DoModal();
}

int CTrouble::OnOK() {
  End(1);
  return 1;
}

void CTrouble::AttachControls(HWND hwnd) {
  m_cPicture.Attach(::GetDlgItem(hwnd, IDC_TROUBLE_PICTURE));
}

int CTrouble::OnInitDialog() {
  CTraceScope trace("CTrouble::OnInitDialog");
  m_nPage = 0;
  HMODULE module = ResourceModule();
  HGLOBAL loaded = m_hTrouble != nullptr ? ::LoadResource(module, m_hTrouble) : nullptr;
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  const DWORD size = data != nullptr ? ::SizeofResource(module, m_hTrouble) : 0;
  // A walk-through without pages has nothing to show either.
  if (data == nullptr || !vgui::ParseTroubleResource(data, size, &m_stResource) ||
      m_stResource.pages.empty()) {
    trace.Write("error : no trouble resource\n");
    End(1);
    return 1;
  }
  m_cPicture.SetModule(module);
  m_cPicture.SetImageSize(kPictureWidth, kPictureHeight);
  ::SetWindowTextA(m_hWnd, m_stResource.title.c_str());
  ShowPage(0);
  // Activated once it shows (a hidden window would keep an inactive caption), and then the
  // page's default button takes the focus.
  ::ShowWindow(m_hWnd, SW_SHOW);
  FocusDefaultButton();
  return 0;  // the focus is set
}

void CTrouble::ShowPage(int index) {
  if (index < 0 || index >= static_cast<int>(m_stResource.pages.size())) return;
  m_nPage = index;
  const vgui::TroublePage& page = m_stResource.pages[index];
  const vgui::PageLayout layout = vgui::LayoutOfPage(page, index);

  char text[kPageTextSize] = {};
  ::LoadStringA(ResourceModule(), page.textId, text, sizeof text);
  ::SetDlgItemTextA(m_hWnd, IDC_TROUBLE_TEXT, text);

  if (layout.pictureShown) {
    const std::vector<uint16_t> frames = vgui::FrameIdsOf(page);
    m_cPicture.SetFrames(static_cast<int>(frames.size()), frames.data());
    ShowItem(m_hWnd, IDC_TROUBLE_PICTURE, true, true);
  } else {
    m_cPicture.Stop();
    ShowItem(m_hWnd, IDC_TROUBLE_PICTURE, false, true);
  }
  ShowItem(m_hWnd, IDC_TROUBLE_CLOSE, layout.extraShown, layout.extraShown);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_TROUBLE_BACK), layout.backEnabled ? TRUE : FALSE);
  ShowItem(m_hWnd, IDC_TROUBLE_NEXT, layout.nextShown, layout.nextEnabled);
  ShowItem(m_hWnd, IDOK, layout.okShown, layout.okShown);

  int defaultId = 0;
  if (layout.defaultButton == vgui::DefaultButton::kNext) defaultId = IDC_TROUBLE_NEXT;
  if (layout.defaultButton == vgui::DefaultButton::kOk) defaultId = IDOK;
  if (defaultId != 0) {
    for (int id : {IDC_TROUBLE_CLOSE, IDC_TROUBLE_BACK, IDOK, IDC_TROUBLE_NEXT}) {
      SetButtonStyle(m_hWnd, id, id == defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    }
    // The Enter key presses the default button only when the dialog knows it.
    ::SendMessageA(m_hWnd, DM_SETDEFID, defaultId, 0);
    if (::IsWindowVisible(m_hWnd)) FocusDefaultButton();
  } else {
    // Back from the last page: the hidden OK must not stay the default button.
    if (!layout.okShown && LOWORD(::SendMessageA(m_hWnd, DM_GETDEFID, 0, 0)) == IDOK) {
      SetButtonStyle(m_hWnd, IDOK, BS_PUSHBUTTON);
      SetButtonStyle(m_hWnd, IDC_TROUBLE_NEXT, BS_DEFPUSHBUTTON);
      ::SendMessageA(m_hWnd, DM_SETDEFID, IDC_TROUBLE_NEXT, 0);
    }
    // The focus must not stay on a button that this page disabled.
    if (::GetFocus() != nullptr && !::IsWindowEnabled(::GetFocus())) {
      ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, FALSE);
    }
  }
}

void CTrouble::FocusDefaultButton() {
  HWND button = ::GetDlgItem(m_hWnd, LOWORD(::SendMessageA(m_hWnd, DM_GETDEFID, 0, 0)));
  ::SetActiveWindow(m_hWnd);
  if (button != nullptr && ::IsWindowVisible(button) && ::IsWindowEnabled(button)) {
    ::SetFocus(button);
  } else {
    // A page whose Next is disabled: the focus goes to the first control that takes it.
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, FALSE);
  }
}

int CTrouble::OnMessage(HWND, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          // Only the visible OK button finishes; the Enter key on another page does not.
          if (::IsWindowVisible(::GetDlgItem(m_hWnd, IDOK))) return OnOK();
          return 1;
        case IDC_TROUBLE_BACK:
          ShowPage(vgui::StepPage(m_nPage, -1, static_cast<int>(m_stResource.pages.size())));
          return 1;
        case IDC_TROUBLE_NEXT:
          ShowPage(vgui::StepPage(m_nPage, +1, static_cast<int>(m_stResource.pages.size())));
          return 1;
        case IDC_TROUBLE_CLOSE:
        case IDCANCEL:  // the Escape key and the caption's close button
          End(1);
          return 1;
        default:
          return 0;
      }
    case WM_DESTROY:
      m_cPicture.Stop();
      End(1);
      return 0;
    default:
      return 0;
  }
}
