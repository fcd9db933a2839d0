#pragma once
// The status window's view switcher without the system: its dialog types, what showing and
// bringing the window forward do in each, its title and its height.
#include <string>
#include <string_view>

namespace vgui {

// Dialog types of the status window: not set yet, visible (every other value behaves as
// this one), and hidden.
constexpr int kDialogTypeUnset = 0;
constexpr int kDialogTypeDetail = 2;
constexpr int kDialogTypeHidden = 4;

// The show commands the view switcher passes on (those of ShowWindow).
constexpr int kShowHide = 0;
constexpr int kShowShow = 5;

// What Show(cmd) does: the command the window gets, and the visible flag afterwards.
struct ShowDecision {
  int command = kShowHide;
  bool visible = false;
};
ShowDecision DecideShow(int dialogType, int cmd, bool visible);

// What BringToFront(type) does; type 0 stands for the current type.
enum class FrontAction { kNothing, kHide, kToTop };
FrontAction DecideBringToFront(bool visible, int requestedType, int currentType);

// The window title: the application's title, " : " and the printer name, or the port name
// when the printer name is empty.
std::string BuildTitle(std::string_view appTitle, std::string_view printer, std::string_view port);

// The window height that shows the view: caption and frame above it, the view when it is
// shown, and the frame below.
int WindowHeightFor(int frame, int caption, bool viewShown, int viewHeight);

}  // namespace vgui
