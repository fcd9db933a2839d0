// The installer's main window: a dialog with the page dialog inside it and the buttons below.
#include "support/installer_window.h"
#include "support/win_test_support.h"

namespace vgtest {
namespace {

struct MainSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindMain(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<MainSearch*>(context);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  // The main window is the visible dialog with the Cancel button.
  if (owner != search->processId || std::string(name) != "#32770" ||
      !::IsWindowVisible(window) || ::GetDlgItem(window, InstallerWindow::kCancel) == nullptr) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

BOOL CALLBACK FindBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<MainSearch*>(context);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  // A message box is a dialog whose text is the static item 0xFFFF.
  if (owner != search->processId || std::string(name) != "#32770" ||
      !::IsWindowVisible(window) || ::GetDlgItem(window, 0xFFFF) == nullptr) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

void CollectTexts(HWND parent, std::vector<std::string>* texts) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const std::string text = TextOfWindow(child);
    if (!text.empty()) texts->push_back(text);
    CollectTexts(child, texts);
  }
}

}  // namespace

InstallerWindow::InstallerWindow(DWORD processId, DWORD timeoutMs) : processId_(processId) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MainSearch search{processId, nullptr};
    ::EnumWindows(&FindMain, reinterpret_cast<LPARAM>(&search));
    window_ = search.found;
    if (window_ != nullptr || ::GetTickCount() - start >= timeoutMs) return;
    ::Sleep(20);
  }
}

std::string InstallerWindow::Title() const { return TextOfWindow(window_); }

std::string InstallerWindow::ButtonText(int id) const {
  return TextOfWindow(::GetDlgItem(window_, id));
}

void InstallerWindow::Press(int id) const {
  ::PostMessageA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(window_, id)));
}

HWND InstallerWindow::Page() const {
  for (HWND child = ::GetWindow(window_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == "#32770" && ::IsWindowVisible(child)) return child;
  }
  return nullptr;
}

std::vector<std::string> InstallerWindow::PageTexts() const {
  std::vector<std::string> texts;
  if (HWND page = Page()) CollectTexts(page, &texts);
  return texts;
}

HWND InstallerWindow::PageControl(const std::string& className) const {
  HWND page = Page();
  return page != nullptr ? ::FindWindowExA(page, nullptr, className.c_str(), nullptr) : nullptr;
}

std::string AnswerMessageBox(DWORD processId, int button, DWORD timeoutMs) {
  MainSearch search{processId, nullptr};
  std::string text;
  if (!WaitForCondition(
          [&] {
            search.found = nullptr;
            ::EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
            if (search.found == nullptr) return false;
            text = TextOfWindow(::GetDlgItem(search.found, 0xFFFF));
            return !text.empty();
          },
          timeoutMs)) {
    return "";
  }
  ::PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(search.found, button)));
  return text;
}

bool WaitForCondition(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(20);
  }
  return true;
}

}  // namespace vgtest
