#pragma once
// The installer's window as a user meets it, driven from a test: its pages, their texts and
// controls, and its buttons (Next or Install or Finish, Cancel, Back), pressed by message. The
// window belongs to another process, so texts are asked of its own thread.
#include <functional>
#include <string>
#include <vector>

#include "common/win.h"

namespace vgtest {

class InstallerWindow {
 public:
  // The installer's button numbers.
  static constexpr int kNext = 1;  // also Install and Finish
  static constexpr int kCancel = 2;
  static constexpr int kBack = 3;

  // The visible main window of the process, or an object that is not Found after the time.
  InstallerWindow(DWORD processId, DWORD timeoutMs);

  bool Found() const { return window_ != nullptr; }
  HWND Handle() const { return window_; }
  std::string Title() const;
  std::string ButtonText(int id) const;
  void Press(int id) const;
  // The texts of every control of the page shown now, in window order.
  std::vector<std::string> PageTexts() const;
  // The page's first control of the class ("ComboBox", "Edit"), or null.
  HWND PageControl(const std::string& className) const;

 private:
  HWND Page() const;
  DWORD processId_ = 0;
  HWND window_ = nullptr;
};


// The text of a message box of the process (a question of the installer), answered with the
// button (IDYES, IDNO, IDOK); "" when none showed in time.
std::string AnswerMessageBox(DWORD processId, int button, DWORD timeoutMs);

// Waits until the condition holds, checking it every few milliseconds.
bool WaitForCondition(const std::function<bool()>& condition, DWORD timeoutMs);

}  // namespace vgtest
