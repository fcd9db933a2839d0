#pragma once
// IEEE 1284 device IDs as the printer reports them: "MFG:...;MDL:<model>;CMD:...;".
#include <string_view>

namespace vgdevice {

// The model: the text behind the first "MDL:" up to the next ";". Empty when there is no
// "MDL:", no ";" behind it, or nothing between them.
std::string_view ModelOf(std::string_view deviceId);

}  // namespace vgdevice
