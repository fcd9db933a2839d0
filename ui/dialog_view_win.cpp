#include "ui/dialog_view_win.h"

#include "common/debug_log_win.h"
#include "common/text_util.h"
#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"
#include "ui/dialog_view_rules.h"

namespace {

// The title's first part when the resource library cannot give it.
const char kFallbackTitle[] = "KORVA Vigil 3";

int WindowWidth(HWND window) {
  RECT rect = {};
  if (window == nullptr || !::GetWindowRect(window, &rect)) return 0;
  return rect.right - rect.left;
}

}  // namespace

CDialogView::CDialogView() : m_pView(&m_cStatusView) {}

CDialogView::~CDialogView() = default;

int CDialogView::Init(HWND dialog, HMODULE resourceModule, const ViewProfile& profile) {
  CTraceScope trace("CDialogView::Init");
  m_hDialog = dialog;
  m_hResource = resourceModule;
  if (m_pView->Init(dialog, resourceModule, profile) == 0) return 0;
  m_nWidth = WindowWidth(dialog);
  m_nHeight = ::GetSystemMetrics(SM_CYDLGFRAME) + ::GetSystemMetrics(SM_CYCAPTION);
  return 1;
}

void CDialogView::Stop() { m_pView->Stop(); }

void CDialogView::Show(int cmd) {
  const vgui::ShowDecision decision = vgui::DecideShow(m_nDialogType, cmd, m_bVisible != 0);
  m_bVisible = decision.visible ? 1 : 0;
  if (m_hDialog != nullptr) ::ShowWindow(m_hDialog, decision.command);
}

int CDialogView::SetViewStatus(const CPrinterStatus* status) {
  CTraceScope trace("CDialogView::SetViewStatus");
  m_pView->SetViewStatus(status);
  return 1;
}

int CDialogView::BringToFront(int type) {
  switch (vgui::DecideBringToFront(m_bVisible != 0, type, m_nDialogType)) {
    case vgui::FrontAction::kNothing:
      return 0;
    case vgui::FrontAction::kHide:
      ::ShowWindow(m_hDialog, SW_HIDE);
      return 1;
    case vgui::FrontAction::kToTop:
      ::SetWindowPos(m_hDialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
      ::SetForegroundWindow(m_hDialog);
      return 1;
  }
  return 0;
}

void CDialogView::OnDrawItem(WPARAM wParam, LPARAM lParam) { m_pView->OnDrawItem(wParam, lParam); }

void CDialogView::OnSize(UINT sizeType, int, int) {
  if (sizeType == SIZE_RESTORED && m_hDialog != nullptr) {
    ::SetWindowTextA(m_hDialog, BuildTitle().c_str());
  }
}

std::string CDialogView::BuildTitle() const {
  char title[MAX_PATH] = {};
  if (m_hResource == nullptr ||
      ::LoadStringA(m_hResource, IDS_APP_TITLE, title, sizeof title) <= 0) {
    vgtext::CopyBounded(title, sizeof title, kFallbackTitle);
  }
  const CBaseInfo& printer = TheApp().BaseInfo();
  return vgui::BuildTitle(title, printer.PrinterName(), printer.PortName());
}

int CDialogView::ChangeDialogType(int type) {
  CTraceScope trace("CDialogView::ChangeDialogType");
  const int previous = m_nDialogType;
  if (type == previous) return previous;
  m_nDialogType = type;
  if (m_hDialog == nullptr) return previous;
  ::SetWindowTextA(m_hDialog, BuildTitle().c_str());

  m_pView->Show(1);
  m_pView->Enable(1);

  // The user may close the window, never minimise it.
  HMENU menu = ::GetSystemMenu(m_hDialog, FALSE);
  if (menu != nullptr) {
    ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    ::EnableMenuItem(menu, SC_MINIMIZE, MF_BYCOMMAND | MF_GRAYED);
  }
  const LONG_PTR style = ::GetWindowLongPtrA(m_hDialog, GWL_STYLE);
  ::SetWindowLongPtrA(m_hDialog, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_MINIMIZEBOX));
  if (::IsIconic(m_hDialog)) ::ShowWindow(m_hDialog, SW_RESTORE);
  trace.Write("Dialog type : VGL_DLGTYPE_DETAIL\n");

  Resize();
  BringToFront(type);
  return previous;
}

void CDialogView::Resize() {
  if (m_hDialog == nullptr) return;
  const int frame = ::GetSystemMetrics(SM_CYDLGFRAME);
  const int caption = ::GetSystemMetrics(SM_CYCAPTION);
  const bool shown = m_pView->IsShown() != 0;
  int viewHeight = 0;
  if (shown) {
    m_pView->Move(frame, frame + caption);
    m_pView->GetSize(nullptr, &viewHeight);
  }
  m_nHeight = vgui::WindowHeightFor(frame, caption, shown, viewHeight);
  m_nWidth = WindowWidth(m_hDialog);
  ::SetWindowPos(m_hDialog, nullptr, 0, 0, m_nWidth, m_nHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::InvalidateRect(m_hDialog, nullptr, TRUE);
}
