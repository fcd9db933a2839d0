#pragma once
// Which systems have visual styles: Windows XP (NT 5.1) and every later NT version.
namespace vgui {

constexpr bool HasVisualStyles(bool ntPlatform, unsigned major, unsigned minor) {
  return ntPlatform && (major > 5 || (major == 5 && minor >= 1));
}

}  // namespace vgui
