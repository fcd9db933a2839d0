#include "ui/status_view_win.h"

#include <vector>

#include "common/debug_log_win.h"
#include "printer/printer_status_win.h"
#include "resources/vgres_ids.h"
#include "ui/status_view_rules.h"

namespace {

// The message's size in points.
constexpr int kMessagePoints = 12;

// The model's picture file for a key of the status-table file ("" when it names none).
std::string PictureFileName(const ViewProfile& profile, const char* key) {
  if (profile.statusTableFile == nullptr || profile.statusTableFile[0] == '\0' ||
      profile.modelId == nullptr) {
    return "";
  }
  char name[MAX_PATH] = {};
  ::GetPrivateProfileStringA(profile.modelId, key, "", name, sizeof name, profile.statusTableFile);
  return name;
}

void ShowItem(HWND item, bool on) {
  if (item != nullptr) ::ShowWindow(item, on ? SW_SHOW : SW_HIDE);
}

void EnableItem(HWND item, bool on) {
  if (item != nullptr) ::EnableWindow(item, on ? TRUE : FALSE);
}

}  // namespace

CStatusView::CStatusView() = default;

CStatusView::~CStatusView() {
  // The message item must not keep a font that is about to go.
  if (m_hMessage != nullptr && ::IsWindow(m_hMessage) && m_messageFont.IsValid() &&
      reinterpret_cast<HFONT>(::SendMessageA(m_hMessage, WM_GETFONT, 0, 0)) ==
          m_messageFont.Get()) {
    ::SendMessageA(m_hMessage, WM_SETFONT, 0, FALSE);
  }
}

int CStatusView::Init(HWND dialog, HMODULE resourceModule, const ViewProfile& profile) {
  CTraceScope trace("CStatusView::Init");
  if (dialog == nullptr) return 0;
  m_hDialog = dialog;
  m_cPicture.Attach(::GetDlgItem(dialog, IDC_STATUS_PICTURE));
  m_cPicture.SetModule(resourceModule);
  m_cPicture.SetFileNames(PictureFileName(profile, "BMPBlue").c_str(),
                          PictureFileName(profile, "BMPRed").c_str(),
                          PictureFileName(profile, "BMPYellow").c_str());

  m_hStatusLine = ::GetDlgItem(dialog, IDC_STATUS_LINE);
  m_hMessage = ::GetDlgItem(dialog, IDC_STATUS_MESSAGE);
  m_cIcon.Attach(::GetDlgItem(dialog, IDC_STATUS_ICON));
  m_cIcon.SetModule(resourceModule);
  m_hHelpNote = ::GetDlgItem(dialog, IDC_STATUS_HELP_NOTE);
  m_hHelp = ::GetDlgItem(dialog, IDC_STATUS_HELP);

  m_rcStatusLine = ChildRect(m_hStatusLine);
  m_rcStatusLineTemplate = m_rcStatusLine;

  const int frame = ::GetSystemMetrics(SM_CYDLGFRAME);
  const int caption = ::GetSystemMetrics(SM_CYCAPTION);
  m_ptOrigin = {frame, frame + caption};

  // The view reaches from below the caption down to the hidden size marker.
  RECT window = {};
  ::GetWindowRect(dialog, &window);
  RECT marker = {};
  HWND sizeMark = ::GetDlgItem(dialog, IDC_STATUS_SIZE_MARK);
  if (sizeMark != nullptr) {
    ::GetWindowRect(sizeMark, &marker);
    ::ShowWindow(sizeMark, SW_HIDE);
  } else {
    marker = window;
    marker.top = window.bottom - frame;
  }
  m_rcView = {frame, frame + caption, (window.right - window.left) - frame,
              marker.top - window.top};

  MakeMessageFont();
  m_hResource = resourceModule;
  return 1;
}

void CStatusView::MakeMessageFont() {
  if (m_hMessage == nullptr) return;
  LOGFONTA description = {};
  HFONT current = reinterpret_cast<HFONT>(::SendMessageA(m_hMessage, WM_GETFONT, 0, 0));
  if (current == nullptr || ::GetObjectA(current, sizeof description, &description) == 0) {
    description = LOGFONTA{};
    description.lfWeight = FW_DONTCARE;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = PROOF_QUALITY;
    description.lfPitchAndFamily = FF_ROMAN;
  }
  int dpi = 96;
  {
    ScopedWindowDC dc(m_hDialog);
    if (dc.IsValid()) dpi = ::GetDeviceCaps(dc.Get(), LOGPIXELSY);
  }
  description.lfHeight = -(kMessagePoints * dpi / 72);
  m_messageFont.Reset(::CreateFontIndirectA(&description));
  if (m_messageFont.IsValid()) {
    ::SendMessageA(m_hMessage, WM_SETFONT, reinterpret_cast<WPARAM>(m_messageFont.Get()), FALSE);
  }
}

void CStatusView::Stop() { m_cPicture.Stop(); }

void CStatusView::ApplyItems(bool show, int flag) {
  const vgui::ViewItems items = vgui::ViewItemsFor(flag != 0, m_bHelpAvailable);
  auto apply = show ? &ShowItem : &EnableItem;
  for (HWND item : {m_hStatusLine, m_cPicture.GetSafeHwnd(), m_hMessage, m_cIcon.GetSafeHwnd(),
                    ::GetDlgItem(m_hDialog, IDOK)}) {
    apply(item, items.main);
  }
  apply(m_hHelpNote, items.help);
  apply(m_hHelp, items.help);
}

int CStatusView::Enable(int flag) {
  ApplyItems(false, flag);
  return CViewBase::Enable(flag);
}

int CStatusView::Show(int flag) {
  ApplyItems(true, flag);
  return CViewBase::Show(flag);
}

void CStatusView::GetSize(int* width, int* height) const {
  if (width != nullptr) *width = m_rcView.right - m_rcView.left;
  if (height != nullptr) *height = m_rcView.bottom - m_rcView.top;
}

void CStatusView::Move(int x, int y) {
  const int dx = x - m_ptOrigin.x;
  const int dy = y - m_ptOrigin.y;
  if (dx == 0 && dy == 0) return;
  for (HWND child : {m_hStatusLine, m_hMessage, m_cIcon.GetSafeHwnd(), m_cPicture.GetSafeHwnd(),
                     m_hHelpNote, m_hHelp, ::GetDlgItem(m_hDialog, IDOK)}) {
    MoveChild(child, dx, dy);
  }
  ::OffsetRect(&m_rcView, dx, dy);
  ::OffsetRect(&m_rcStatusLine, dx, dy);
  m_ptOrigin = {x, y};
}

void CStatusView::SetViewStatus(const CPrinterStatus* status) {
  CTraceScope trace("CStatusView::SetViewStatus");
  if (status == nullptr || m_hDialog == nullptr) return;

  char text[kStatusTextSize] = {};
  status->GetText2(text, sizeof text);
  if (vgui::StatusLineChanged(m_szStatusLine, text)) {
    if (m_hStatusLine != nullptr) ::SetWindowTextA(m_hStatusLine, text);
    m_szStatusLine = text;
  }

  const vgui::StatusDisplay display = vgui::DisplayOfCategory(status->GetCategoryRow().values);
  m_cPicture.SetImageSize(vgui::kStatusPictureWidth, vgui::kStatusPictureHeight);
  m_cPicture.SelectPicture(display.picture);

  const vgui::DisplayChange change =
      vgui::PlanDisplayChange(m_nCurrentIcon, m_nCurrentOverlay, display);
  m_nCurrentOverlay = display.overlay;
  m_cPicture.SetOverlay(display.overlay, change.restartBlink ? TRUE : FALSE);

  text[0] = '\0';
  status->GetText1(text, sizeof text);
  if (m_hMessage != nullptr) ::SetWindowTextA(m_hMessage, text);

  if (change.setIcons) {
    const std::vector<uint32_t> list = vgui::IconListOf(display);
    std::vector<DWORD> ids(list.begin(), list.end());
    m_cIcon.SetIcons({static_cast<int>(ids.size()), ids.data()});
    m_nCurrentIcon = display.icon;
  }

  m_bHelpAvailable = status->GetHelpType() != kHelpNone;
  const vgui::ViewItems items = vgui::ViewItemsFor(m_bShown != 0, m_bHelpAvailable);
  ShowItem(m_hHelpNote, items.help);
  ShowItem(m_hHelp, items.help);
  EnableItem(m_hHelpNote, items.help);
  EnableItem(m_hHelp, items.help);
}
