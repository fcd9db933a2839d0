// The status window's decisions: starts per view type, the hand-off to an open window, the
// status of each worker result, the keep-open rule, buzzer and sound once per change, the
// pop-up's place, and the intervals.
#include "ui/detail_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace vgdetail;

TEST(DetailStart, PopupStartsRemembersItsPlaceAndClosesByItself) {
  const StartMode popup = StartModeOf(kViewPopup);
  EXPECT_TRUE(popup.popupPosition);
  EXPECT_TRUE(popup.autoClose);
  EXPECT_TRUE(popup.defaultStatus) << "a pop-up shows what the monitor left";
  EXPECT_EQ(popup.dialogType, 2) << "and shows as any visible window";

  for (int type : {0, kViewDetail, kViewHidden, 7, -1}) {
    const StartMode mode = StartModeOf(type);
    EXPECT_FALSE(mode.popupPosition) << type;
    EXPECT_FALSE(mode.autoClose) << type;
    EXPECT_FALSE(mode.defaultStatus) << type;
    EXPECT_EQ(mode.dialogType, type) << "the view switcher takes the type as given";
  }
}

TEST(DetailStart, HandOffToTheOpenWindowPerStart) {
  const HandOff popup = HandOffFor(kViewPopup);
  EXPECT_TRUE(popup.sendPopupRequest);
  EXPECT_TRUE(popup.bringToFront);
  EXPECT_FALSE(popup.sendDetailRequest) << "a pop-up leaves the open window's auto-close alone";

  const HandOff detail = HandOffFor(kViewDetail);
  EXPECT_FALSE(detail.sendPopupRequest);
  EXPECT_TRUE(detail.bringToFront);
  EXPECT_TRUE(detail.sendDetailRequest) << "the user wants it to stay";

  for (int type : {0, kViewSetUpOnly, kViewHidden, 9}) {
    const HandOff none = HandOffFor(type);
    EXPECT_FALSE(none.sendPopupRequest || none.bringToFront || none.sendDetailRequest) << type;
  }
}

TEST(DetailStatus, WorkerResultsBecomeStatuses) {
  EXPECT_EQ(CommErrorStatus(0), 21);
  EXPECT_EQ(CommErrorStatus(-1), 21) << "not read yet counts as off";
  EXPECT_EQ(CommErrorStatus(1), 22);
  EXPECT_EQ(CommErrorStatus(5), 22);

  EXPECT_EQ(CheckFailureStatus(-2, 0), 16) << "another model";
  EXPECT_EQ(CheckFailureStatus(-3, 0), 22) << "unreachable, as the monitor reported it";
  EXPECT_EQ(CheckFailureStatus(-1, 0), 21);
  EXPECT_EQ(CheckFailureStatus(-1, 1), 22);
  EXPECT_EQ(CheckFailureStatus(-4, 0), 21);
  EXPECT_EQ(CheckFailureStatus(1, 1), 22) << "a channel that exists and does not open";

  EXPECT_TRUE(ReadFailureKeepsStatus(0));
  EXPECT_TRUE(ReadFailureKeepsStatus(-2));
  EXPECT_FALSE(ReadFailureKeepsStatus(-1));
  EXPECT_FALSE(ReadFailureKeepsStatus(-17));
  EXPECT_FALSE(ReadFailureKeepsStatus(3));
}

TEST(DetailStatus, FirstStatusOfAPopupFollowsTheCommunicationState) {
  EXPECT_TRUE(DefaultStatusOf(true, 1).fromRegistry) << "a fresh reply stands there";
  EXPECT_EQ(DefaultStatusOf(true, 3).statusNo, 16);
  EXPECT_FALSE(DefaultStatusOf(true, 3).fromRegistry);
  EXPECT_EQ(DefaultStatusOf(true, 4).statusNo, 22);
  EXPECT_EQ(DefaultStatusOf(true, 0).statusNo, 21);
  EXPECT_EQ(DefaultStatusOf(true, 2).statusNo, 21) << "a reply already taken";
  EXPECT_EQ(DefaultStatusOf(true, 5).statusNo, 21);
  const DefaultStatus closed = DefaultStatusOf(false, 1);
  EXPECT_FALSE(closed.fromRegistry) << "without the target key nothing is read";
  EXPECT_EQ(closed.statusNo, 21);
}

TEST(DetailKeepOpen, OnlyAnAutoClosingWindowClosesOnAQuietStatus) {
  EXPECT_EQ(KeepOpenValue(true, 0, 2), 0) << "a pop-up whose status is not notified";
  EXPECT_EQ(KeepOpenValue(true, 1, 2), 2);
  EXPECT_EQ(KeepOpenValue(false, 0, 2), 2) << "a detail window stays";
  EXPECT_EQ(KeepOpenValue(false, 0, 4), 4) << "a hidden one too";
  EXPECT_EQ(KeepOpenValue(false, 1, 0), 0) << "a window whose type was never taken closes";
  EXPECT_EQ(KeepOpenValue(true, 5, 2), 2) << "any item but 0 is notified";
}

// Plays one status change through the buzzer and then the sound, as the window does.
struct Told {
  bool buzzer = false;
  bool sound = false;
};
Told Tell(int& lastKey, bool allowed, bool hasBuzzer, bool hasSound, int key, int buzzerFlag,
          int soundFlag) {
  Told told;
  const NotifyDecision buzz = DecideBuzzer(allowed, hasBuzzer, lastKey, key, buzzerFlag);
  lastKey = buzz.lastKey;
  told.buzzer = buzz.play;
  if (!told.buzzer) {
    const NotifyDecision sound = DecideSound(allowed, hasSound, lastKey, key, soundFlag);
    lastKey = sound.lastKey;
    told.sound = sound.play;
  }
  return told;
}

TEST(DetailNotify, EachChangeIsToldOnce) {
  int last = -1;
  EXPECT_TRUE(Tell(last, true, true, true, 3, 0, 1).sound) << "the first status sounds";
  EXPECT_EQ(last, 3);
  EXPECT_FALSE(Tell(last, true, true, true, 3, 0, 1).sound) << "the same status again";
  EXPECT_FALSE(Tell(last, true, true, true, 3, 0, 1).sound)
      << "another status with the same simple number";
  EXPECT_TRUE(Tell(last, true, true, true, 12, 0, 1).sound) << "a change";
  EXPECT_TRUE(Tell(last, true, true, true, 3, 0, 1).sound) << "and back";
}

TEST(DetailNotify, TheBuzzerGoesFirstAndTakesTheChange) {
  int last = -1;
  const Told first = Tell(last, true, true, true, 3, 1, 1);
  EXPECT_TRUE(first.buzzer);
  EXPECT_FALSE(first.sound) << "the buzzer's change plays no sound";
  EXPECT_EQ(last, 3);
  const Told again = Tell(last, true, true, true, 3, 1, 1);
  EXPECT_FALSE(again.buzzer);
  EXPECT_FALSE(again.sound);

  // A change with the buzzer switched off for it goes to the sound.
  const Told quiet = Tell(last, true, true, true, 5, 0, 1);
  EXPECT_FALSE(quiet.buzzer);
  EXPECT_TRUE(quiet.sound);

  // A buzzer flag other than 1 is no buzzer.
  EXPECT_FALSE(DecideBuzzer(true, true, -1, 3, 2).play);
}

TEST(DetailNotify, AChangeWithoutItsSoundIsStillTold) {
  int last = -1;
  const Told silent = Tell(last, true, true, true, 3, 0, 0);
  EXPECT_FALSE(silent.sound);
  EXPECT_EQ(last, 3) << "the change counts as told";
  EXPECT_FALSE(Tell(last, true, true, true, 3, 0, 1).sound)
      << "switching the sound on later does not replay an old change";
}

TEST(DetailNotify, NothingWithoutPermissionOrPlayer) {
  int last = 3;
  EXPECT_FALSE(Tell(last, false, true, true, 5, 1, 1).buzzer);
  EXPECT_EQ(last, -1) << "what was told is forgotten";
  EXPECT_FALSE(Tell(last, false, true, true, 5, 1, 1).sound);

  last = -1;
  const Told noPlayers = Tell(last, true, false, false, 5, 1, 1);
  EXPECT_FALSE(noPlayers.buzzer);
  EXPECT_FALSE(noPlayers.sound);

  last = -1;
  const Told soundOnly = Tell(last, true, true, false, 5, 0, 1);
  EXPECT_FALSE(soundOnly.sound) << "no sound player";
}

TEST(DetailNotify, LoopBuzzerOnlyForOne) {
  EXPECT_EQ(LoopBuzzerMode(true, 1, 0), 1);
  EXPECT_EQ(LoopBuzzerMode(true, 0, 1), 0) << "the registry value wins";
  EXPECT_EQ(LoopBuzzerMode(true, 2, 1), 0);
  EXPECT_EQ(LoopBuzzerMode(true, 0xFFFFFFFFu, 1), 0);
  EXPECT_EQ(LoopBuzzerMode(false, 0, 1), 1) << "the model's value without the registry's";
  EXPECT_EQ(LoopBuzzerMode(false, 1, 0), 0);
  EXPECT_EQ(LoopBuzzerMode(false, 0, -1), 0);
}

TEST(DetailPlace, StoredPositionOnTheScreenIsKept) {
  const Placement kept = PlacePopup(100, 50, 1024, 768, 300, 200);
  EXPECT_EQ(kept.x, 100);
  EXPECT_EQ(kept.y, 50);
  EXPECT_FALSE(kept.store);

  // Partly off the screen still counts while the window touches it.
  const Placement edge = PlacePopup(-300, 768, 1024, 768, 300, 200);
  EXPECT_EQ(edge.x, -300);
  EXPECT_EQ(edge.y, 768);
  EXPECT_FALSE(edge.store);
}

TEST(DetailPlace, AnAxisOffTheScreenIsCentredAndStored) {
  const Placement right = PlacePopup(1025, 50, 1024, 768, 300, 200);
  EXPECT_EQ(right.x, (1024 - 300) / 2);
  EXPECT_EQ(right.y, 50) << "the other axis keeps its place";
  EXPECT_TRUE(right.store);

  const Placement above = PlacePopup(10, -201, 1024, 768, 300, 200);
  EXPECT_EQ(above.x, 10);
  EXPECT_EQ(above.y, (768 - 200) / 2);
  EXPECT_TRUE(above.store);

  const Placement none = PlacePopup(static_cast<int32_t>(kNoStoredPosition),
                                    static_cast<int32_t>(kNoStoredPosition), 1024, 768, 300, 200);
  EXPECT_EQ(none.x, 362);
  EXPECT_EQ(none.y, 284);
  EXPECT_TRUE(none.store) << "a first pop-up stores where it stood";

  const Placement extreme = PlacePopup(INT32_MIN, INT32_MAX, 1024, 768, 300, 200);
  EXPECT_EQ(extreme.x, 362) << "no wrap-round at the ends of the range";
  EXPECT_EQ(extreme.y, 284);

  EXPECT_EQ(CentredOn(100, 300), -100) << "a window larger than the screen";
}

TEST(DetailIntervals, DefaultLocalIntervalFromTheResource) {
  EXPECT_EQ(DefaultLocalInterval("10"), 10);
  EXPECT_EQ(DefaultLocalInterval("2"), 2);
  EXPECT_EQ(DefaultLocalInterval("60"), 60);
  EXPECT_EQ(DefaultLocalInterval(" 7"), 7);
  EXPECT_EQ(DefaultLocalInterval("1"), 10);
  EXPECT_EQ(DefaultLocalInterval("61"), 10);
  EXPECT_EQ(DefaultLocalInterval(""), 10);
  EXPECT_EQ(DefaultLocalInterval("x5"), 10);
  EXPECT_EQ(DefaultLocalInterval("99999999999999999999"), 10);
}

TEST(DetailIntervals, DriverKeyIntervals) {
  EXPECT_EQ(IntervalFromText("10"), 10);
  EXPECT_EQ(IntervalFromText("30,90"), 30) << "the first of a pair";
  EXPECT_EQ(IntervalFromText("0"), 0) << "the worker keeps its own";
  EXPECT_EQ(IntervalFromText(""), 0);
  EXPECT_EQ(IntervalFromText("-5"), 0);
  EXPECT_EQ(IntervalFromText("soon"), 0);
}

TEST(DetailHelp, HelpKinds) {
  EXPECT_EQ(HelpActionOf(0), HelpAction::kNone);
  EXPECT_EQ(HelpActionOf(1), HelpAction::kShell);
  EXPECT_EQ(HelpActionOf(2), HelpAction::kTrouble);
  EXPECT_EQ(HelpActionOf(3), HelpAction::kNone);
}

TEST(DetailCommonErrors, OneMessagePerValueOfOneInOrder) {
  const uint32_t none[3] = {0, 2, 0xFFFFFFFF};
  EXPECT_TRUE(CommonErrorMessages(none).empty());
  const uint32_t all[3] = {1, 1, 1};
  EXPECT_EQ(CommonErrorMessages(all), (std::vector<unsigned>{1233, 1234, 1235}));
  const uint32_t last[3] = {0, 0, 1};
  EXPECT_EQ(CommonErrorMessages(last), (std::vector<unsigned>{1235}));
}

TEST(DetailMenu, SizeChangesGreyTheRightCommands) {
  const SizeMenu restored = MenuAfterSize(0);
  EXPECT_TRUE(restored.changes);
  EXPECT_TRUE(restored.restoreGrey);
  EXPECT_TRUE(restored.minimiseGrey);
  const SizeMenu minimised = MenuAfterSize(1);
  EXPECT_TRUE(minimised.changes);
  EXPECT_FALSE(minimised.restoreGrey);
  EXPECT_TRUE(minimised.minimiseGrey);
  EXPECT_FALSE(MenuAfterSize(2).changes) << "maximised leaves the menu alone";
}

}  // namespace
