#include "ui/context_help_rules.h"

#include <cstdio>

namespace vghelp {

const HelpRow kControlHelp[kHelpRowCount] = {
    {100, 0x3000}, {110, 0x3000}, {220, 0x3005}, {200, 0x3005}, {201, 0x3005},
    {202, 0x3005}, {392, 0x3005}, {393, 0x3005}, {203, 0x3005}, {221, 0x3010},
    {204, 0x3010}, {206, 0x3010}, {205, 0x3010}, {207, 0x3010}, {222, 0x3010},
    {223, 0x3010}, {209, 0x3020}, {208, 0x3015}, {0, 0},
};

uint32_t TopicOfControl(uint32_t controlId) {
  for (const HelpRow& row : kControlHelp) {
    if (row.control == 0) break;
    if (row.control == controlId) return row.topic;
  }
  return 0;
}

uint32_t TopicOfGroups(bool insideNotifyGroup, bool insideTrayGroup) {
  if (insideTrayGroup) return TopicOfControl(kTrayGroup);
  if (insideNotifyGroup) return TopicOfControl(kNotifyGroup);
  return 0;
}

std::optional<std::string> TopicAddress(std::string_view helpFile, uint32_t topic,
                                        std::string_view windowType) {
  char page[32];
  std::snprintf(page, sizeof page, "::HTML\\0X%04X.htm>", static_cast<unsigned>(topic));
  std::string address(helpFile);
  address += page;
  address += windowType;
  if (address.size() + 1 > kTopicAddressSize) return std::nullopt;
  return address;
}

Rect HelpWindowRect(int32_t cursorX, int32_t cursorY, int32_t screenWidth, int32_t screenHeight) {
  const int32_t width = screenWidth / 4;
  const int32_t height = screenHeight / 4;
  Rect rect;
  rect.left = cursorX + width > screenWidth ? cursorX - width : cursorX;
  rect.top = cursorY + height > screenHeight ? cursorY - height : cursorY;
  rect.right = rect.left + width;
  rect.bottom = rect.top + height;
  return rect;
}

std::array<uint8_t, kTabOrderSize> HelpTabOrder() {
  std::array<uint8_t, kTabOrderSize> order{};
  for (size_t i = 0; i < kTabOrderSize; ++i) {
    order[i] = i >= 5 && i <= 10 ? 255 : static_cast<uint8_t>(i);
  }
  return order;
}

}  // namespace vghelp
