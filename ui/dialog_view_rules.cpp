#include "ui/dialog_view_rules.h"

namespace vgui {

ShowDecision DecideShow(int dialogType, int cmd, bool visible) {
  ShowDecision decision;
  decision.command = cmd;
  decision.visible = visible;
  if (cmd == kShowShow) {
    decision.visible = true;
    // A hidden status window keeps running, but nothing may show it.
    if (dialogType == kDialogTypeHidden) decision.command = kShowHide;
  } else if (cmd == kShowHide) {
    decision.visible = false;
  }
  return decision;
}

FrontAction DecideBringToFront(bool visible, int requestedType, int currentType) {
  if (!visible) return FrontAction::kNothing;
  const int type = requestedType == kDialogTypeUnset ? currentType : requestedType;
  return type == kDialogTypeHidden ? FrontAction::kHide : FrontAction::kToTop;
}

std::string BuildTitle(std::string_view appTitle, std::string_view printer, std::string_view port) {
  std::string title(appTitle);
  title += " : ";
  const std::string_view name = printer.empty() ? port : printer;
  title.append(name.data(), name.size());
  return title;
}

int WindowHeightFor(int frame, int caption, bool viewShown, int viewHeight) {
  return frame + caption + (viewShown ? viewHeight : 0) + frame;
}

}  // namespace vgui
