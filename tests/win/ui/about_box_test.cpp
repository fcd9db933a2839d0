// The about box: its five version lines from the model's profile, the Driver key's programs,
// this library's own file and the communication library's key.
#include "ui/about_box_win.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "resources/vgres_ids.h"
#include "support/process_output.h"
#include "support/scoped_registry_value.h"
#include "support/test_model.h"
#include "support/win_test_support.h"
#include "ui/dialog_driver.h"
#include "ui/driver_key_path.h"
#include "ui/ui_test_library.h"

namespace {

using vgtest::DialogThread;

constexpr char kQvapiInfoKey[] = "software\\KORVA\\QVAPIInfo";
constexpr char kTemplateText[] = "Not available";

// The communication library's information key, as a test wants it: absent, or with the
// given values. What was there before comes back afterwards.
class QvapiInfo {
 public:
  QvapiInfo()
      : version_(HKEY_LOCAL_MACHINE, kQvapiInfoKey, "QVAPIVersion"),
        plain_(HKEY_LOCAL_MACHINE, kQvapiInfoKey, "Version") {}
  void Remove() {
    version_.Remove();
    plain_.Remove();
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kQvapiInfoKey);
  }
  void Set(const std::string& qvapiVersion, const std::string& version) {
    version_.SetString(qvapiVersion);
    plain_.SetString(version);
  }

 private:
  vgtest::ScopedRegistryValue version_;
  vgtest::ScopedRegistryValue plain_;
};

class AboutBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(library_.Get(), nullptr);
    driverKey_ = "software\\KORVA\\VGL3\\Driver\\" + model_.Driver();
    vgui::SetDriverKeyPath(driverKey_);
  }
  void TearDown() override { vgui::SetDriverKeyPath(""); }

  // Opens the about box on a thread of its own and reads the seven items.
  void Open() {
    thread_ = std::make_unique<DialogThread>([] {
      CAboutBox about(nullptr);
      return about.DoModal();
    });
    dialog_ = thread_->WaitForWindow("About KORVA Vigil 3");
    ASSERT_NE(dialog_, nullptr);
  }
  std::string Line(int id) const { return vgtest::ItemText(dialog_, id); }
  int Close(int id) {
    vgtest::PressButton(dialog_, id);
    EXPECT_TRUE(thread_->Join());
    return thread_->Result();
  }

  vgtest::ScopedResourceLibrary library_{"vguitest.dll"};
  vgtest::TestModel model_;
  std::string driverKey_;
  QvapiInfo qvapiInfo_;
  std::unique_ptr<DialogThread> thread_;
  HWND dialog_ = nullptr;
};

TEST_F(AboutBoxTest, ShowsEveryVersion) {
  model_.WriteIni("KVWVER=3.10\r\n");
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey_, "ModelID", model_.Model());
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey_, "VG_ENV",
                    model_.Install("vguitest.dll", "popup.exe"));
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey_, "VG_RCV",
                    model_.Install("vguitest.dll", "agent.exe"));
  qvapiInfo_.Set("2.0.1", "1.0");

  Open();
  EXPECT_EQ(Line(IDC_ABOUT_PRODUCT_VERSION), "Ver. 3.10");
  EXPECT_EQ(Line(IDC_ABOUT_POPUP_VERSION), std::string("Ver. ") + vgtest::kLibraryVersion);
  EXPECT_EQ(Line(IDC_ABOUT_LIBRARY_VERSION), std::string("Ver. ") + vgtest::kProgramVersion);
  EXPECT_EQ(Line(IDC_ABOUT_QVAPI_VERSION), "Ver. 2.0.1");
  EXPECT_EQ(Line(IDC_ABOUT_AGENT_VERSION), std::string("Ver. ") + vgtest::kLibraryVersion);
  EXPECT_FALSE(vgtest::ItemVisible(dialog_, IDC_ABOUT_HIDDEN_1));
  EXPECT_FALSE(vgtest::ItemVisible(dialog_, IDC_ABOUT_HIDDEN_2));
  EXPECT_TRUE(::IsWindowVisible(dialog_));
  EXPECT_EQ(Close(IDOK), 1);
}

TEST_F(AboutBoxTest, NoProductVersionAndNoCommunicationLibraryKey) {
  model_.WriteIni("KVWVER=N/A\r\n");
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey_, "ModelID", model_.Model());
  qvapiInfo_.Remove();

  Open();
  EXPECT_EQ(Line(IDC_ABOUT_PRODUCT_VERSION), kTemplateText) << "\"N/A\" leaves the line unset";
  EXPECT_EQ(Line(IDC_ABOUT_QVAPI_VERSION), "Ver. 0");
  EXPECT_EQ(Line(IDC_ABOUT_POPUP_VERSION), kTemplateText) << "no pop-up program installed";
  EXPECT_EQ(Line(IDC_ABOUT_AGENT_VERSION), kTemplateText) << "no agent program named";
  EXPECT_EQ(Line(IDC_ABOUT_LIBRARY_VERSION), std::string("Ver. ") + vgtest::kProgramVersion);
  ::PostMessageA(dialog_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(thread_->Join());
  EXPECT_EQ(thread_->Result(), 2);
}

TEST_F(AboutBoxTest, ProductVersionStandsInForTheCommunicationLibrary) {
  model_.WriteIni("KVWVER=3.10\r\n");
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey_, "ModelID", model_.Model());
  qvapiInfo_.Remove();
  Open();
  EXPECT_EQ(Line(IDC_ABOUT_QVAPI_VERSION), "Ver. 3.10");
  EXPECT_EQ(Close(IDCANCEL), 2) << "the Escape key closes it as the caption does";
}

TEST_F(AboutBoxTest, CommunicationLibraryVersionFallsBackToItsPlainVersion) {
  model_.WriteIni("KVWVER=3.10\r\n");
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey_, "ModelID", model_.Model());
  qvapiInfo_.Set("", "1.5");
  Open();
  EXPECT_EQ(Line(IDC_ABOUT_QVAPI_VERSION), "Ver. 1.5");
  Close(IDOK);

  qvapiInfo_.Set("", "");
  Open();
  EXPECT_EQ(Line(IDC_ABOUT_QVAPI_VERSION), kTemplateText) << "the key says nothing";
  Close(IDOK);
}

TEST_F(AboutBoxTest, PopupProgramUnderItsDefaultNameInTheInstallationFolder) {
  model_.WriteIni("KVWVER=3.10\r\n");
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey_, "ModelID", model_.Model());
  model_.Install("vguitest.dll", "VGPOP2.EXE");
  // A program of the Driver key that does not exist does not count.
  vgtest::SetString(HKEY_LOCAL_MACHINE, driverKey_, "VG_RCV", model_.Dir() + "\\absent.exe");
  Open();
  EXPECT_EQ(Line(IDC_ABOUT_POPUP_VERSION), std::string("Ver. ") + vgtest::kLibraryVersion);
  EXPECT_EQ(Line(IDC_ABOUT_AGENT_VERSION), kTemplateText);
  Close(IDOK);
}

TEST_F(AboutBoxTest, WithoutTheModelOnlyTheLibraryIsKnown) {
  model_.WriteIni("KVWVER=3.10\r\n");
  qvapiInfo_.Remove();
  // No "ModelID" in the Driver key: the profile is not found.
  Open();
  EXPECT_EQ(Line(IDC_ABOUT_PRODUCT_VERSION), kTemplateText);
  EXPECT_EQ(Line(IDC_ABOUT_QVAPI_VERSION), "Ver. 0");
  EXPECT_EQ(Line(IDC_ABOUT_LIBRARY_VERSION), std::string("Ver. ") + vgtest::kProgramVersion);
  Close(IDOK);

  vgui::SetDriverKeyPath("");
  Open();
  EXPECT_EQ(Line(IDC_ABOUT_PRODUCT_VERSION), kTemplateText);
  EXPECT_EQ(Line(IDC_ABOUT_LIBRARY_VERSION), std::string("Ver. ") + vgtest::kProgramVersion);
  Close(IDOK);
}

TEST_F(AboutBoxTest, NothingFailsOnSystemsWithoutVisualStyles) {
  for (const char* version : {"win2k", "win98", "winxp"}) {
    vgtest::SetProgramWindowsVersion("vguiprobe.exe", version);
    const vgtest::CapturedRun run =
        vgtest::RunCaptured("vguiprobe.exe", "about " + vgtest::QuoteArgument(library_.Path()));
    EXPECT_TRUE(run.finished) << version;
    EXPECT_EQ(run.exitCode, 1u) << version << ": " << run.output;
    EXPECT_NE(run.output.find("about=1"), std::string::npos) << version;
  }
  vgtest::SetProgramWindowsVersion("vguiprobe.exe", "");
}

}  // namespace
