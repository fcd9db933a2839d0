#pragma once
// Context help of the preferences dialog on plain values: the table of controls and their
// help topics, the topic for a click, the address of a topic inside a compiled help file, and
// where the small help window stands beside the mouse cursor.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vghelp {

// Pairs of control id and help topic, ended by a 0 row. Both help engines take it as their
// context-id array, so it is laid out as one: 32-bit words, id then topic.
struct HelpRow {
  uint32_t control;
  uint32_t topic;
};
constexpr size_t kHelpRowCount = 19;  // 18 controls and the end row
extern const HelpRow kControlHelp[kHelpRowCount];

// The dialog's own help context, given to the dialog with its context-help button.
constexpr uint32_t kDialogHelpContext = 12288;

// The topic of the first row that names the control, or 0.
uint32_t TopicOfControl(uint32_t controlId);

// Group boxes that stand behind their controls: a click on the dialog inside control 220
// means topic 0x3005, inside control 221 topic 0x3010; 221 wins where both hold.
constexpr uint32_t kNotifyGroup = 220;
constexpr uint32_t kTrayGroup = 221;
uint32_t TopicOfGroups(bool insideNotifyGroup, bool insideTrayGroup);

// A screen rectangle; a point on its edges is inside.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};
constexpr bool Contains(const Rect& rect, int32_t x, int32_t y) {
  return x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom;
}

// The help window type that every topic is shown in.
constexpr std::string_view kWindowType = "VglHH_Context";
// "FILE::HTML\0XTTTT.htm>TYPE": the page of the topic (four upper-case hexadecimal digits) in
// folder HTML of the help file, in the window type. Nothing when it does not fit 520 bytes.
constexpr size_t kTopicAddressSize = 520;
std::optional<std::string> TopicAddress(std::string_view helpFile, uint32_t topic,
                                        std::string_view windowType = kWindowType);

// The help window: a quarter of the screen each way, its top-left corner at the cursor; to
// the left of the cursor when it would leave the screen on the right, above it when it would
// leave at the bottom.
Rect HelpWindowRect(int32_t cursorX, int32_t cursorY, int32_t screenWidth, int32_t screenHeight);

// The window type's tab order: each of the 20 entries its own index, but 5 to 10 unused (255).
constexpr size_t kTabOrderSize = 20;
std::array<uint8_t, kTabOrderSize> HelpTabOrder();

}  // namespace vghelp
