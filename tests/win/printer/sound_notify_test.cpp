// Sound and buzzer decisions from a printer's target key and its model's profile, and the
// players: which module a sound comes from, their ready flags and results. Wine answers
// PlaySound without a sound device, so what is heard is not tested.
#include <gtest/gtest.h>

#include <string>

#include "common/unique_handle.h"
#include "printer/sound_notify_win.h"
#include "printer/vgprn_app_win.h"
#include "support/test_model.h"
#include "support/test_target_keys.h"
#include "support/win_test_support.h"

namespace {

constexpr int kStatus = 12;  // notification item "012"

class SoundNotifyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resources_.Reset(::LoadLibraryA((vgtest::BinDir() + "\\vgres.dll").c_str()));
    ASSERT_TRUE(resources_.IsValid());
  }
  void TearDown() override { TheApp().SetResourceModule(nullptr); }

  // The profile, and the identity of the printer whose driver it belongs to.
  void Model(const std::string& modelLines, const std::string& languageLines = "") {
    model_.WriteIni(modelLines, languageLines);
    ASSERT_GE(TheApp().BaseInfo().Set(printer_.c_str(), model_.Driver().c_str(), "LPT1:",
                                      model_.Model().c_str(), nullptr, nullptr),
              0);
  }
  void Switch(const char* name, DWORD value) {
    vgtest::SetDword(HKEY_CURRENT_USER, key_, name, value);
  }
  void Item(DWORD value) {
    vgtest::SetDword(HKEY_CURRENT_USER, key_ + "\\Notify", "012", value);
  }
  int Buzzer(int* flag) {
    return GetBeepBuzzer(printer_.c_str(), "LPT1:", model_.Model().c_str(), kStatus, flag);
  }

  vgtest::TestModel model_;
  vgtest::ScopedTargetKeys keys_;
  std::string printer_ = vgtest::UniqueName("VgSoundPrinter");
  std::string key_ = keys_.Make(vgtest::kTargetBase, printer_);
  ScopedModule resources_;
};

TEST_F(SoundNotifyTest, SoundNeedsTheSwitchAndTheStatusItem) {
  int sound = 7;
  int item = 7;
  EXPECT_EQ(GetSoundNotify((printer_ + "x").c_str(), "", kStatus, &sound, &item), 1);
  EXPECT_EQ(sound, 0);
  EXPECT_EQ(item, 0);

  Switch("SoundNotifyEnable", 1);
  EXPECT_EQ(GetSoundNotify(printer_.c_str(), "", kStatus, &sound, &item), 1)
      << "no Notify subkey";
  EXPECT_EQ(sound, 1) << "the switch alone";
  EXPECT_EQ(item, 0);

  vgtest::SetDword(HKEY_CURRENT_USER, key_ + "\\Notify", "013", 1);
  EXPECT_EQ(GetSoundNotify(printer_.c_str(), "", kStatus, &sound, &item), 0);
  EXPECT_EQ(sound, 0) << "the status's item is missing";
  EXPECT_EQ(item, 0);

  Item(1);
  EXPECT_EQ(GetSoundNotify(printer_.c_str(), "", kStatus, &sound, &item), 0);
  EXPECT_EQ(sound, 1);
  EXPECT_EQ(item, 1);

  Switch("SoundNotifyEnable", 0);
  EXPECT_EQ(GetSoundNotify(printer_.c_str(), "", kStatus, &sound, &item), 0);
  EXPECT_EQ(sound, 0);
  EXPECT_EQ(item, 1) << "the pop-up still wants the status";
}

TEST_F(SoundNotifyTest, APortAddressesItsOwnKey) {
  const std::string port = vgtest::UniqueName("VGSNDPORT") + ":";
  const std::string portKey = keys_.Make(vgtest::kPortTargetBase, port);
  vgtest::SetDword(HKEY_CURRENT_USER, portKey, "SoundNotifyEnable", 1);
  vgtest::SetDword(HKEY_CURRENT_USER, portKey + "\\Notify", "007", 1);
  int sound = 0;
  int item = 0;
  EXPECT_EQ(GetSoundNotify("", port.c_str(), 7, &sound, &item), 0);
  EXPECT_EQ(sound, 1);
  EXPECT_EQ(GetSoundNotify(printer_.c_str(), port.c_str(), 7, &sound, &item), 1)
      << "with a printer name the printer's key is meant";
}

TEST_F(SoundNotifyTest, BuzzerOnlyForModelsThatHaveOne) {
  TheApp().SetResourceModule(resources_.Get());
  Model("SoundNotifyEnable=1\r\n");  // no BeepBuzzerEnable
  Switch("BeepBuzzerEnable", 1);
  Item(1);
  int flag = 7;
  EXPECT_EQ(Buzzer(&flag), 1);
  EXPECT_EQ(flag, 0);

  Model("BeepBuzzerEnable=1\r\n");
  EXPECT_EQ(Buzzer(&flag), 0);
  EXPECT_EQ(flag, 1);

  Model("BeepBuzzerEnable=-3\r\n");
  EXPECT_EQ(Buzzer(&flag), 1) << "a negative value means no buzzer too";
}

TEST_F(SoundNotifyTest, RegistrySwitchDecidesAndTheModelStandsInForIt) {
  TheApp().SetResourceModule(resources_.Get());
  Model("BeepBuzzerEnable=1\r\n");
  Item(1);
  int flag = 7;
  EXPECT_EQ(Buzzer(&flag), 0) << "no registry value: the model's";
  EXPECT_EQ(flag, 1);

  Switch("BeepBuzzerEnable", 2);
  EXPECT_EQ(Buzzer(&flag), 0);
  EXPECT_EQ(flag, 0) << "2 counts as off";
  Switch("BeepBuzzerEnable", 0);
  EXPECT_EQ(Buzzer(&flag), 0);
  EXPECT_EQ(flag, 0);

  Switch("BeepBuzzerEnable", 1);
  Item(0);
  EXPECT_EQ(Buzzer(&flag), 0);
  EXPECT_EQ(flag, 0) << "the status is not notified";

  Model("BeepBuzzerEnable=0\r\n");
  vgtest::DeleteKeyTree(HKEY_CURRENT_USER, key_ + "\\Notify");
  EXPECT_EQ(Buzzer(&flag), 1) << "no Notify subkey";
  EXPECT_EQ(flag, 1) << "the switch alone";

  EXPECT_EQ(GetBeepBuzzer((printer_ + "x").c_str(), "", model_.Model().c_str(), kStatus, &flag), 1);
  EXPECT_EQ(flag, 0);
}

TEST_F(SoundNotifyTest, NoBuzzerSoundNoBuzzer) {
  Model("BeepBuzzerEnable=1\r\n");
  Switch("BeepBuzzerEnable", 1);
  Item(1);
  int flag = 7;
  TheApp().SetResourceModule(::GetModuleHandleA(nullptr));  // holds no sounds
  EXPECT_EQ(Buzzer(&flag), 1);
  EXPECT_EQ(flag, 0);
  TheApp().SetResourceModule(nullptr);
  EXPECT_EQ(Buzzer(&flag), 0) << "without a resource library nothing speaks against it";
  EXPECT_EQ(flag, 1);
}

TEST_F(SoundNotifyTest, BuzzerPlaysFromTheResourceLibrary) {
  {
    CBeepBuzzer none;
    EXPECT_FALSE(none.IsReady());
    EXPECT_EQ(none.Play(0), FALSE);
    EXPECT_EQ(none.Play(1), FALSE);
  }
  TheApp().SetResourceModule(resources_.Get());
  CBeepBuzzer buzzer;
  EXPECT_TRUE(buzzer.IsReady());
  EXPECT_EQ(buzzer.SoundModule(), resources_.Get());
  EXPECT_NE(buzzer.Play(1), FALSE);
  EXPECT_NE(buzzer.Stop(), FALSE);
  EXPECT_NE(buzzer.Play(0), FALSE);
  EXPECT_NE(buzzer.Stop(), FALSE);
}

TEST_F(SoundNotifyTest, NotificationSoundsFromTheResourceLibraryWithoutASoundLibrary) {
  Model("");
  TheApp().SetResourceModule(resources_.Get());
  {
    CResSndNtfy sounds(model_.Model().c_str());
    EXPECT_TRUE(sounds.IsReady());
    EXPECT_EQ(sounds.SoundModule(), resources_.Get());
    EXPECT_FALSE(sounds.OwnsSoundModule());
    EXPECT_NE(sounds.Play(16009), FALSE);
    EXPECT_NE(sounds.Stop(), FALSE);
  }
  EXPECT_NE(::GetModuleHandleA((vgtest::BinDir() + "\\vgres.dll").c_str()), nullptr)
      << "the resource library is not freed by a borrower";

  // Cut off at the buffer's end is no name either.
  Model("", "WAVRES=" + std::string(270, 'w') + ".dll\r\n");
  CResSndNtfy cut(model_.Model().c_str());
  EXPECT_EQ(cut.SoundModule(), resources_.Get());

  TheApp().SetResourceModule(nullptr);
  Model("");
  CResSndNtfy none(model_.Model().c_str());
  EXPECT_FALSE(none.IsReady());
  EXPECT_EQ(none.Play(16009), FALSE);
}

TEST_F(SoundNotifyTest, SoundLibraryOfTheLanguageSectionComesFromTheInstallationFolder) {
  TheApp().SetResourceModule(resources_.Get());
  const std::string file = vgtest::UniqueName("sounds") + ".dll";
  const std::string path = model_.Install("vgres.dll", file);
  Model("", "WAVRES=" + file + "\r\n");
  {
    CResSndNtfy sounds(model_.Model().c_str());
    ASSERT_TRUE(sounds.IsReady());
    EXPECT_TRUE(sounds.OwnsSoundModule());
    EXPECT_EQ(sounds.SoundModule(), ::GetModuleHandleA(path.c_str()));
    EXPECT_NE(sounds.SoundModule(), resources_.Get());
    EXPECT_NE(sounds.Play(16000), FALSE);
  }
  EXPECT_EQ(::GetModuleHandleA(path.c_str()), nullptr) << "freed with the player";

  // Freeing the library while its sound still plays would leave the playing thread reading
  // freed memory: a player that goes at once after Play must not take the process with it.
  for (int i = 0; i < 40; ++i) {
    CResSndNtfy sounds(model_.Model().c_str());
    ASSERT_TRUE(sounds.OwnsSoundModule());
    sounds.Play(16000 + i % 11);
  }
  EXPECT_EQ(::GetModuleHandleA(path.c_str()), nullptr);

  Model("", "WAVRES=absent.dll\r\n");
  CResSndNtfy missing(model_.Model().c_str());
  EXPECT_FALSE(missing.IsReady()) << "a named library that does not load";
  EXPECT_EQ(missing.Play(16000), FALSE);

  CResSndNtfy unknownModel(vgtest::UniqueName("NoModel").c_str());
  EXPECT_FALSE(unknownModel.IsReady());
}

}  // namespace
