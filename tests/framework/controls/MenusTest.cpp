// Pop-up menus: opening, mouse and keyboard selection, greyed items, closing.
#include <gtest/gtest.h>

#include "FrameworkTest.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

namespace kx::test {
namespace {

class MenusTest : public FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    menu = new TPopupMenu(form);
    const char16_t* captions[] = {u"&One", u"&Two", u"-", u"T&hree"};
    for (int i = 0; i < 4; ++i) {
      auto* item = new TMenuItem(form);
      item->SetCaption(captions[i]);
      item->SetOnClick(TNotifyEvent([this, i](TObject*) { chosen.push_back(i); }));
      menu->Items()->Add(item);
    }
    menu->Items()->Items(1)->SetEnabled(false);
    edit = Add<TEdit>(form, 120, 120, 60, 20);
    ShowForm();
  }
  // Opens the menu at a client point of the form.
  void Open(int x, int y) {
    TPoint s = form->ClientToScreen(Point(x, y));
    menu->Popup(s.x, s.y);
    kx::headless::Tick(0);
  }
  // The centre of an entry in the form's client coordinates.
  TPoint Centre(int index) {
    TRect r = menu->ItemRect(index);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    MapWindowPoints(menu->WindowHandle(), form->Handle(), &p, 1);
    return p;
  }

  TPopupMenu* menu = nullptr;
  TEdit* edit = nullptr;
  std::vector<int> chosen;
};

TEST_F(MenusTest, OpensAtThePointAndShowsItsEntries) {
  Open(20, 20);
  ASSERT_TRUE(menu->IsOpen());
  EXPECT_EQ(TPopupMenu::ActiveMenu(), menu);
  kx::Image img = Shot();
  Artifact(img, "popup_menu");
  EXPECT_EQ(img.ColorAt(25, 25), Rgb(clMenu));
  EXPECT_EQ(img.ColorAt(20, 20), Rgb(clBtnShadow)) << "frame at the given point";
  TRect one = menu->ItemRect(0), three = menu->ItemRect(3);
  EXPECT_GT(three.top, one.bottom);
  EXPECT_TRUE(edit->Focused()) << "the menu does not take the focus";
}

TEST_F(MenusTest, StaysInsideTheWindow) {
  Open(190, 140);
  RECT r;
  GetWindowRect(menu->WindowHandle(), &r);
  RECT top;
  GetWindowRect(form->Handle(), &top);
  EXPECT_LE(r.right, top.right);
  EXPECT_LE(r.bottom, top.bottom);
}

TEST_F(MenusTest, MouseChoosesEnabledEntriesOnly) {
  Open(20, 20);
  TPoint two = Centre(1), three = Centre(3);
  kx::headless::Click(two.x, two.y);
  EXPECT_TRUE(menu->IsOpen()) << "a greyed entry cannot be chosen";
  EXPECT_TRUE(chosen.empty());
  kx::headless::MouseMove(three.x, three.y);
  EXPECT_EQ(menu->HighlightIndex(), 3);
  kx::headless::Click(three.x, three.y);
  EXPECT_FALSE(menu->IsOpen());
  EXPECT_EQ(chosen, std::vector<int>{3});
  EXPECT_TRUE(edit->Focused());
}

TEST_F(MenusTest, KeyboardSkipsSeparatorsAndGreyedEntries) {
  Open(20, 20);
  kx::headless::PressKey(VK_DOWN);
  EXPECT_EQ(menu->HighlightIndex(), 0);
  kx::headless::PressKey(VK_DOWN);
  EXPECT_EQ(menu->HighlightIndex(), 3);
  kx::headless::PressKey(VK_DOWN);
  EXPECT_EQ(menu->HighlightIndex(), 0) << "wraps around";
  kx::headless::PressKey(VK_UP);
  EXPECT_EQ(menu->HighlightIndex(), 3);
  kx::headless::PressKey(VK_RETURN);
  EXPECT_EQ(chosen, std::vector<int>{3});
  EXPECT_FALSE(menu->IsOpen());
  EXPECT_EQ(edit->Text(), u"") << "the keys went to the menu, not to the field";

  Open(20, 20);
  kx::headless::TypeText(u"h");
  EXPECT_EQ(chosen, (std::vector<int>{3, 3})) << "accelerator character";
  Open(20, 20);
  kx::headless::TypeText(u"t");
  EXPECT_TRUE(menu->IsOpen()) << "the greyed entry's accelerator does nothing";
}

TEST_F(MenusTest, EscapeAndAnOutsidePressClose) {
  int clicks = 0;
  auto* b = Add<TButton>(form, 120, 10, 60, 25);
  b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
  kx::headless::Tick(0);
  Open(20, 20);
  kx::headless::PressKey(VK_ESCAPE);
  EXPECT_FALSE(menu->IsOpen());
  Open(20, 20);
  kx::headless::Click(150, 20);
  EXPECT_FALSE(menu->IsOpen());
  EXPECT_EQ(clicks, 0) << "the press that closes the menu goes nowhere else";
  EXPECT_TRUE(chosen.empty());
  kx::headless::Click(150, 20);
  EXPECT_EQ(clicks, 1);
}

TEST_F(MenusTest, DestroyingTheMenuWhileOpenClosesIt) {
  Open(20, 20);
  delete menu;
  menu = nullptr;
  EXPECT_EQ(TPopupMenu::ActiveMenu(), nullptr);
  kx::headless::Click(30, 30);
  EXPECT_TRUE(chosen.empty());
}

}  // namespace
}  // namespace kx::test
