// The drawing layer: colours, shapes, paths, clipping, brushes, images and pictures.
#include <gtest/gtest.h>

#include <set>

#include "PixelSupport.h"
#include "marquee/BackgroundFill.h"
#include "marquee/GPBrush.h"
#include "marquee/GPGraphics.h"
#include "marquee/GPGraphicsPath.h"
#include "marquee/GPImage.h"
#include "marquee/GPPicture.h"
#include "platform/user/User.h"

namespace {

TEST(ArgbFromColor, CombinesOpacityWithTheResolvedColour) {
  struct Case {
    uint8_t opacity;
    TColor color;
    ARGB expected;
  } cases[] = {
      {180, TColor(0x00808080), 0xB4808080u},
      {255, TColor(0x000000FF), 0xFFFF0000u},
      {0, TColor(0x00FF0000), 0x000000FFu},
      {255, clNone, 0xFFFFFFFFu},  // converts like a plain colour; callers test for it first
      {255, TColor(0xE16941), 0xFF4169E1u},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ArgbFromColor(c.opacity, c.color), c.expected);
}

TEST(ArgbFromColor, SystemColoursTakeTheCurrentTableValue) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  ARGB expected = 0xFF000000u | uint32_t(GetRValue(face)) << 16 | uint32_t(GetGValue(face)) << 8 |
                  GetBValue(face);
  EXPECT_EQ(ArgbFromColor(255, clBtnFace), expected);
}

TEST(GPGraphics, FillsRectanglesOnWholePixelsAndOutlinesReachTheFarEdge) {
  TestSurface s(20, 20);
  TGPGraphics g(s.get());
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  TGPSolidBrush red(0xFFFF0000);
  EXPECT_EQ(g.FillRectangle(&red, TGPRectF{2, 3, 5, 4}), Ok);
  EXPECT_EQ(s.Rgb(2, 3), 0xFF0000u);
  EXPECT_EQ(s.Rgb(6, 6), 0xFF0000u);
  EXPECT_EQ(s.Rgb(7, 6), 0xFFFFFFu);
  EXPECT_EQ(s.Rgb(6, 7), 0xFFFFFFu);
  TGPPen blue(0xFF0000FF, 1);
  g.DrawRectangle(&blue, TGPRectF{10, 10, 5, 5});
  EXPECT_EQ(s.Rgb(10, 10), 0x0000FFu);
  EXPECT_EQ(s.Rgb(15, 15), 0x0000FFu);
  EXPECT_EQ(s.Rgb(12, 12), 0xFFFFFFu);
}

TEST(GPGraphics, ZeroSizeShapesFillNothingAndSucceed) {
  TestSurface s(10, 10);
  TGPGraphics g(s.get());
  TGPSolidBrush black(0xFF000000);
  EXPECT_EQ(g.FillRectangle(&black, TGPRectF{2, 2, 0, 5}), Ok);
  EXPECT_EQ(g.FillEllipse(&black, TGPRectF{2, 2, 5, 0}), Ok);
  auto path = CreateRoundedPath(2, 2, 0, 5, 0, rtNone);
  EXPECT_EQ(g.FillPath(&black, path.get()), Ok);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(s.Rgb(x, y), 0xFFFFFFu) << x << "," << y;
  EXPECT_EQ(g.lastResult, Ok);
}

TEST(GPGraphics, KeepsTheLastFailureAndNeverRaises) {
  TestSurface s(10, 10);
  TGPGraphics g(s.get());
  EXPECT_EQ(g.FillRectangle(nullptr, TGPRectF{0, 0, 5, 5}), InvalidParameter);
  TGPSolidBrush black(0xFF000000);
  EXPECT_EQ(g.FillRectangle(&black, TGPRectF{0, 0, 5, 5}), Ok);
  EXPECT_EQ(g.lastResult, InvalidParameter);
  EXPECT_EQ(g.DrawPath(nullptr, nullptr), InvalidParameter);
  TGPGraphics none(static_cast<cairo_surface_t*>(nullptr));
  EXPECT_EQ(none.lastResult, InvalidParameter);
  EXPECT_EQ(none.FillRectangle(&black, TGPRectF{0, 0, 5, 5}), InvalidParameter);
  TGPGraphics noDC(static_cast<HDC>(nullptr));
  EXPECT_EQ(noDC.lastResult, InvalidParameter);
}

TEST(GPGraphics, SmoothingModeZeroDrawsWithoutAntiAliasing) {
  TestSurface s(20, 20);
  TGPGraphics g(s.get());
  EXPECT_EQ(g.GetSmoothingMode(), SmoothingModeDefault);
  TGPSolidBrush black(0xFF000000);
  g.FillEllipse(&black, TGPRectF{1.3f, 1.3f, 15, 15});
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      uint32_t c = s.Rgb(x, y);
      ASSERT_TRUE(c == 0 || c == 0xFFFFFFu) << x << "," << y;
    }
}

TEST(GPGraphicsPath, RoundedOutlineWithRadiusZeroIsTheRectangle) {
  for (int type = rtNone; type <= rtRight; ++type) {
    SCOPED_TRACE(type);
    TestSurface a(30, 30), b(30, 30);
    TGPGraphics ga(a.get()), gb(b.get());
    ga.SetSmoothingMode(SmoothingModeAntiAlias);
    gb.SetSmoothingMode(SmoothingModeAntiAlias);
    TGPSolidBrush brush(0xFF336699);
    TGPPen pen(0xFFCC0000, 1);
    auto path = CreateRoundedPath(4, 5, 20, 15, 0, TFillRoundingType(type));
    ASSERT_TRUE(path);
    ga.FillPath(&brush, path.get());
    ga.DrawPath(&pen, path.get());
    gb.FillRectangle(&brush, TGPRectF{4, 5, 20, 15});
    gb.DrawRectangle(&pen, TGPRectF{4, 5, 20, 15});
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x)
        ASSERT_EQ(a.Rgb(x, y), b.Rgb(x, y)) << x << "," << y;
  }
  EXPECT_EQ(CreateRoundedPath(0, 0, 10, 10, 2, TFillRoundingType(6)), nullptr);
}

TEST(GPGraphicsPath, SegmentsJoinAndAZeroSizeArcAddsNoCurve) {
  TGPGraphicsPath p;
  EXPECT_EQ(p.AddArc(0, 0, 0, 0, 180, 90), InvalidParameter);
  EXPECT_EQ(p.GetPointCount(), 0);
  p.AddLine(0, 0, 10, 0);
  p.AddArc(5, 0, 10, 10, 270, 90);
  // A quarter arc is one Bezier piece: its start point plus three.
  EXPECT_EQ(p.GetPointCount(), 2 + 4);
  EXPECT_EQ(p.Points()[0].Type, TGPGraphicsPath::ptStart);
  EXPECT_EQ(p.Points()[2].Type, TGPGraphicsPath::ptLine);
  EXPECT_NEAR(p.Points()[5].X, 15, 1e-4);
  EXPECT_NEAR(p.Points()[5].Y, 5, 1e-4);
  p.CloseFigure();
  EXPECT_TRUE(p.Points().back().Type & TGPGraphicsPath::ptClose);
  TGPGraphicsPath e;
  e.AddEllipse(0, 0, 20, 10);
  EXPECT_EQ(e.GetPointCount(), 13);
}

TEST(GPGraphics, ClipsToARectangleOrAPathAndResets) {
  TestSurface s(20, 20);
  TGPGraphics g(s.get());
  TGPSolidBrush black(0xFF000000);
  g.SetClip(TGPRectF{5, 5, 5, 5});
  g.FillRectangle(&black, TGPRectF{0, 0, 20, 20});
  EXPECT_EQ(s.Rgb(5, 5), 0u);
  EXPECT_EQ(s.Rgb(9, 9), 0u);
  EXPECT_EQ(s.Rgb(10, 10), 0xFFFFFFu);
  EXPECT_EQ(s.Rgb(4, 4), 0xFFFFFFu);
  TGPGraphicsPath circle;
  circle.AddEllipse(10, 0, 10, 10);
  TGPRegion region(&circle);
  TGPSolidBrush red(0xFFFF0000);
  g.SetClip(&region);
  g.FillRectangle(&red, TGPRectF{0, 0, 20, 20});
  EXPECT_EQ(s.Rgb(15, 5), 0xFF0000u);
  EXPECT_EQ(s.Rgb(10, 0), 0xFFFFFFu);  // outside the circle's corner
  EXPECT_EQ(s.Rgb(7, 7), 0u);          // the earlier clip was replaced
  g.ResetClip();
  g.FillRectangle(&red, TGPRectF{0, 19, 20, 1});
  EXPECT_EQ(s.Rgb(0, 19), 0xFF0000u);
}

TEST(GPPen, DottedPenAlternatesPixels) {
  TestSurface s(20, 5);
  TGPGraphics g(s.get());
  TGPPen pen(0xFF000000, 1);
  pen.SetDashStyle(DashStyleDot);
  g.DrawLine(&pen, 0, 2, 20, 2);
  for (int x = 0; x < 20; ++x)
    EXPECT_EQ(s.Rgb(x, 2), x % 2 ? 0xFFFFFFu : 0u) << x;
  EXPECT_EQ(s.Rgb(0, 1), 0xFFFFFFu);
}

TEST(GPHatchBrush, EveryStyleIsAnDistinctEightByEightPatternFromTheOrigin) {
  std::set<std::array<uint8_t, 8>> seen;
  for (int style = HatchStyleMin; style <= HatchStyleMax; ++style) {
    SCOPED_TRACE(style);
    const uint8_t* rows = TGPHatchBrush::PatternRows(HatchStyle(style));
    std::array<uint8_t, 8> r;
    std::copy(rows, rows + 8, r.begin());
    EXPECT_TRUE(seen.insert(r).second) << "pattern repeats an earlier one";
    TestSurface s(19, 19);
    TGPGraphics g(s.get());
    TGPHatchBrush brush(HatchStyle(style), 0xFF000000, 0xFFFFFFFF);
    ASSERT_EQ(brush.lastResult, Ok);
    g.FillRectangle(&brush, TGPRectF{3, 3, 16, 16});
    int fore = 0;
    for (int y = 3; y < 19; ++y)
      for (int x = 3; x < 19; ++x) {
        bool on = rows[y % 8] & (0x80 >> (x % 8));
        ASSERT_EQ(s.Rgb(x, y), on ? 0u : 0xFFFFFFu) << x << "," << y;
        fore += on;
      }
    EXPECT_GT(fore, 0);
    EXPECT_LT(fore, 256);
  }
  EXPECT_EQ(TGPHatchBrush(HatchStyleTotal, 0, 0).lastResult, InvalidParameter);
}

TEST(GPLinearGradientBrush, RunsFromColourOneToColourTwoAcrossTheRectangle) {
  TestSurface s(40, 40);
  TGPGraphics g(s.get());
  TGPLinearGradientBrush v(TGPRectF{-1, -1, 42, 42}, 0xFF000000, 0xFFFFFFFF,
                           LinearGradientModeVertical);
  g.FillRectangle(&v, TGPRectF{0, 0, 20, 40});
  EXPECT_LT(s.At(10, 0).r, 12);
  EXPECT_GT(s.At(10, 39).r, 243);
  EXPECT_EQ(s.Rgb(0, 20), s.Rgb(19, 20));  // constant along a row
  // Gamma correction mixes in linear light: the middle is lighter than the plain mix.
  TGPLinearGradientBrush h(TGPRectF{20, 0, 20, 40}, 0xFF000000, 0xFFFFFFFF,
                           LinearGradientModeHorizontal);
  h.SetGammaCorrection(true);
  g.FillRectangle(&h, TGPRectF{20, 0, 20, 40});
  EXPECT_GT(s.At(30, 5).r, 160);
  EXPECT_LT(s.At(20, 5).r, 60);
}

TEST(GPLinearGradientBrush, ScalableAngleOfFortyFiveDegreesRunsAlongTheDiagonal) {
  TestSurface a(60, 20), b(60, 20);
  TGPGraphics ga(a.get()), gb(b.get());
  TGPLinearGradientBrush angle(TGPRectF{0, 0, 60, 20}, 0xFFFF0000, 0xFF0000FF, 45.0f, true);
  TGPLinearGradientBrush diagonal(TGPRectF{0, 0, 60, 20}, 0xFFFF0000, 0xFF0000FF,
                                  LinearGradientModeForwardDiagonal);
  ga.FillRectangle(&angle, TGPRectF{0, 0, 60, 20});
  gb.FillRectangle(&diagonal, TGPRectF{0, 0, 60, 20});
  for (int y = 0; y < 20; y += 3)
    for (int x = 0; x < 60; x += 7)
      ASSERT_TRUE(Near(a.Rgb(x, y), b.At(x, y), 2)) << x << "," << y;
  // Top-right and bottom-left corners lie on the middle line.
  EXPECT_TRUE(Near(a.Rgb(59, 0), a.At(0, 19), 8));
}

TEST(GPPathGradientBrush, AcceptsOneSurroundColourOnAnEllipse) {
  TGPGraphicsPath ellipse;
  ellipse.AddEllipse(0, 0, 40, 40);
  TGPPathGradientBrush brush(&ellipse);
  EXPECT_EQ(brush.GetPointCount(), 13);
  ARGB surround[14] = {0xFF0000FF};
  int count = 1;
  EXPECT_EQ(brush.SetSurroundColors(surround, &count), Ok);
  EXPECT_EQ(count, 1);
  int tooMany = 14;
  EXPECT_EQ(brush.SetSurroundColors(surround, &tooMany), InvalidParameter);
  EXPECT_EQ(brush.SetSurroundColors(nullptr, &count), InvalidParameter);
  EXPECT_EQ(brush.SetInterpolationColors(surround, nullptr, 0), InvalidParameter);
  brush.SetCenterColor(0xFFFF0000);
  TestSurface s(40, 40);
  TGPGraphics g(s.get());
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  g.FillRectangle(&brush, TGPRectF{0, 0, 40, 40});
  EXPECT_TRUE(Near(0xFF0000, s.At(20, 20), 12));
  Rgba edge = s.At(20, 1);
  EXPECT_GT(edge.b, 200);
  EXPECT_LT(edge.r, 60);
  EXPECT_EQ(s.Rgb(1, 1), 0xFFFFFFu);  // outside the outline: clamp paints nothing
  TGPGraphicsPath empty;
  EXPECT_NE(TGPPathGradientBrush(&empty).lastResult, Ok);
}

TEST(GPPathGradientBrush, PresetBlendRunsFromTheOutlineToTheCentre) {
  TGPGraphicsPath square;
  square.AddRectangle(TGPRectF{0, 0, 40, 40});
  TGPPathGradientBrush brush(&square);
  const ARGB colors[3] = {0x00000000, 0xB4000000, 0xB4000000};
  const float positions[3] = {0, 0.1f, 1};
  EXPECT_EQ(brush.SetInterpolationColors(colors, positions, 3), Ok);
  TestSurface s(40, 40);
  TGPGraphics g(s.get());
  g.FillPath(&brush, &square);
  // Inside the outer tenth the shadow colour is solid: 180/255 black over white.
  EXPECT_TRUE(Near(0x4B4B4B, s.At(20, 20), 3));
  EXPECT_TRUE(Near(0x4B4B4B, s.At(20, 5), 3));
  EXPECT_GT(s.At(20, 0).r, 200);
}

std::string Checker4() {
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
  uint32_t* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(img));
  int stride = cairo_image_surface_get_stride(img) / 4;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      px[y * stride + x] = 0xFF000000u | uint32_t(x * 60) << 16 | uint32_t(y * 60);
  cairo_surface_mark_dirty(img);
  std::string bytes = PngBytes(img);
  cairo_surface_destroy(img);
  return bytes;
}

TEST(GPTextureBrush, TilesAreAnchoredAtTheSurfaceOrigin) {
  TGPImage image(Checker4());
  ASSERT_EQ(image.lastResult, Ok);
  EXPECT_EQ(image.GetWidth(), 4u);
  EXPECT_EQ(image.GetFormat(), ifPng);
  TestSurface s(20, 20);
  TGPGraphics g(s.get());
  TGPTextureBrush brush(&image);
  g.FillRectangle(&brush, TGPRectF{3, 5, 13, 11});
  for (int y = 5; y < 16; ++y)
    for (int x = 3; x < 16; ++x)
      ASSERT_EQ(s.Rgb(x, y), uint32_t((x % 4) * 60) << 16 | uint32_t((y % 4) * 60))
          << x << "," << y;
  EXPECT_EQ(s.Rgb(2, 5), 0xFFFFFFu);
}

TEST(GPImage, BytesThatDoNotDecodeGiveAnEmptyImage) {
  TGPImage junk(std::string("not an image at all"));
  EXPECT_NE(junk.lastResult, Ok);
  EXPECT_EQ(junk.Native(), nullptr);
  TestSurface s(10, 10);
  TGPGraphics g(s.get());
  EXPECT_NE(g.DrawImageRect(&junk, 0, 0, 10, 10), Ok);
  EXPECT_EQ(s.Rgb(5, 5), 0xFFFFFFu);
}

TEST(GPPicture, EmptyPicturesDrawNothing) {
  TGPPicture picture;
  EXPECT_TRUE(picture.Empty());
  picture.LoadFromStream("");
  EXPECT_TRUE(picture.Empty());
  EXPECT_FALSE(picture.GetImageSizes());
  TestSurface s(10, 10);
  TGPGraphics g(s.get());
  picture.GPDraw(&g, TRect{0, 0, 10, 10});
  picture.FillRect(&g, TGPRectF{0, 0, 10, 10});
  EXPECT_EQ(s.Rgb(5, 5), 0xFFFFFFu);

  int changes = 0;
  picture.SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
  picture.LoadFromStream("junk bytes");
  EXPECT_FALSE(picture.Empty());
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(picture.GetImageSizes());
  EXPECT_EQ(picture.Width(), 0);
  picture.GPDraw(&g, TRect{0, 0, 10, 10});
  EXPECT_EQ(s.Rgb(5, 5), 0xFFFFFFu);
}

TEST(GPPicture, DrawsScaledAndCopiesByAssign) {
  TGPPicture picture;
  picture.LoadFromStream(Checker4());
  EXPECT_EQ(picture.Width(), 4);
  EXPECT_EQ(picture.Height(), 4);
  TGPPicture copy;
  copy.Assign(&picture);
  EXPECT_EQ(copy.Data(), picture.Data());
  TestSurface s(16, 16);
  TGPGraphics g(s.get());
  copy.GPDraw(&g, TRect{0, 0, 8, 8});
  EXPECT_EQ(s.Rgb(0, 0), 0u);
  EXPECT_EQ(s.Rgb(12, 12), 0xFFFFFFu);
  EXPECT_GT(s.At(7, 0).r, 150);
  std::string out;
  copy.SaveToStream(out);
  EXPECT_EQ(out, Checker4());
}

TEST(GPPicture, TransparentBitmapIsKeyedOnItsBottomLeftPixel) {
  // Bottom-left pixel magenta: the key colour in automatic mode.
  std::string bmp =
      BmpBytes(4, 4, [](int x, int y) { return (x + y) % 2 ? 0xFF00FFu : 0x00FF00u; });
  TGPPicture picture;
  picture.LoadFromStream(bmp);
  ASSERT_EQ(picture.Width(), 4);
  picture.SetTransparent(true);
  TestSurface s(4, 4, 0x0000FF);
  TGPGraphics g(s.get());
  picture.GPDraw(&g, TRect{0, 0, 4, 4});
  EXPECT_EQ(s.Rgb(0, 0), 0x00FF00u);
  EXPECT_EQ(s.Rgb(1, 0), 0x0000FFu);  // magenta keyed out: the background shows
  // Fixed mode keys the colour set instead.
  picture.SetBitmapTransparentMode(tmFixed);
  picture.SetBitmapTransparentColor(TColor(0x00FF00));  // BGR: green
  TestSurface t(4, 4, 0x0000FF);
  TGPGraphics gt(t.get());
  picture.GPDraw(&gt, TRect{0, 0, 4, 4});
  EXPECT_EQ(t.Rgb(0, 0), 0x0000FFu);
  EXPECT_EQ(t.Rgb(1, 0), 0xFF00FFu);
}

}  // namespace
