// The trouble dialog: pages of a trouble resource with their buttons, pictures and texts,
// the closing paths, and the paper walk-through of the real resource library.
#include "ui/trouble_win.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"
#include "ui/dialog_driver.h"
#include "ui/trouble_resource.h"
#include "ui/ui_test_library.h"

namespace {

using vgtest::DialogThread;

class TroubleTest : public ::testing::Test {
 protected:
  void Open(int resourceId, const std::string& title) {
    HRSRC resource = ::FindResourceA(library_.Get(), MAKEINTRESOURCEA(resourceId), RT_RCDATA);
    ASSERT_NE(resource, nullptr);
    thread_ = std::make_unique<DialogThread>([this, resource] { return trouble_.DoModal(resource); });
    dialog_ = thread_->WaitForWindow(title);
    ASSERT_NE(dialog_, nullptr);
  }
  // Presses a button and waits until the dialog shows the page it leads to.
  void Press(int id, int expectedPage) {
    vgtest::PressButton(dialog_, id);
    ASSERT_TRUE(vgtest::WaitUntil([&] { return trouble_.CurrentPage() == expectedPage; }));
    ::SendMessageA(dialog_, WM_NULL, 0, 0);  // the page is shown when this returns
  }
  bool Visible(int id) const { return vgtest::ItemVisible(dialog_, id); }
  bool Enabled(int id) const { return vgtest::ItemEnabled(dialog_, id); }

  vgtest::ScopedResourceLibrary library_{"vguitest.dll"};
  CTrouble trouble_;
  std::unique_ptr<DialogThread> thread_;
  HWND dialog_ = nullptr;
};

TEST_F(TroubleTest, FirstPageWithNextAndBackShowsNoOk) {
  Open(vgtest::kTroubleThreePages, "Three pages");
  EXPECT_EQ(vgtest::ItemText(dialog_, IDC_TROUBLE_TEXT), "Page one");
  EXPECT_TRUE(Visible(IDC_TROUBLE_NEXT));
  EXPECT_TRUE(Enabled(IDC_TROUBLE_NEXT));
  EXPECT_TRUE(Enabled(IDC_TROUBLE_BACK));
  EXPECT_FALSE(Visible(IDOK));
  EXPECT_FALSE(Visible(IDC_TROUBLE_CLOSE));
  EXPECT_TRUE(vgtest::IsDefaultButton(dialog_, IDC_TROUBLE_NEXT));
  EXPECT_FALSE(vgtest::IsDefaultButton(dialog_, IDOK));
  EXPECT_TRUE(vgtest::WaitUntil(
      [&] { return vgtest::FocusOf(dialog_) == ::GetDlgItem(dialog_, IDC_TROUBLE_NEXT); }));
  EXPECT_TRUE(Visible(IDC_TROUBLE_PICTURE));
  EXPECT_EQ(trouble_.Picture().TimerId(), 20u) << "two frames animate";

  // The Enter key on a page without OK goes to Next, never to the hidden OK.
  ::PostMessageA(dialog_, WM_COMMAND, IDOK, 0);
  ::SendMessageA(dialog_, WM_NULL, 0, 0);
  EXPECT_FALSE(thread_->Done());
  Press(IDC_TROUBLE_BACK, 0);
  EXPECT_FALSE(thread_->Done()) << "Back on the first page stays there";
  ::PostMessageA(dialog_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(thread_->Join());
}

TEST_F(TroubleTest, NextOnTheLastPageTurnsIntoOk) {
  Open(vgtest::kTroubleThreePages, "Three pages");
  Press(IDC_TROUBLE_NEXT, 1);
  EXPECT_EQ(vgtest::ItemText(dialog_, IDC_TROUBLE_TEXT), "Page two");
  EXPECT_TRUE(Visible(IDC_TROUBLE_CLOSE)) << "flag 0x0008";
  EXPECT_TRUE(Enabled(IDC_TROUBLE_CLOSE));
  EXPECT_TRUE(Visible(IDC_TROUBLE_PICTURE));
  EXPECT_EQ(trouble_.Picture().TimerId(), 0u) << "one frame is a still picture";
  EXPECT_EQ(trouble_.Picture().CurrentPicture(), vgtest::kFrameBrown);

  Press(IDC_TROUBLE_NEXT, 2);
  EXPECT_EQ(vgtest::ItemText(dialog_, IDC_TROUBLE_TEXT), "Page three");
  EXPECT_TRUE(Visible(IDOK));
  EXPECT_TRUE(Enabled(IDOK));
  EXPECT_FALSE(Visible(IDC_TROUBLE_NEXT));
  EXPECT_TRUE(vgtest::IsDefaultButton(dialog_, IDOK));
  EXPECT_TRUE(vgtest::WaitUntil(
      [&] { return vgtest::FocusOf(dialog_) == ::GetDlgItem(dialog_, IDOK); }));
  EXPECT_FALSE(Visible(IDC_TROUBLE_CLOSE));
  EXPECT_FALSE(Visible(IDC_TROUBLE_PICTURE)) << "a page without frames hides the picture";
  EXPECT_EQ(trouble_.Picture().TimerId(), 0u);

  Press(IDC_TROUBLE_BACK, 1);
  EXPECT_TRUE(Visible(IDC_TROUBLE_NEXT));
  EXPECT_FALSE(Visible(IDOK));
  EXPECT_TRUE(vgtest::IsDefaultButton(dialog_, IDC_TROUBLE_NEXT)) << "not the hidden OK";
  EXPECT_EQ(LOWORD(::SendMessageA(dialog_, DM_GETDEFID, 0, 0)), IDC_TROUBLE_NEXT);
  Press(IDC_TROUBLE_NEXT, 2);
  vgtest::PressButton(dialog_, IDOK);
  ASSERT_TRUE(thread_->Join());
  EXPECT_EQ(thread_->Result(), 1);
}

TEST_F(TroubleTest, AnimatedPageShowsItsFramesInTurn) {
  Open(vgtest::kTroubleThreePages, "Three pages");
  HWND picture = ::GetDlgItem(dialog_, IDC_TROUBLE_PICTURE);
  RECT client = {};
  // The control takes the picture's size when it paints.
  EXPECT_TRUE(vgtest::WaitUntil([&] {
    ::GetClientRect(picture, &client);
    return client.right == vgtest::kTestPictureWidth &&
           client.bottom == vgtest::kTestPictureHeight;
  })) << client.right << " x " << client.bottom;
  bool sawRed = false;
  bool sawBlue = false;
  EXPECT_TRUE(vgtest::WaitUntil([&] {
    const COLORREF color = vgtest::PixelOf(picture, 4, 4);
    sawRed = sawRed || color == vgtest::kColor800;
    sawBlue = sawBlue || color == vgtest::kColor801;
    return sawRed && sawBlue;
  })) << "red " << sawRed << ", blue " << sawBlue;
  vgtest::PressButton(dialog_, IDCANCEL);
  ASSERT_TRUE(thread_->Join());
  EXPECT_EQ(thread_->Result(), 1);
}

TEST_F(TroubleTest, SinglePageOffersOkAtOnce) {
  Open(vgtest::kTroubleOnePage, "One page");
  EXPECT_TRUE(Visible(IDOK));
  EXPECT_FALSE(Visible(IDC_TROUBLE_NEXT));
  EXPECT_FALSE(Enabled(IDC_TROUBLE_BACK));
  EXPECT_TRUE(vgtest::IsDefaultButton(dialog_, IDOK));
  vgtest::PressButton(dialog_, IDOK);
  ASSERT_TRUE(thread_->Join());
  EXPECT_EQ(thread_->Result(), 1);
}

TEST_F(TroubleTest, MissingOrBrokenResourceClosesWithOne) {
  CTrouble missing;
  EXPECT_EQ(missing.DoModal(nullptr), 1);
  for (int id : {vgtest::kTroubleNoPages, vgtest::kTroubleCut}) {
    CTrouble broken;
    EXPECT_EQ(broken.DoModal(::FindResourceA(library_.Get(), MAKEINTRESOURCEA(id), RT_RCDATA)), 1)
        << id;
  }
}

TEST_F(TroubleTest, ExtraButtonClosesWithOne) {
  Open(vgtest::kTroubleThreePages, "Three pages");
  Press(IDC_TROUBLE_NEXT, 1);
  vgtest::PressButton(dialog_, IDC_TROUBLE_CLOSE);
  ASSERT_TRUE(thread_->Join());
  EXPECT_EQ(thread_->Result(), 1);
}

// The paper walk-through of the resource library itself.
class PaperWalkThroughTest : public ::testing::Test {
 protected:
  vgtest::ScopedResourceLibrary library_{"vgres.dll"};
};

TEST_F(PaperWalkThroughTest, EveryPageHasItsTextAndPictures) {
  ASSERT_NE(library_.Get(), nullptr);
  HRSRC resource = ::FindResourceA(library_.Get(), MAKEINTRESOURCEA(IDR_TROUBLE_PAPER), RT_RCDATA);
  ASSERT_NE(resource, nullptr);
  const void* data = ::LockResource(::LoadResource(library_.Get(), resource));
  vgui::TroubleResource paper;
  ASSERT_TRUE(vgui::ParseTroubleResource(data, ::SizeofResource(library_.Get(), resource), &paper));
  EXPECT_EQ(paper.title, "Clearing a paper problem");
  ASSERT_GE(paper.pages.size(), 3u);
  EXPECT_EQ(paper.pages.front().flags & vgui::kPageHasNext, vgui::kPageHasNext);
  EXPECT_EQ(paper.pages.back().flags & vgui::kPageLast, vgui::kPageLast);
  int animated = 0;
  for (const vgui::TroublePage& page : paper.pages) {
    char text[1024] = {};
    EXPECT_GT(::LoadStringA(library_.Get(), page.textId, text, sizeof text), 40) << page.textId;
    if (page.frameCount > 1) ++animated;
    for (uint16_t id : vgui::FrameIdsOf(page)) {
      HBITMAP bitmap = static_cast<HBITMAP>(
          ::LoadImageA(library_.Get(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
      ASSERT_NE(bitmap, nullptr) << id;
      BITMAP info = {};
      ::GetObjectA(bitmap, sizeof info, &info);
      EXPECT_EQ(info.bmWidth, 160) << id;
      EXPECT_EQ(info.bmHeight, 120) << id;
      ::DeleteObject(bitmap);
    }
  }
  EXPECT_GE(animated, 2);
}

TEST_F(PaperWalkThroughTest, LeadsFromTheFirstPageToFinish) {
  HRSRC resource = ::FindResourceA(library_.Get(), MAKEINTRESOURCEA(IDR_TROUBLE_PAPER), RT_RCDATA);
  ASSERT_NE(resource, nullptr);
  CTrouble trouble;
  DialogThread thread([&] { return trouble.DoModal(resource); });
  HWND dialog = thread.WaitForWindow("Clearing a paper problem");
  ASSERT_NE(dialog, nullptr);
  std::string previous;
  for (int page = 0; page < 4; ++page) {
    const std::string text = vgtest::ItemText(dialog, IDC_TROUBLE_TEXT);
    EXPECT_NE(text, previous);
    EXPECT_TRUE(vgtest::ItemVisible(dialog, IDC_TROUBLE_PICTURE));
    previous = text;
    if (page < 3) {
      EXPECT_FALSE(vgtest::ItemVisible(dialog, IDOK));
      vgtest::PressButton(dialog, IDC_TROUBLE_NEXT);
      ASSERT_TRUE(vgtest::WaitUntil([&] { return trouble.CurrentPage() == page + 1; }));
      ::SendMessageA(dialog, WM_NULL, 0, 0);
    }
  }
  EXPECT_TRUE(vgtest::ItemVisible(dialog, IDOK));
  EXPECT_EQ(vgtest::ItemText(dialog, IDOK), "&Finish");
  vgtest::PressButton(dialog, IDOK);
  ASSERT_TRUE(thread.Join());
  EXPECT_EQ(thread.Result(), 1);
}

}  // namespace
