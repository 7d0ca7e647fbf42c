#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "controls/HTMLContainer.h"
#include "controls/HTMLLabel.h"
#include "framework/Menus.h"
#include "platform/display/Headless.h"
#include "platform/user/User.h"

namespace kx::test {
namespace {

namespace hl = kx::headless;

constexpr COLORREF kNoteYellow = RGB(254, 249, 211);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBand = RGB(0, 123, 206);

TEST(CenterRect, CentresEachSizeOnItsOwnAndCutsOversizes) {
  EXPECT_EQ(CenterRect(10, 100, 20, 59), Rect(45, 19, 55, 39));
  EXPECT_EQ(CenterRect(11, 100, 21, 59), Rect(45, 19, 56, 40));
  EXPECT_EQ(CenterRect(150, 100, 80, 59), Rect(0, 0, 100, 59));
  EXPECT_EQ(CenterRect(0, 0, 0, 0), Rect(0, 0, 0, 0));
}

class HTMLLabelTest : public ControlsTest {};

TEST_F(HTMLLabelTest, BottomNoteWrapsAt413AndDrawsFromItsBorder) {
  Load(
      "  object HTMLLabel5: THTMLLabel\n"
      "    Left = 0\n    Top = 527\n    Width = 445\n    Height = 65\n"
      "    Align = alBottom\n    AutoSize = False\n    BorderWidth = 16\n"
      "    Caption = 'Bitte achten Sie auf die <B>korrekte Eingabe</B> Ihrer Daten, da eine "
      "Registrierung sonst nicht m'#246'glich ist!'\n"
      "    Color = 13892094\n    ParentColor = False\n    ThemeMode = ttmNone\n"
      "    Transparent = False\n    WordWrap = True\n"
      "  end\n");
  ShowForm();
  auto* label = Find<THTMLLabel>("HTMLLabel5");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->BoundsRect(), Bounds(0, 527, 445, 65));
  EXPECT_EQ(label->Render()->Data()->MaxWidth(), 413);
  EXPECT_LE(label->Render()->Data()->TextSize().cx, 413);
  EXPECT_GT(label->Render()->Data()->TextSize().cy, 16) << "two lines at least";
  EXPECT_EQ(label->DocumentRect().left, 16);
  EXPECT_EQ(label->DocumentRect().top, 16);
  const kx::Image img = Shot();
  Save(img, "controls_label_note");
  // The 16-pixel frame shows the label colour; the text starts just inside it.
  for (int x = 0; x < 445; ++x) {
    ASSERT_EQ(img.ColorAt(x, 527 + 8), kNoteYellow) << x;
    ASSERT_EQ(img.ColorAt(x, 591 - 4), kNoteYellow) << x;
  }
  const RECT ink = InkBox(img, RECT{0, 527, 445, 592}, kNoteYellow);
  EXPECT_GE(ink.left, 16);
  EXPECT_LE(ink.left, 19);
  EXPECT_GE(ink.top, 527 + 16);
  EXPECT_LE(ink.right, 445 - 16);
}

TEST_F(HTMLLabelTest, HeadlineIsCentredVerticallyOnTheBand) {
  Load(
      "  object FlatPanel1: TFlatPanel\n"
      "    Left = 0\n    Top = 0\n    Width = 445\n    Height = 65\n"
      "    BorderType = fbtNone\n    BevelOuter = bvNone\n    Color = 13531904\n"
      "    ThemeMode = ttmNone\n    TransparentXPThemes = False\n"
      "    object HTMLLabel1: THTMLLabel\n"
      "      Left = 16\n      Top = 3\n      Width = 411\n      Height = 59\n"
      "      AutoSize = False\n"
      "      Caption = 'Kostenlose Registrierung f'#252'r die <br><b>Vollversion von <font "
      "size=22>Parvel</b></font>'\n"
      "      Font.Color = 11399932\n      Font.Height = -15\n      Font.Name = 'Verdana'\n"
      "      Layout = tlCenter\n      ParentFont = False\n      ThemeMode = ttmNone\n"
      "      Transparent = False\n      WordWrap = True\n"
      "    end\n"
      "  end\n");
  ShowForm();
  auto* label = Find<THTMLLabel>("HTMLLabel1");
  const int cy = label->Render()->Data()->TextSize().cy;
  const TRect r = label->DocumentRect();
  if (cy <= 59) {
    EXPECT_EQ(r.top, 29 - cy / 2);
    EXPECT_EQ(RectHeight(r), cy);
  } else {
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(RectHeight(r), 59);
  }
  const kx::Image img = Shot();
  Save(img, "controls_label_headline");
  // The label's own opaque fill is the band's colour (ParentColor).
  EXPECT_EQ(img.ColorAt(20, 5), kBand);
  EXPECT_EQ(img.ColorAt(420, 60), kBand);
  const RECT ink = InkBox(img, RECT{16, 3, 427, 62}, kBand);
  ASSERT_GT(ink.bottom, ink.top);
  const int above = ink.top - 3, below = 62 - ink.bottom;
  EXPECT_LE(std::abs(above - below), 6) << "ink from " << ink.top << " to " << ink.bottom;
}

TEST_F(HTMLLabelTest, TallDocumentUnderTlCenterStartsAtZeroAndIsCut) {
  Load(
      "  object L: THTMLLabel\n"
      "    Left = 0\n    Top = 0\n    Width = 200\n    Height = 30\n"
      "    AutoSize = False\n    Layout = tlCenter\n"
      "    Caption = 'a<br>b<br>c<br>d'\n"
      "  end\n");
  ShowForm();
  auto* label = Find<THTMLLabel>("L");
  ASSERT_GT(label->Render()->Data()->TextSize().cy, 30);
  EXPECT_EQ(label->DocumentRect(), Rect(0, 0, 200, 30));
}

constexpr char kLinkLabel[] =
    "  object HTMLLabel3: THTMLLabel\n"
    "    Left = 16\n    Top = 152\n    Width = 411\n    Height = 27\n"
    "    Cursor = crHandPoint\n    Alignment = taCenter\n    AutoSize = False\n"
    "    Caption = 'Jetzt registrieren'\n    Color = clWhite\n"
    "    Font.Color = 13531904\n    Font.Height = -19\n    Font.Name = 'Verdana'\n"
    "    Font.Style = [fsUnderline]\n    IsHTML = False\n    LinkColor = 13531904\n"
    "    ParentColor = False\n    ParentFont = False\n    ThemeMode = ttmNone\n"
    "    Transparent = False\n    WordWrap = True\n"
    "  end\n";

TEST_F(HTMLLabelTest, PlainLinkLabelIsCentredBlueAndUnderlined) {
  Load(kLinkLabel);
  ShowForm();
  const kx::Image img = Shot();
  Save(img, "controls_label_link");
  const RECT ink = InkBox(img, RECT{16, 152, 427, 179}, kWhite);
  ASSERT_GT(ink.right, ink.left);
  const int leftGap = ink.left - 16, rightGap = 427 - ink.right;
  EXPECT_LE(std::abs(leftGap - rightGap), 3) << leftGap << " / " << rightGap;
  // Blue text: the darkest ink pixel is the font colour.
  int blue = 0;
  for (int y = ink.top; y < ink.bottom; ++y)
    for (int x = ink.left; x < ink.right; ++x)
      blue += Near(img.ColorAt(x, y), kBand, 8);
  EXPECT_GT(blue, 50);
  // The underline is one continuous row across the text.
  bool underline = false;
  for (int y = ink.top; y < ink.bottom && !underline; ++y) {
    int run = 0;
    for (int x = ink.left; x < ink.right; ++x)
      run += Near(img.ColorAt(x, y), kBand, 8);
    underline = run > (ink.right - ink.left) * 9 / 10;
  }
  EXPECT_TRUE(underline);
}

TEST_F(HTMLLabelTest, PlainLabelShowsTheHandEverywhereAndRaisesOnClick) {
  Load(kLinkLabel);
  ShowForm();
  auto* label = Find<THTMLLabel>("HTMLLabel3");
  int clicks = 0;
  label->SetOnClick(TNotifyEvent([&](TObject* s) { clicks += s == label; }));
  hl::MouseMove(20, 155);
  EXPECT_EQ(hl::CurrentCursorId(), IDC_HAND);
  hl::MouseMove(20, 300);
  EXPECT_NE(hl::CurrentCursorId(), IDC_HAND);
  hl::MouseMove(420, 175);
  EXPECT_EQ(hl::CurrentCursorId(), IDC_HAND) << "the hand comes back";
  hl::Click(420, 175);
  EXPECT_EQ(clicks, 1);
}

class HTMLLinkTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Load(
        "  object L: THTMLLabel\n"
        "    Left = 10\n    Top = 10\n    Width = 300\n    Height = 40\n"
        "    AutoSize = False\n"
        "    Caption = 'Go <a href=\"next\">here</a> now'\n"
        "  end\n");
    label = Find<THTMLLabel>("L");
    label->SetOnLinkClick(THTMLLinkClickEvent([this](TObject* s, const TUnicodeString& href) {
      if (s == label) links.push_back(href);
    }));
    label->SetOnClick(TNotifyEvent([this](TObject*) { ++clicks; }));
    ShowForm();
  }
  // A point on the link's text, in form coordinates.
  TPoint OnLink() {
    TUnicodeString href;
    const TRect r = label->DocumentRect();
    for (int x = 0; x < RectWidth(r); ++x)
      for (int y = 0; y < RectHeight(r); ++y)
        if (label->Render()->IsCursorOverLink(Point(x, y), Point(0, 0), r, href))
          return Point(10 + r.left + x, 10 + r.top + y);
    ADD_FAILURE() << "no link found";
    return Point(0, 0);
  }
  THTMLLabel* label = nullptr;
  std::vector<TUnicodeString> links;
  int clicks = 0;
};

TEST_F(HTMLLinkTest, HandOnlyOverTheLinkAndTheClickReachesOnLinkClick) {
  const TPoint p = OnLink();
  hl::MouseMove(12, 12);
  EXPECT_NE(hl::CurrentCursorId(), IDC_HAND);
  hl::MouseMove(p.x, p.y);
  EXPECT_EQ(hl::CurrentCursorId(), IDC_HAND);
  hl::MouseMove(200, 300);
  EXPECT_NE(hl::CurrentCursorId(), IDC_HAND);
  hl::Click(p.x, p.y);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0], u"next");
  hl::Click(12, 12);
  EXPECT_EQ(links.size(), 1u);
  EXPECT_EQ(clicks, 0) << "HTML mode never raises OnClick";
}

TEST_F(HTMLLinkTest, ContainerLinksSwitchItemsInsteadOfRaisingTheEvent) {
  auto* container = new THTMLContainer(form);
  container->Add("first", u"Go <a href=\"next\">here</a> now");
  container->Add("next", u"Back <a href=\"first\">there</a>");
  label->SetContainer(container);
  Pump();
  hl::Click(OnLink().x, OnLink().y);
  EXPECT_EQ(label->ContainerIndex(), 1);
  EXPECT_TRUE(links.empty());
  EXPECT_EQ(label->PlainText(), u"Back there");
  label->SetCheckContainerLinks(false);
  Pump();
  const TPoint p = OnLink();
  hl::Click(p.x, p.y);
  EXPECT_EQ(label->ContainerIndex(), 1);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0], u"first");
  // A container changing its item refreshes the label; one going away detaches it.
  container->SetItem(1, "next", u"Changed");
  EXPECT_EQ(label->PlainText(), u"Changed");
  delete container;
  EXPECT_EQ(label->Container(), nullptr);
  EXPECT_EQ(label->PlainText(), u"Go here now");
}

TEST_F(HTMLLinkTest, RightClickOnALinkOpensTheLinkMenu) {
  auto* menu = new TPopupMenu(form);
  auto* item = new TMenuItem(form);
  item->SetCaption(u"Open");
  menu->Items()->Add(item);
  label->SetLinkPopupMenu(menu);
  hl::Click(12, 12, hl::Button::Right);
  EXPECT_FALSE(menu->IsOpen());
  const TPoint p = OnLink();
  hl::Click(p.x, p.y, hl::Button::Right);
  EXPECT_TRUE(menu->IsOpen());
  EXPECT_EQ(menu->PopupComponent(), label);
  menu->CloseMenu();
  delete menu;
  EXPECT_EQ(label->LinkPopupMenu(), nullptr);
}

TEST_F(HTMLLabelTest, DisabledLabelIsDrawnInGrey) {
  Load(
      "  object L: THTMLLabel\n"
      "    Left = 10\n    Top = 10\n    Width = 300\n    Height = 40\n"
      "    AutoSize = False\n    Enabled = False\n"
      "    Caption = '<b>Disabled</b> text'\n"
      "  end\n");
  ShowForm();
  const kx::Image img = Shot();
  Save(img, "controls_label_disabled");
  int ink = 0, dark = 0;
  for (int y = 10; y < 50; ++y)
    for (int x = 10; x < 310; ++x) {
      const COLORREF c = img.ColorAt(x, y);
      if (c == kWhite) continue;
      ++ink;
      dark += GetRValue(c) < 100;
    }
  EXPECT_GT(ink, 30);
  EXPECT_EQ(dark, 0) << "no black text";
  // The darkest pixel is the grey-text colour lightened halfway to white, a neutral grey.
  COLORREF darkest = kWhite;
  for (int y = 10; y < 50; ++y)
    for (int x = 10; x < 310; ++x)
      if (GetRValue(img.ColorAt(x, y)) < GetRValue(darkest)) darkest = img.ColorAt(x, y);
  EXPECT_TRUE(Near(darkest, RGB(182, 182, 182), 8))
      << int(GetRValue(darkest)) << "," << int(GetGValue(darkest)) << ","
      << int(GetBValue(darkest));
}

TEST_F(HTMLLabelTest, AutoSizeFitsTheDocumentAndAnEmptyCaptionToTwiceTheBorder) {
  Load(
      "  object L: THTMLLabel\n"
      "    Left = 10\n    Top = 10\n    Width = 300\n    Height = 40\n"
      "    BorderWidth = 3\n    Caption = 'Hello'\n"
      "  end\n");
  auto* label = Find<THTMLLabel>("L");
  const TSize s = label->Render()->Data()->TextSize();
  EXPECT_EQ(label->Width(), s.cx + 6);
  EXPECT_EQ(label->Height(), s.cy + 6);
  label->SetCaption(u"");
  EXPECT_EQ(label->Width(), 6);
  EXPECT_EQ(label->Height(), 6);
}

TEST_F(HTMLLabelTest, ResizingRewrapsOnlyAWrappingLabel) {
  Load(
      "  object W: THTMLLabel\n"
      "    Left = 10\n    Top = 10\n    Width = 300\n    Height = 80\n    AutoSize = False\n"
      "    WordWrap = True\n    Caption = 'one two three four five six seven eight'\n"
      "  end\n"
      "  object N: THTMLLabel\n"
      "    Left = 10\n    Top = 100\n    Width = 300\n    Height = 80\n    AutoSize = False\n"
      "    Caption = 'one two three four five six seven eight'\n"
      "  end\n");
  auto* w = Find<THTMLLabel>("W");
  auto* n = Find<THTMLLabel>("N");
  const int oneLine = w->Render()->Data()->TextSize().cy;
  w->SetWidth(80);
  n->SetWidth(80);
  EXPECT_GT(w->Render()->Data()->TextSize().cy, oneLine);
  EXPECT_EQ(n->Render()->Data()->TextSize().cy, oneLine);
  EXPECT_EQ(w->Render()->Data()->MaxWidth(), 80);
}

TEST_F(HTMLLabelTest, TextRectAndPlainTextInBothModes) {
  Load(
      "  object L: THTMLLabel\n"
      "    Left = 10\n    Top = 10\n    Width = 300\n    Height = 40\n    AutoSize = False\n"
      "    Caption = 'a<br><b>b</b>'\n"
      "  end\n");
  auto* label = Find<THTMLLabel>("L");
  EXPECT_EQ(label->PlainText(), u"a\r\nb");
  const TSize s = label->Render()->Data()->TextSize();
  EXPECT_EQ(label->TextRect(), Rect(0, 0, s.cx, s.cy));
  label->SetIsHTML(false);
  EXPECT_EQ(label->PlainText(), u"a<br><b>b</b>");
  EXPECT_GT(RectWidth(label->TextRect()), 40);
}

TEST_F(HTMLLabelTest, VariableAndImageRequestsCarryTheLabelAsSender) {
  Load(
      "  object L: THTMLLabel\n"
      "    Left = 10\n    Top = 10\n    Width = 300\n    Height = 40\n    AutoSize = False\n"
      "  end\n");
  auto* label = Find<THTMLLabel>("L");
  TObject* sender = nullptr;
  label->SetOnVariableNeeded(
      THTMLVariableNeededEvent([&](TObject* s, const TUnicodeString& name, TUnicodeString& value) {
        sender = s;
        if (name == u"who") value = u"World";
      }));
  label->SetCaption(u"Hello <~~who>");
  EXPECT_EQ(sender, label);
}

}  // namespace
}  // namespace kx::test
