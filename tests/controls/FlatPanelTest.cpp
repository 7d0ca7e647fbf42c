#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "controls/FlatPanel.h"
#include "controls/HTMLLabel.h"
#include "platform/display/Headless.h"

namespace kx::test {
namespace {

namespace hl = kx::headless;

constexpr COLORREF kBand = RGB(0, 123, 206);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kYellow = RGB(254, 249, 211);

class FlatPanelTest : public ControlsTest {};

TEST_F(FlatPanelTest, HeaderBandIsASolidFillWithoutBorderOrBevel) {
  Load(
      "  object FlatPanel1: TFlatPanel\n"
      "    Left = 0\n    Top = 0\n    Width = 445\n    Height = 65\n"
      "    Anchors = [akLeft, akTop, akRight]\n    BorderType = fbtNone\n"
      "    BevelOuter = bvNone\n    Color = 13531904\n    TabOrder = 0\n"
      "    ThemeMode = ttmNone\n    TransparentXPThemes = False\n"
      "  end\n");
  ShowForm();
  const kx::Image img = Shot();
  for (int y = 0; y < 65; ++y)
    for (int x = 0; x < 445; ++x)
      ASSERT_EQ(img.ColorAt(x, y), kBand) << x << "," << y;
  EXPECT_EQ(img.ColorAt(200, 65), kWhite);
}

constexpr char kOverlay[] =
    "  object Note: THTMLLabel\n"
    "    Left = 16\n    Top = 150\n    Width = 200\n    Height = 30\n    AutoSize = False\n"
    "    Color = 13892094\n    ParentColor = False\n    Transparent = False\n"
    "    Caption = 'Step'\n"
    "  end\n"
    "  object FlatPanel2: TFlatPanel\n"
    "    Left = 0\n    Top = 82\n    Width = 445\n    Height = 417\n"
    "    BorderType = fbtNone\n    BevelOuter = bvNone\n    Color = clWhite\n"
    "    TabOrder = 3\n    TransparentXPThemes = False\n    Visible = False\n"
    "    object Inner: TFlatPanel\n"
    "      Left = 20\n      Top = 20\n      Width = 40\n      Height = 30\n"
    "      BevelOuter = bvNone\n      Color = clRed\n"
    "    end\n"
    "  end\n";

TEST_F(FlatPanelTest, OverlayCoversTheStepsWhenShownAndGivesThemBackWhenHidden) {
  Load(kOverlay);
  ShowForm();
  auto* overlay = Find<TFlatPanel>("FlatPanel2");
  EXPECT_EQ(Shot().ColorAt(100, 155), kYellow) << "hidden at start";
  overlay->SetVisible(true);
  Pump();
  kx::Image img = Shot();
  Save(img, "controls_panel_overlay");
  EXPECT_EQ(img.ColorAt(100, 155), kWhite);
  EXPECT_EQ(img.ColorAt(30, 82 + 30), RGB(255, 0, 0)) << "its child shows with it";
  EXPECT_EQ(img.ColorAt(444, 498), kWhite);
  overlay->SetVisible(false);
  Pump();
  img = Shot();
  EXPECT_EQ(img.ColorAt(100, 155), kYellow);
  EXPECT_EQ(img.ColorAt(30, 82 + 30), kWhite) << "the child went with the panel";
}

TEST_F(FlatPanelTest, ClientAlignedChildGetsTheAdjustedClientRectangle) {
  Load(
      "  object P: TFlatPanel\n"
      "    Left = 0\n    Top = 0\n    Width = 200\n    Height = 100\n"
      "    BevelOuter = bvNone\n"
      "    object C: TFlatPanel\n      Align = alClient\n      BevelOuter = bvNone\n    end\n"
      "  end\n"
      "  object Q: TFlatPanel\n"
      "    Left = 0\n    Top = 200\n    Width = 200\n    Height = 100\n"
      "    BevelOuter = bvRaised\n    BevelInner = bvLowered\n    BevelWidth = 3\n"
      "    object D: TFlatPanel\n      Align = alClient\n      BevelOuter = bvNone\n    end\n"
      "  end\n");
  ShowForm();
  EXPECT_EQ(Find<TFlatPanel>("C")->BoundsRect(), Rect(0, 0, 200, 100));
  EXPECT_EQ(Find<TFlatPanel>("D")->BoundsRect(), Rect(6, 6, 194, 94));
}

TEST_F(FlatPanelTest, BevelsUseTheButtonColoursAndShrinkInward) {
  Load(
      "  object P: TFlatPanel\n"
      "    Left = 10\n    Top = 10\n    Width = 100\n    Height = 50\n"
      "    BevelOuter = bvRaised\n    BevelInner = bvLowered\n    Color = clWhite\n"
      "  end\n");
  ShowForm();
  const kx::Image img = Shot();
  Save(img, "controls_panel_bevels");
  const COLORREF hi = Rgb(clBtnHighlight), sh = Rgb(clBtnShadow);
  EXPECT_EQ(img.ColorAt(50, 10), hi);   // outer top
  EXPECT_EQ(img.ColorAt(10, 30), hi);   // outer left
  EXPECT_EQ(img.ColorAt(109, 30), sh);  // outer right
  EXPECT_EQ(img.ColorAt(50, 59), sh);   // outer bottom
  EXPECT_EQ(img.ColorAt(50, 11), sh);   // inner top (lowered)
  EXPECT_EQ(img.ColorAt(108, 30), hi);  // inner right
  EXPECT_EQ(img.ColorAt(50, 30), kWhite);
}

TEST_F(FlatPanelTest, CaptionIsCentredAndOwnerDrawReplacesIt) {
  Load(
      "  object P: TFlatPanel\n"
      "    Left = 10\n    Top = 10\n    Width = 200\n    Height = 50\n"
      "    BevelOuter = bvNone\n    Color = clWhite\n    Caption = 'Centre'\n"
      "  end\n");
  ShowForm();
  auto* panel = Find<TFlatPanel>("P");
  RECT ink = InkBox(Shot(), RECT{10, 10, 210, 60}, kWhite);
  ASSERT_GT(ink.right, ink.left);
  EXPECT_LE(std::abs((ink.left - 10) - (210 - ink.right)), 3);
  EXPECT_LE(std::abs((ink.top - 10) - (60 - ink.bottom)), 4);
  int paints = 0;
  panel->SetOnPaint(TNotifyEvent([&](TObject*) { ++paints; }));
  panel->SetOwnerDraw(true);
  Pump();
  EXPECT_GT(paints, 0);
  ink = InkBox(Shot(), RECT{10, 10, 210, 60}, kWhite);
  EXPECT_EQ(ink.right, ink.left) << "no caption when owner-drawn";
}

TEST_F(FlatPanelTest, FlatBorderAndGradientBackground) {
  Load(
      "  object P: TFlatPanel\n"
      "    Left = 10\n    Top = 10\n    Width = 160\n    Height = 40\n"
      "    BevelOuter = bvNone\n    BorderStyle = bsSingle\n    BorderType = fbtSunken\n"
      "    BorderColorShadow = clBlue\n    BorderColorHighlight = clYellow\n"
      "    BackgroundType = bgtHorzGradient\n    GradientStartColor = clBlack\n"
      "    GradientEndColor = clWhite\n    GradientSteps = 16\n"
      "  end\n");
  ShowForm();
  const kx::Image img = Shot();
  Save(img, "controls_panel_gradient");
  EXPECT_EQ(img.ColorAt(50, 10), RGB(0, 0, 255));
  EXPECT_EQ(img.ColorAt(169, 30), RGB(255, 255, 0));
  EXPECT_LT(GetRValue(img.ColorAt(14, 30)), 40);
  EXPECT_GT(GetRValue(img.ColorAt(165, 30)), 215);
  EXPECT_LT(GetRValue(img.ColorAt(60, 30)), GetRValue(img.ColorAt(120, 30)));
}

TEST_F(FlatPanelTest, MouseEnterAndLeave) {
  Load(
      "  object P: TFlatPanel\n"
      "    Left = 10\n    Top = 10\n    Width = 100\n    Height = 50\n"
      "  end\n");
  ShowForm();
  auto* panel = Find<TFlatPanel>("P");
  int enters = 0, leaves = 0;
  panel->SetOnMouseEnter(TNotifyEvent([&](TObject*) { ++enters; }));
  panel->SetOnMouseLeave(TNotifyEvent([&](TObject*) { ++leaves; }));
  hl::MouseMove(50, 30);
  EXPECT_TRUE(panel->MouseInControl());
  hl::MouseMove(300, 300);
  EXPECT_FALSE(panel->MouseInControl());
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(leaves, 1);
}

TEST_F(FlatPanelTest, MovablePanelFollowsTheMouseAndRaisesOnMove) {
  Load(
      "  object P: TFlatPanel\n"
      "    Left = 10\n    Top = 10\n    Width = 100\n    Height = 50\n    Movable = True\n"
      "  end\n");
  ShowForm();
  auto* panel = Find<TFlatPanel>("P");
  int moves = 0;
  panel->SetOnMove(TNotifyEvent([&](TObject*) { ++moves; }));
  hl::MouseDown(30, 30);
  hl::MouseMove(60, 50);
  hl::MouseUp(60, 50);
  EXPECT_EQ(panel->Left(), 40);
  EXPECT_EQ(panel->Top(), 30);
  EXPECT_EQ(moves, 1);
}

}  // namespace
}  // namespace kx::test
