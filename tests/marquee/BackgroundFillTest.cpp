// The background fill: its pixels for the cases that matter, the rectangle it returns,
// its change notifications, and a gallery of every kind of fill to look at.
#include <gtest/gtest.h>

#include <functional>

#include "PixelSupport.h"
#include "marquee/BackgroundFill.h"
#include "marquee/GPGraphics.h"

namespace {

// The wizard's fill: solid white with a white one-pixel border.
void MakeWizardFill(TBackgroundFill& f) {
  f.SetColor(clWhite);
  f.SetColorMirror(clNone);
  f.SetColorMirrorTo(clNone);
  f.SetGradientType(gtSolid);
  f.SetGradientMirrorType(gtSolid);
  f.SetBorderColor(clWhite);
  f.SetRounding(0);
  f.SetShadowOffset(0);
  f.SetGlow(gmNone);
}

class FillTest : public ::testing::Test {
 protected:
  // Paints `fill` on a black surface, keeps the picture on failure.
  TGPRectF Paint(TBackgroundFill& fill, TestSurface& s, TGPRectF r) {
    TGPGraphics g(s.get());
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    return fill.Fill(&g, r);
  }
  void TearDown() override {
    if (HasFailure() && surface_)
      surface_->Save(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  TestSurface* surface_ = nullptr;
};

TEST_F(FillTest, WizardFillPaintsEveryPixelWhiteAndReturnsItsRectangle) {
  TBackgroundFill fill;
  MakeWizardFill(fill);
  TestSurface s(445, 417, 0x000000);
  surface_ = &s;
  const TGPRectF r{0, 0, 444, 416};
  TGPRectF out = Paint(fill, s, r);
  EXPECT_EQ(out, r);
  EXPECT_EQ(fill.FocusRect(), (TGPRectF{1, 1, 442, 414}));
  for (int y = 0; y < 417; ++y)
    for (int x = 0; x < 445; ++x)
      ASSERT_EQ(s.Rgb(x, y), 0xFFFFFFu) << x << "," << y;
}

TEST_F(FillTest, SolidPaintsOnlyColourAndNoColourPaintsNoBody) {
  struct Case {
    TGradientType kind;
    TColor color, colorTo;
    uint32_t expected;
  } cases[] = {
      {gtSolid, clRed, clBlue, 0xFF0000},     // ColorTo plays no part
      {gtVertical, clRed, clNone, 0xFF0000},  // no end colour: solid
      {gtSolid, clNone, clBlue, 0x000000},    // no start colour: no body
      {gtVertical, clNone, clBlue, 0x000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    TBackgroundFill fill;
    fill.SetGradientType(c.kind);
    fill.SetColor(c.color);
    fill.SetColorTo(c.colorTo);
    TestSurface s(40, 30, 0x000000);
    surface_ = &s;
    Paint(fill, s, TGPRectF{0, 0, 40, 30});
    for (int y = 0; y < 30; y += 3)
      for (int x = 0; x < 40; x += 3)
        ASSERT_EQ(s.Rgb(x, y), c.expected) << x << "," << y;
  }
}

TEST_F(FillTest, MirroredHalvesOverlapAndTheLowerHalfStartsWithColorMirror) {
  TBackgroundFill fill;
  fill.SetGradientType(gtVertical);
  fill.SetGradientMirrorType(gtVertical);
  fill.SetColor(TColor(0x0000FF));        // red
  fill.SetColorTo(TColor(0x00FFFF));      // yellow
  fill.SetColorMirror(TColor(0x00FF00));  // green
  fill.SetColorMirrorTo(TColor(0xFF0000));
  TestSurface s(40, 40, 0x000000);
  surface_ = &s;
  Paint(fill, s, TGPRectF{0, 0, 40, 40});
  // Upper (0, 0, 40, 21) and lower (0, 19, 40, 21).
  for (int x = 0; x < 40; ++x)
    ASSERT_EQ(s.Rgb(x, 19), 0x00FF00u) << x;
  EXPECT_GT(s.At(20, 0).r, 240);  // near red at the top (gamma-corrected blend)
  EXPECT_LT(s.At(20, 0).g, 100);
  EXPECT_GT(s.At(20, 18).g, 200);  // near yellow at the end of the upper half
  EXPECT_GT(s.At(20, 18).r, 200);
  EXPECT_GT(s.At(20, 39).b, 200);  // near blue at the bottom
  EXPECT_LT(s.At(20, 39).g, 100);
}

TEST_F(FillTest, HatchAndTextureNeverPaintALowerHalf) {
  TBackgroundFill fill;
  fill.SetGradientType(gtHatch);
  fill.SetHatchStyle(HatchStyleHorizontal);
  fill.SetColor(clBlack);
  fill.SetColorTo(clWhite);
  fill.SetColorMirror(clRed);
  fill.SetColorMirrorTo(clRed);
  TestSurface s(16, 32, 0x00FF00);
  surface_ = &s;
  Paint(fill, s, TGPRectF{0, 0, 16, 32});
  for (int y = 0; y < 32; ++y)
    ASSERT_EQ(s.Rgb(3, y), y % 8 == 0 ? 0u : 0xFFFFFFu) << y;
}

TEST_F(FillTest, ShadowShrinksTheReturnedRectangle) {
  struct Case {
    TShadowType type;
    TGPRectF expected;
  } cases[] = {
      {stRightBottom, {10, 10, 96, 46}},
      {stSurround, {14, 14, 92, 42}},
      {stBottom, {10, 10, 100, 46}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    TBackgroundFill fill;
    fill.SetShadowOffset(4);
    fill.SetShadowType(c.type);
    TestSurface s(120, 70, 0xFFFFFF);
    surface_ = &s;
    EXPECT_EQ(Paint(fill, s, TGPRectF{10, 10, 100, 50}), c.expected);
  }
  // stRightBottom leaves the shadow visible below and right of the body.
  TBackgroundFill fill;
  fill.SetShadowOffset(4);
  fill.SetColor(clWhite);
  fill.SetColorTo(clWhite);
  TestSurface s(120, 70, 0xFFFFFF);
  surface_ = &s;
  Paint(fill, s, TGPRectF{10, 10, 100, 50});
  EXPECT_LT(s.At(60, 58).r, 200);  // shadow band
  EXPECT_EQ(s.Rgb(60, 30), 0xFFFFFFu);
  // No shadow colour, no shadow.
  TBackgroundFill none;
  none.SetShadowOffset(4);
  none.SetShadowColor(clNone);
  TestSurface t(120, 70);
  EXPECT_EQ(Paint(none, t, TGPRectF{10, 10, 100, 50}), (TGPRectF{10, 10, 100, 50}));
}

TEST_F(FillTest, AOnePixelHighRectangleDrawsOnlyTheBorderLine) {
  TBackgroundFill fill;
  fill.SetColor(clRed);
  fill.SetBorderColor(clBlue);
  TestSurface s(30, 10, 0xFFFFFF);
  surface_ = &s;
  TGPGraphics g(s.get());
  fill.Fill(&g, TGPRectF{2, 5, 20, 1});
  for (int x = 2; x < 12; ++x)
    EXPECT_EQ(s.Rgb(x, 5), 0x0000FFu) << x;  // the pen, not the body
  for (int x = 0; x < 30; ++x)
    EXPECT_NE(s.Rgb(x, 5), 0xFF0000u);
  EXPECT_EQ(fill.FocusRect(), (TGPRectF{3, 6, 18, -1}));
  TBackgroundFill noBorder;
  TestSurface t(30, 10, 0xFFFFFF);
  TGPGraphics gt(t.get());
  noBorder.Fill(&gt, TGPRectF{2, 5, 1, 4});
  for (int y = 0; y < 10; ++y)
    EXPECT_EQ(t.Rgb(2, y), 0xFFFFFFu);
}

TEST_F(FillTest, WithoutASurfaceNothingIsDrawnAndTheRectangleComesBack) {
  TBackgroundFill fill;
  EXPECT_EQ(fill.Fill(nullptr, TGPRectF{1, 2, 3, 4}), (TGPRectF{1, 2, 3, 4}));
}

TEST_F(FillTest, AnUnknownRoundingTypePaintsNoBody) {
  TBackgroundFill fill;
  fill.SetColor(clRed);
  fill.SetGradientType(gtSolid);
  fill.SetRounding(4);
  fill.SetRoundingType(TFillRoundingType(9));
  TestSurface s(30, 30, 0x000000);
  surface_ = &s;
  Paint(fill, s, TGPRectF{0, 0, 30, 30});
  EXPECT_EQ(s.Rgb(15, 15), 0u);
}

TEST(BackgroundFill, StartsWithItsDocumentedValues) {
  TBackgroundFill f;
  EXPECT_EQ(f.Color(), clSilver);
  EXPECT_EQ(f.ColorTo(), clGray);
  EXPECT_EQ(f.ColorMirror(), clNone);
  EXPECT_EQ(f.ColorMirrorTo(), clNone);
  EXPECT_EQ(f.GradientType(), gtVertical);
  EXPECT_EQ(f.GradientMirrorType(), gtSolid);
  EXPECT_EQ(f.BorderColor(), clNone);
  EXPECT_EQ(f.BorderWidth(), 1);
  EXPECT_EQ(f.RoundingType(), rtBoth);
  EXPECT_EQ(f.ShadowColor(), clGray);
  EXPECT_EQ(f.Glow(), gmNone);
  EXPECT_EQ(f.PictureWidth(), 50);
  EXPECT_EQ(f.PictureHeight(), 50);
  EXPECT_EQ(f.BackGroundPictureMode(), pmOutsideFill);
  EXPECT_EQ(f.Opacity(), 255);
  EXPECT_TRUE(f.Picture()->Empty());
  EXPECT_TRUE(f.BackGroundPicture()->Empty());
}

TEST(BackgroundFill, NotifiesOnlyRealChangesAndNotWhileUpdating) {
  TBackgroundFill f;
  int changes = 0;
  f.SetOnChange(TNotifyEvent([&](TObject* sender) {
    EXPECT_EQ(sender, &f);
    ++changes;
  }));
  f.SetColor(clSilver);
  f.SetRounding(0);
  f.SetGradientType(gtVertical);
  EXPECT_EQ(changes, 0);
  f.SetColor(clRed);
  f.SetHatchStyle(HatchStyleWeave);
  EXPECT_EQ(changes, 2);
  f.BeginUpdate();
  f.BeginUpdate();
  f.SetColor(clBlue);
  f.EndUpdate();
  f.SetColorTo(clBlue);
  f.EndUpdate();
  EXPECT_EQ(changes, 2);
  f.EndUpdate();  // below zero stays zero
  EXPECT_EQ(f.UpdateCount(), 0);
  f.SetAngle(30);
  EXPECT_EQ(changes, 3);
  f.Picture()->LoadFromStream("x");
  EXPECT_EQ(changes, 4);
}

TEST(BackgroundFill, AssignCopiesEverythingButFocusInOneNotification) {
  TBackgroundFill a, b;
  a.SetColor(clRed);
  a.SetColorMirror(clBlue);
  a.SetGradientType(gtHatch);
  a.SetRounding(7);
  a.SetShadowType(stSurround);
  a.SetGlow(gmRadialGradient);
  a.SetPictureAspectRatio(true);
  a.SetFocus(true);
  a.Picture()->LoadFromStream("abc");
  int changes = 0;
  b.SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
  b.Assign(&a);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.Color(), clRed);
  EXPECT_EQ(b.ColorMirror(), clBlue);
  EXPECT_EQ(b.GradientType(), gtHatch);
  EXPECT_EQ(b.Rounding(), 7);
  EXPECT_EQ(b.ShadowType(), stSurround);
  EXPECT_EQ(b.Glow(), gmRadialGradient);
  EXPECT_TRUE(b.PictureAspectRatio());
  EXPECT_FALSE(b.Focus());
  EXPECT_EQ(b.Picture()->Data(), "abc");
  b.Assign(nullptr);
  EXPECT_EQ(changes, 1);
}

// ---- the gallery ----------------------------------------------------------------------

TEST(BackgroundFillGallery, EveryKindOfFill) {
  struct Cell {
    const char* name;
    std::function<void(TBackgroundFill&)> setup;
  };
  std::string texture;
  {
    TestSurface t(8, 8, 0xFFE0A0);
    cairo_t* cr = cairo_create(t.get());
    cairo_set_source_rgb(cr, 0.2, 0.5, 0.9);
    cairo_rectangle(cr, 0, 0, 4, 4);
    cairo_rectangle(cr, 4, 4, 4, 4);
    cairo_fill(cr);
    cairo_destroy(cr);
    texture = PngBytes(t.get());
  }
  auto colors = [](TBackgroundFill& f) {
    f.SetColor(TColor(0xFDEADA));
    f.SetColorTo(TColor(0xE4AE88));
    f.SetBorderColor(TColor(0x906040));
  };
  std::vector<Cell> cells = {
      {"solid",
       [&](auto& f) {
         colors(f);
         f.SetGradientType(gtSolid);
       }},
      {"radial",
       [&](auto& f) {
         colors(f);
         f.SetGradientType(gtRadial);
       }},
      {"vertical",
       [&](auto& f) {
         colors(f);
         f.SetGradientType(gtVertical);
       }},
      {"horizontal",
       [&](auto& f) {
         colors(f);
         f.SetGradientType(gtHorizontal);
       }},
      {"forward diagonal",
       [&](auto& f) {
         colors(f);
         f.SetGradientType(gtForwardDiagonal);
       }},
      {"backward diagonal",
       [&](auto& f) {
         colors(f);
         f.SetGradientType(gtBackwardDiagonal);
       }},
      {"angle 30",
       [&](auto& f) {
         colors(f);
         f.SetGradientType(gtAngle);
         f.SetAngle(30);
       }},
      {"hatch",
       [&](auto& f) {
         colors(f);
         f.SetGradientType(gtHatch);
         f.SetHatchStyle(HatchStyleDiagonalCross);
       }},
      {"texture",
       [&](auto& f) {
         colors(f);
         f.SetGradientType(gtTexture);
         f.SetBackGroundPicturePosition(ppTiled);
         f.BackGroundPicture()->LoadFromStream(texture);
       }},
      {"mirror",
       [&](auto& f) {
         colors(f);
         f.SetColorMirror(TColor(0xE4AE88));
         f.SetColorMirrorTo(TColor(0xFFF2E7));
         f.SetGradientMirrorType(gtVertical);
       }},
      {"mirror radial",
       [&](auto& f) {
         colors(f);
         f.SetGradientType(gtRadial);
         f.SetColorMirror(TColor(0xE4AE88));
         f.SetColorMirrorTo(TColor(0xFFF2E7));
         f.SetGradientMirrorType(gtRadial);
       }},
      {"rounded both",
       [&](auto& f) {
         colors(f);
         f.SetRounding(10);
       }},
      {"rounded top",
       [&](auto& f) {
         colors(f);
         f.SetRounding(10);
         f.SetRoundingType(rtTop);
       }},
      {"rounded bottom",
       [&](auto& f) {
         colors(f);
         f.SetRounding(10);
         f.SetRoundingType(rtBottom);
       }},
      {"rounded left",
       [&](auto& f) {
         colors(f);
         f.SetRounding(10);
         f.SetRoundingType(rtLeft);
       }},
      {"rounded right",
       [&](auto& f) {
         colors(f);
         f.SetRounding(10);
         f.SetRoundingType(rtRight);
       }},
      {"rounded mirror",
       [&](auto& f) {
         colors(f);
         f.SetRounding(10);
         f.SetColorMirror(TColor(0xE4AE88));
         f.SetColorMirrorTo(TColor(0xFFF2E7));
         f.SetGradientMirrorType(gtVertical);
       }},
      {"shadow right-bottom",
       [&](auto& f) {
         colors(f);
         f.SetShadowOffset(6);
       }},
      {"shadow bottom",
       [&](auto& f) {
         colors(f);
         f.SetShadowOffset(6);
         f.SetShadowType(stBottom);
       }},
      {"shadow surround",
       [&](auto& f) {
         colors(f);
         f.SetShadowOffset(6);
         f.SetShadowType(stSurround);
         f.SetRounding(6);
       }},
      {"glow gradient",
       [&](auto& f) {
         colors(f);
         f.SetGlow(gmGradient);
       }},
      {"glow radial",
       [&](auto& f) {
         colors(f);
         f.SetGlow(gmRadial);
       }},
      {"glow radial gradient",
       [&](auto& f) {
         colors(f);
         f.SetGlow(gmRadialGradient);
         f.SetRounding(6);
       }},
      {"focus",
       [&](auto& f) {
         colors(f);
         f.SetFocus(true);
         f.SetRounding(6);
       }},
      {"picture centre",
       [&](auto& f) {
         colors(f);
         f.Picture()->LoadFromStream(texture);
         f.SetPicturePosition(ppCenterCenter);
         f.SetPictureSize(psCustom);
         f.SetPictureWidth(24);
         f.SetPictureHeight(24);
       }},
      {"picture stretched",
       [&](auto& f) {
         colors(f);
         f.Picture()->LoadFromStream(texture);
         f.SetPicturePosition(ppStretched);
         f.SetPictureAspectRatio(true);
       }},
      {"transparent 50%",
       [&](auto& f) {
         colors(f);
         f.SetOpacity(128);
         f.SetOpacityTo(128);
       }},
      {"thick border",
       [&](auto& f) {
         colors(f);
         f.SetBorderWidth(3);
         f.SetRounding(8);
       }},
  };
  const int cols = 4, cw = 150, ch = 80, pad = 10;
  const int rows = int(cells.size() + cols - 1) / cols;
  TestSurface s(cols * (cw + pad) + pad, rows * (ch + pad) + pad, 0xFFFFFF);
  TGPGraphics g(s.get());
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  for (size_t i = 0; i < cells.size(); ++i) {
    TBackgroundFill f;
    cells[i].setup(f);
    float x = float(pad + int(i % cols) * (cw + pad)), y = float(pad + int(i / cols) * (ch + pad));
    TGPRectF out = f.Fill(&g, TGPRectF{x, y, float(cw - 1), float(ch - 1)});
    EXPECT_LE(out.Width, float(cw)) << cells[i].name;
  }
  s.Save("fill_gallery");
  // Every cell painted something other than the white page at its centre row.
  for (size_t i = 0; i < cells.size(); ++i) {
    int x = pad + int(i % cols) * (cw + pad), y = pad + int(i / cols) * (ch + pad);
    bool painted = false;
    for (int dx = 5; dx < cw - 10 && !painted; dx += 5)
      painted = s.Rgb(x + dx, y + ch / 3) != 0xFFFFFFu;
    EXPECT_TRUE(painted) << cells[i].name;
  }
}

}  // namespace
