#include "ui/dialog_box_win.h"

#include "common/exception_guard_win.h"
#include "printer/vgprn_app_win.h"
#include "ui/dialog_font_win.h"

namespace {

BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
  ::SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

}  // namespace

CDialogBox::CDialogBox(WORD templateId, HWND parent)
    : m_hParent(parent), m_wTemplateId(templateId) {}

CDialogBox::~CDialogBox() {
  // A dialog object that goes while its window lives (a failure on the way out of DoModal)
  // must not leave the window calling into it.
  if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
    ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    ::DestroyWindow(m_hWnd);
  }
}

int CDialogBox::DoModal() {
  if (m_wTemplateId == 0) return -1;
  if (m_hResource == nullptr) m_hResource = TheApp().ResourceModule();
  if (m_hResource == nullptr) return -1;

  bool parentDisabled = false;
  if (m_hParent != nullptr && ::IsWindowEnabled(m_hParent)) {
    ::EnableWindow(m_hParent, FALSE);
    parentDisabled = true;
  }
  m_bEnded = false;
  HWND dialog = ::CreateDialogParamA(m_hResource, MAKEINTRESOURCEA(m_wTemplateId), m_hParent,
                                     &CDialogBox::DialogProc, reinterpret_cast<LPARAM>(this));
  int code = -1;
  if (dialog != nullptr) {
    MSG msg = {};
    BOOL got;
    while ((got = ::GetMessageA(&msg, nullptr, 0, 0)) != 0) {
      if (got == -1) break;
      if (PreTranslateMessage(&msg) == 0 && !::IsDialogMessageA(dialog, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    }
    if (got == 0) code = static_cast<int>(msg.wParam);
  }
  // The parent is enabled before the dialog goes, so that the activation goes back to it
  // and not to a window of another program.
  if (parentDisabled) ::EnableWindow(m_hParent, TRUE);
  if (dialog != nullptr && ::IsWindow(dialog)) {
    m_bEnded = true;  // its destruction ends nothing more
    ::DestroyWindow(dialog);
  }
  m_hWnd = nullptr;
  return code;
}

int CDialogBox::OnMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }

void CDialogBox::AttachControls(HWND) {}

int CDialogBox::PreTranslateMessage(MSG*) { return 0; }

void CDialogBox::End(int code) {
  if (m_bEnded) return;
  m_bEnded = true;
  if (m_hWnd != nullptr) ::EndDialog(m_hWnd, code);
  ::PostQuitMessage(code);
}

void CDialogBox::CenterOnScreen() {
  RECT window = {};
  if (!::GetWindowRect(m_hWnd, &window)) return;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CDialogBox::OnInitDialogMessage(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  m_hWnd = hwnd;
  AttachControls(hwnd);
  ::SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
  m_font.Reset(MakeReplacementFont(hwnd));
  if (m_font.IsValid()) {
    ::SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
    ::EnumChildWindows(hwnd, &SetChildFont, reinterpret_cast<LPARAM>(m_font.Get()));
  }
  CenterOnScreen();
  return OnMessage(hwnd, WM_INITDIALOG, wParam, lParam);
}

INT_PTR CALLBACK CDialogBox::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return vg::Guarded("CDialogBox::DialogProc", static_cast<INT_PTR>(0), [&]() -> INT_PTR {
    if (message == WM_INITDIALOG) {
      auto* self = reinterpret_cast<CDialogBox*>(lParam);
      if (self == nullptr) return 0;
      return self->OnInitDialogMessage(hwnd, wParam, lParam);
    }
    auto* self = reinterpret_cast<CDialogBox*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (self == nullptr) return -1;
    if (message == WM_DESTROY) self->m_font.Reset();
    const INT_PTR result = self->OnMessage(hwnd, message, wParam, lParam);
    // A window destroyed from outside while its loop runs must not leave the loop waiting.
    if (message == WM_DESTROY && !self->m_bEnded) {
      self->m_bEnded = true;
      ::PostQuitMessage(2);
    }
    return result;
  });
}
