// The preferences dialog's decisions: what a printer offers and which template shows it, how
// each setting loads, the notification items, the preview, the title, the help file and the
// agent's settings program.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/preference_rules.h"

namespace {

using namespace vgpref;

TEST(PreferenceCapabilities, BuzzerNeedsTheSoundAndTheProfileKey) {
  // Library with the buzzer sound, profile with "BeepBuzzerEnable" (0 is present too).
  Capabilities caps = DecideCapabilities(true, 0, 1);
  EXPECT_FALSE(caps.noBuzzer);
  EXPECT_TRUE(caps.noSound) << "a printer with a buzzer never offers sound";
  EXPECT_EQ(TemplateFor(caps), 110);

  caps = DecideCapabilities(false, 1, 1);
  EXPECT_TRUE(caps.noBuzzer) << "no buzzer sound in the resource library";
  EXPECT_FALSE(caps.noSound);
  EXPECT_EQ(TemplateFor(caps), 100);

  caps = DecideCapabilities(true, -1, 1);
  EXPECT_TRUE(caps.noBuzzer) << "the model's section has no BeepBuzzerEnable";
  EXPECT_FALSE(caps.noSound);

  caps = DecideCapabilities(true, -5, 0);
  EXPECT_TRUE(caps.noBuzzer);
  EXPECT_TRUE(caps.noSound) << "SOUND=0 offers no sound";
  EXPECT_EQ(TemplateFor(caps), 100);
}

TEST(PreferenceCapabilities, SoundFollowsTheLanguageSectionUnlessABuzzerIsOffered) {
  EXPECT_FALSE(NoSound(false, 1));
  EXPECT_FALSE(NoSound(false, 7)) << "any number but 0 offers sound";
  EXPECT_TRUE(NoSound(false, 0));
  EXPECT_TRUE(NoSound(false, -1)) << "a language section that cannot be read";
  EXPECT_TRUE(NoSound(true, 1));
}

TEST(PreferenceSettings, TableNamesEveryValueWithItsDefault) {
  const char* names[] = {"SoundNotifyEnable", "BeepBuzzerEnable", "LoopBuzzer", "TrayIconEnable",
                         "TrayIconSelected"};
  for (size_t i = 0; i < kSettingCount; ++i) {
    EXPECT_STREQ(kSettings[i].value, names[i]);
    EXPECT_STREQ(kSettings[i].iniKey, names[i]);
    EXPECT_EQ(kSettings[i].iniDefault, 0);
  }
}

TEST(PreferenceSettings, SwitchesOutsideZeroAndOneLoadAsOffButTheIconIndexStays) {
  EXPECT_EQ(LoadedValue(kSettings[kTrayIconEnable], 5), 0);
  EXPECT_EQ(LoadedValue(kSettings[kTrayIconEnable], 1), 1);
  EXPECT_EQ(LoadedValue(kSettings[kTrayIconEnable], -1), 0);
  EXPECT_EQ(LoadedValue(kSettings[kSoundNotifyEnable], 2), 0);
  EXPECT_EQ(LoadedValue(kSettings[kLoopBuzzer], 1), 1);
  EXPECT_EQ(LoadedValue(kSettings[kTrayIconSelected], 5), 5);
  EXPECT_EQ(LoadedValue(kSettings[kTrayIconSelected], -3), -3);
  EXPECT_EQ(NormaliseSwitch(1), 1);
  EXPECT_EQ(NormaliseSwitch(2), 0);
  EXPECT_EQ(NormaliseSwitch(0), 0);
}

TEST(PreferenceSettings, OnlyWhatThePrinterOffersIsReadAndWritten) {
  const Capabilities buzzer = DecideCapabilities(true, 1, 1);
  const Capabilities sound = DecideCapabilities(false, -1, 1);
  const Capabilities neither = DecideCapabilities(false, -1, 0);
  EXPECT_FALSE(IsOffered(kSettings[kSoundNotifyEnable], buzzer));
  EXPECT_TRUE(IsOffered(kSettings[kBeepBuzzerEnable], buzzer));
  EXPECT_TRUE(IsOffered(kSettings[kLoopBuzzer], buzzer));
  EXPECT_TRUE(IsOffered(kSettings[kSoundNotifyEnable], sound));
  EXPECT_FALSE(IsOffered(kSettings[kBeepBuzzerEnable], sound));
  EXPECT_FALSE(IsOffered(kSettings[kLoopBuzzer], sound));
  for (const Capabilities& caps : {buzzer, sound, neither}) {
    EXPECT_TRUE(IsOffered(kSettings[kTrayIconEnable], caps));
    EXPECT_TRUE(IsOffered(kSettings[kTrayIconSelected], caps));
  }
  EXPECT_FALSE(IsOffered(kSettings[kSoundNotifyEnable], neither));
}

TEST(PreferenceNotifyItems, CountIsADecimalResourceStringOfSevenDigitsAtMost) {
  EXPECT_EQ(NotifyItemCount("2"), 2);
  EXPECT_EQ(NotifyItemCount("12"), 12);
  EXPECT_EQ(NotifyItemCount(""), 0);
  EXPECT_EQ(NotifyItemCount("x2"), 0);
  EXPECT_EQ(NotifyItemCount("-2"), 0) << "never a negative count";
  EXPECT_EQ(NotifyItemCount("3 items"), 3);
  EXPECT_EQ(NotifyItemCount("999"), 999);
  EXPECT_EQ(NotifyItemCount("12345678"), kMaxNotifyItems) << "a damaged count is capped";
  EXPECT_EQ(NotifyItemCount("00000012345"), 1) << "only seven characters are read";
}

TEST(PreferenceNotifyItems, TwoBuiltInRowsThenNumberZeroWithFollowingLabels) {
  EXPECT_EQ(NotifyItemAt(0).number, 12);
  EXPECT_EQ(NotifyItemAt(0).labelId, 1001u);
  EXPECT_EQ(NotifyItemAt(1).number, 11);
  EXPECT_EQ(NotifyItemAt(1).labelId, 1002u);
  EXPECT_EQ(NotifyItemAt(2).number, 0);
  EXPECT_EQ(NotifyItemAt(2).labelId, 1003u);
  EXPECT_EQ(NotifyItemAt(9).labelId, 1010u);
}

TEST(PreferencePreview, OffShowsTheEmptyTrayWhateverIconIsChosen) {
  EXPECT_EQ(PreviewBitmapFor(true, 0), 501);
  EXPECT_EQ(PreviewBitmapFor(true, 1), 502);
  EXPECT_EQ(PreviewBitmapFor(true, 2), 503);
  for (int selected : {0, 1, 2, 5}) EXPECT_EQ(PreviewBitmapFor(false, selected), 500);
  EXPECT_EQ(PreviewBitmapFor(true, 5), 500) << "no such tray icon: nothing to show";
  EXPECT_EQ(PreviewBitmapFor(true, -1), 500);
}

TEST(PreferenceTitle, NamesThePrinterOrElseItsPort) {
  EXPECT_EQ(PreferencesTitle("Monitoring Preferences", "Office", "LPT1:"),
            "Monitoring Preferences : Office");
  EXPECT_EQ(PreferencesTitle("Monitoring Preferences", "", "LPT1:"),
            "Monitoring Preferences : LPT1:");
}

TEST(PreferenceHelpFile, JoinsFolderAndFileWithinTheBuffer) {
  EXPECT_EQ(HelpFilePath("C:\\Vigil\\", "vghelp.chm").value(), "C:\\Vigil\\vghelp.chm");
  const std::string folder(250, 'f');
  EXPECT_EQ(HelpFilePath(folder, "123456789").value().size(), 259u);
  EXPECT_FALSE(HelpFilePath(folder, "1234567890")) << "a cut path names another file";
}

TEST(PreferenceAgent, SettingsProgramRunsOnlyForAChange) {
  EXPECT_FALSE(AgentInhibitFlag(true, true));
  EXPECT_FALSE(AgentInhibitFlag(false, false));
  EXPECT_EQ(AgentInhibitFlag(true, false).value(), 1) << "forbidden now";
  EXPECT_EQ(AgentInhibitFlag(false, true).value(), 0) << "allowed now";
}

}  // namespace
