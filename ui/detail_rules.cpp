#include "ui/detail_rules.h"

#include "printer/timer_string.h"

namespace vgdetail {

StartMode StartModeOf(int viewType) {
  StartMode mode;
  if (viewType == kViewPopup) {
    mode.popupPosition = true;
    mode.autoClose = true;
    mode.defaultStatus = true;
    mode.dialogType = kViewDetail;  // a pop-up shows as any visible status window
    return mode;
  }
  mode.dialogType = viewType;
  return mode;
}

HandOff HandOffFor(int viewType) {
  HandOff handOff;
  if (viewType == kViewPopup) {
    handOff.sendPopupRequest = true;
    handOff.bringToFront = true;
  } else if (viewType == kViewDetail) {
    handOff.bringToFront = true;
    handOff.sendDetailRequest = true;
  }
  return handOff;
}

int CommErrorStatus(int enableGetStatusErr) {
  return enableGetStatusErr > 0 ? kStatusCommErrorNamed : kStatusCommError;
}

int CheckFailureStatus(int result, int enableGetStatusErr) {
  if (result == -2) return kStatusOtherModel;
  if (result == -3) return kStatusCommErrorNamed;
  return CommErrorStatus(enableGetStatusErr);
}

bool ReadFailureKeepsStatus(int code) { return code == 0 || code == -2; }

DefaultStatus DefaultStatusOf(bool targetKeyOpen, int comStatus) {
  DefaultStatus status;
  if (!targetKeyOpen) {
    status.statusNo = kStatusCommError;
    return status;
  }
  switch (comStatus) {
    case 1:
      status.fromRegistry = true;
      break;
    case 3:
      status.statusNo = kStatusOtherModel;
      break;
    case 4:
      status.statusNo = kStatusCommErrorNamed;
      break;
    default:
      status.statusNo = kStatusCommError;
      break;
  }
  return status;
}

int KeepOpenValue(bool autoClose, int notifyFlag, int dialogType) {
  if (autoClose && notifyFlag == 0) return 0;
  return dialogType;
}

NotifyDecision DecideBuzzer(bool allowed, bool present, int lastKey, int soundKey, int buzzerFlag) {
  NotifyDecision decision;
  if (!allowed || !present) return decision;  // forgets what was told
  decision.lastKey = lastKey;
  if (soundKey != lastKey && buzzerFlag == 1) {
    decision.play = true;
    decision.lastKey = soundKey;
  }
  return decision;
}

NotifyDecision DecideSound(bool allowed, bool present, int lastKey, int soundKey, int soundFlag) {
  NotifyDecision decision;
  if (!allowed || !present) return decision;
  decision.lastKey = lastKey;
  if (soundKey != lastKey) {
    decision.play = soundFlag != 0;
    decision.lastKey = soundKey;  // a change without its sound is told all the same
  }
  return decision;
}

int LoopBuzzerMode(bool inRegistry, uint32_t registryValue, int modelValue) {
  const long long value = inRegistry ? static_cast<long long>(registryValue) : modelValue;
  return value == 1 ? 1 : 0;
}

int CentredOn(int screen, int window) { return (screen - window) / 2; }

Placement PlacePopup(int32_t storedX, int32_t storedY, int screenWidth, int screenHeight,
                     int windowWidth, int windowHeight) {
  Placement place;
  // In 64 bits: a stored value near the ends of the range must not wrap round.
  const auto fits = [](int64_t stored, int screen, int window) {
    return stored <= screen && stored + window >= 0;
  };
  if (fits(storedX, screenWidth, windowWidth)) {
    place.x = storedX;
  } else {
    place.x = CentredOn(screenWidth, windowWidth);
    place.store = true;
  }
  if (fits(storedY, screenHeight, windowHeight)) {
    place.y = storedY;
  } else {
    place.y = CentredOn(screenHeight, windowHeight);
    place.store = true;
  }
  return place;
}

int DefaultLocalInterval(std::string_view resourceText) {
  size_t pos = 0;
  while (pos < resourceText.size() && (resourceText[pos] == ' ' || resourceText[pos] == '\t')) {
    ++pos;
  }
  int value = 0;
  bool digits = false;
  while (pos < resourceText.size() && resourceText[pos] >= '0' && resourceText[pos] <= '9' &&
         value <= 1000) {
    value = value * 10 + (resourceText[pos] - '0');
    digits = true;
    ++pos;
  }
  return digits && value >= 2 && value <= 60 ? value : 10;
}

int IntervalFromText(std::string_view text) {
  const int seconds = vgtimer::SecondsFromTimerString(text);
  return seconds > 0 ? seconds : 0;
}

HelpAction HelpActionOf(int helpType) {
  switch (helpType) {
    case 1:
      return HelpAction::kShell;
    case 2:
      return HelpAction::kTrouble;
    default:
      return HelpAction::kNone;
  }
}

std::vector<unsigned> CommonErrorMessages(const uint32_t (&values)[3]) {
  std::vector<unsigned> messages;
  for (size_t i = 0; i < 3; ++i) {
    if (values[i] == 1) messages.push_back(kCommonErrors[i].stringId);
  }
  return messages;
}

SizeMenu MenuAfterSize(int sizeType) {
  SizeMenu menu;
  if (sizeType == 0) {
    menu.restoreGrey = true;
    menu.minimiseGrey = true;
    menu.changes = true;
  } else if (sizeType == 1) {
    menu.minimiseGrey = true;
    menu.changes = true;
  }
  return menu;
}

}  // namespace vgdetail
