#pragma once
// The status window's decisions without the system: how each view type starts, what a second
// window of the same printer asks of the first, which status a worker's result becomes, when
// the window stays open, when the buzzer or a sound plays (once per change), where a pop-up
// stands, and its intervals.
#include <cstdint>
#include <string_view>
#include <vector>

namespace vgdetail {

// View types given by the creator. Any other value behaves as the detail start, except
// where a decision says otherwise.
constexpr int kViewPopup = 1;      // started because a status needs the user
constexpr int kViewDetail = 2;     // opened by the user
constexpr int kViewSetUpOnly = 3;  // everything set up, nothing shown
constexpr int kViewHidden = 4;     // runs without ever showing

// Why the status changes: the worker's three reports.
constexpr int kReasonDeviceId = 2;  // WM_RESULT_DEVICEID_ERROR
constexpr int kReasonChannel = 3;   // WM_RESULT_CHANNEL_ERROR
constexpr int kReasonStatus = 4;    // WM_RESULT_QVSTATUS

// Status numbers made without a printer reply.
constexpr int kStatusSearch = 1000;        // the search status of a detail start
constexpr int kStatusCommError = 21;       // the printer cannot be reached
constexpr int kStatusCommErrorNamed = 22;  // the same, naming the connection
constexpr int kStatusOtherModel = 16;      // the printer reports another model

// How the window starts for its view type.
struct StartMode {
  bool popupPosition = false;  // stands where the last pop-up stood and stores every move
  bool autoClose = false;      // closes when the status is not one the user is told about
  bool defaultStatus = false;  // the first status is what the monitor left in the registry
  int dialogType = 0;          // the view switcher's type
};
StartMode StartModeOf(int viewType);

// What a window that finds its printer's window open already does to that window, in order.
struct HandOff {
  bool sendPopupRequest = false;  // WM_USER+7 before bringing it forward (a pop-up start)
  bool bringToFront = false;
  bool sendDetailRequest = false;  // command 214, then WM_USERDETAIL (a detail start)
};
HandOff HandOffFor(int viewType);

// The communication-error status: 22 when the model's "EnableGetStatusErr" is above 0.
int CommErrorStatus(int enableGetStatusErr);
// The status of a failed device or channel check: -2 another model (16), -3 unreachable as
// reported (22), anything else the communication error.
int CheckFailureStatus(int result, int enableGetStatusErr);
// A failed read of the stored reply keeps the status on the screen for "nothing new" (0) and
// "busy" (-2); anything else shows the communication error.
bool ReadFailureKeepsStatus(int code);

// The first status of a pop-up start, from the registry's communication state.
struct DefaultStatus {
  bool fromRegistry = false;  // read the stored reply
  int statusNo = 0;           // else this status, without a reply
};
DefaultStatus DefaultStatusOf(bool targetKeyOpen, int comStatus);

// 0 closes the window: a window that closes by itself, on a status that the user is not told
// about. Otherwise the view switcher's dialog type (which is 0, and so closes, until a type
// has been taken).
int KeepOpenValue(bool autoClose, int notifyFlag, int dialogType);

// The buzzer and the sound play once per change of the sound key (the status's simple
// number); the buzzer goes first, and a change the buzzer took plays no sound. lastKey is -1
// when nothing has been told yet.
struct NotifyDecision {
  bool play = false;
  int lastKey = -1;
};
// allowed: the notifications-allowed flag; present: the player exists.
NotifyDecision DecideBuzzer(bool allowed, bool present, int lastKey, int soundKey, int buzzerFlag);
NotifyDecision DecideSound(bool allowed, bool present, int lastKey, int soundKey, int soundFlag);
// "LoopBuzzer": the registry value when it is there, else the model's; 1 loops, anything but
// 0 or 1 counts as 0.
int LoopBuzzerMode(bool inRegistry, uint32_t registryValue, int modelValue);

// Where a pop-up goes: the stored position on each axis where the window still touches the
// screen there, else centred on that axis; then the position is stored anew.
constexpr uint32_t kNoStoredPosition = 0x70000000;
struct Placement {
  int x = 0;
  int y = 0;
  bool store = false;  // an axis was replaced: write the new position back
};
Placement PlacePopup(int32_t storedX, int32_t storedY, int screenWidth, int screenHeight,
                     int windowWidth, int windowHeight);
// Centred: (screen - window) / 2.
int CentredOn(int screen, int window);

// The default local interval: resource string 1340 as a decimal number, 10 unless it lies in
// 2 to 60.
int DefaultLocalInterval(std::string_view resourceText);
// An interval from the Driver key ("10", or "30,90" of which the first counts): its seconds,
// or 0 (the worker keeps its own) when it is not a positive number.
int IntervalFromText(std::string_view text);

// The help of a status: none, a page or file for the shell, or the trouble dialog.
enum class HelpAction { kNone, kShell, kTrouble };
HelpAction HelpActionOf(int helpType);

// The one-time messages of the machine's common errors, in this order, for the values of
// "RST_FREPLACE", "ERR_QVAPIINUSE" and "ERR_OTHERS" under VGLCommon: a message for each that
// is 1.
struct CommonError {
  const char* valueName;
  unsigned stringId;
};
constexpr CommonError kCommonErrors[] = {
    {"RST_FREPLACE", 1233}, {"ERR_QVAPIINUSE", 1234}, {"ERR_OTHERS", 1235}};
std::vector<unsigned> CommonErrorMessages(const uint32_t (&values)[3]);

// The system menu after a size change: restored greys restore and minimise; minimised greys
// minimise only.
struct SizeMenu {
  bool restoreGrey = false;
  bool minimiseGrey = false;
  bool changes = false;  // other size types leave the menu alone
};
SizeMenu MenuAfterSize(int sizeType);  // SIZE_RESTORED 0, SIZE_MINIMIZED 1

}  // namespace vgdetail
