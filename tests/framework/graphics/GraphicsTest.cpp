// Colours, fonts, brushes, pens, the canvas, bitmaps and pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/Graphics.h"
#include "framework/TypInfo.h"

namespace {

std::string ArtifactPath(const std::string& name) {
  const char* dir = std::getenv("KX_TEST_ARTIFACTS");
  return std::string(dir ? dir : "/tmp") + "/" + name;
}

// ---------------------------------------------------------------------------------------
// Colours

TEST(Colors, SystemColoursResolveThroughTheTable) {
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(240, 240, 240));
  EXPECT_EQ(ColorToRGB(clGrayText), RGB(109, 109, 109));
  EXPECT_EQ(ColorToRGB(clWindow), RGB(255, 255, 255));
  EXPECT_EQ(ColorToRGB(clWindowText), RGB(0, 0, 0));
  EXPECT_EQ(ColorToRGB(cl3DDkShadow), RGB(105, 105, 105));
}

TEST(Colors, PlainAndSpecialColoursPassUnchanged) {
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
  EXPECT_EQ(ColorToRGB(TColor(0x00CE7B00)), 0x00CE7B00u);
  EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);
  EXPECT_EQ(ColorToRGB(clDefault), 0x20000000u);
  EXPECT_TRUE(IsSystemColor(clBtnFace));
  EXPECT_FALSE(IsSystemColor(clNone));
  EXPECT_FALSE(IsSystemColor(clWhite));
}

TEST(Colors, Blend) {
  EXPECT_EQ(kx::BlendColors(clWhite, clBlack, 255), clWhite);
  EXPECT_EQ(kx::BlendColors(clWhite, clBlack, 0), clBlack);
  EXPECT_EQ(kx::BlendColors(clWhite, clBlack, 128), RGBToColor(128, 128, 128));
  EXPECT_EQ(kx::BlendColors(clBtnFace, clBtnFace, 77), RGBToColor(240, 240, 240));
}

// ---------------------------------------------------------------------------------------
// Font, brush, pen

struct ChangeCounter {
  int count = 0;
  TNotifyEvent Event() {
    return TNotifyEvent([this](TObject*) { ++count; });
  }
};

TEST(Font, NotifiesOnlyRealChanges) {
  TFont f;
  ChangeCounter c;
  f.SetOnChange(c.Event());
  f.SetHeight(f.Height());
  f.SetName(f.Name());
  EXPECT_EQ(c.count, 0);
  f.SetHeight(-13);
  f.SetName(u"Verdana");
  f.SetStyle({fsBold});
  f.SetColor(clRed);
  f.SetCharset(ANSI_CHARSET);
  f.SetPitch(fpFixed);
  EXPECT_EQ(c.count, 6);
}

TEST(Font, SizeAndHeightAreOneValue) {
  TFont f;
  f.SetSize(10);
  EXPECT_EQ(f.Height(), -13);
  f.SetHeight(-11);
  EXPECT_EQ(f.Size(), 8);
  f.SetHeight(-16);
  EXPECT_EQ(f.Size(), 12);
}

TEST(Font, HandleFollowsTheProperties) {
  TFont f;
  f.SetName(u"Verdana");
  f.SetHeight(-13);
  f.SetStyle({fsBold, fsUnderline});
  HFONT h = f.Handle();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(f.Handle(), h);  // cached
  LOGFONTW lf;
  ASSERT_EQ(GetObject(h, sizeof lf, &lf), int(sizeof lf));
  EXPECT_EQ(lf.lfHeight, -13);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(std::u16string(lf.lfFaceName), u"Verdana");
  f.SetHeight(-20);
  LOGFONTW lf2;
  GetObject(f.Handle(), sizeof lf2, &lf2);
  EXPECT_EQ(lf2.lfHeight, -20);
}

TEST(Font, AssignCopiesEverythingOnce) {
  TFont a, b;
  a.SetName(u"Verdana");
  a.SetHeight(-13);
  a.SetStyle({fsItalic});
  a.SetColor(clBlue);
  a.SetCharset(ANSI_CHARSET);
  ChangeCounter c;
  b.SetOnChange(c.Event());
  b.Assign(&a);
  EXPECT_EQ(c.count, 1);
  EXPECT_EQ(b.Name(), u"Verdana");
  EXPECT_EQ(b.Height(), -13);
  EXPECT_EQ(b.Style(), TFontStyles({fsItalic}));
  EXPECT_EQ(b.Color(), clBlue);
  EXPECT_EQ(b.Charset(), ANSI_CHARSET);
  b.Assign(&a);
  EXPECT_EQ(c.count, 1);
  TBrush notAFont;
  b.Assign(&notAFont);  // unrelated classes change nothing
  EXPECT_EQ(b.Name(), u"Verdana");
}

TEST(Font, PropertiesAreRegistered) {
  RegisterGraphicsClasses();
  const TClassInfo* info = FindClass("TFont");
  ASSERT_NE(info, nullptr);
  TFont f;
  const TPropInfo* height = info->FindProperty("Height");
  ASSERT_NE(height, nullptr);
  EXPECT_TRUE(height->SetValue(&f, TPropValue(int64_t(-13))));
  EXPECT_EQ(f.Height(), -13);
  const TPropInfo* name = info->FindProperty("Name");
  ASSERT_NE(name, nullptr);
  EXPECT_TRUE(name->SetValue(&f, TPropValue(std::u16string(u"Verdana"))));
  EXPECT_EQ(f.Name(), u"Verdana");
  const TPropInfo* style = info->FindProperty("Style");
  ASSERT_NE(style, nullptr);
  EXPECT_TRUE(style->SetValue(&f, TPropValue(int64_t(1))));
  EXPECT_TRUE(f.Style().Contains(fsBold));
  const TPropInfo* size = info->FindProperty("Size");
  ASSERT_NE(size, nullptr);
  EXPECT_TRUE(size->SetValue(&f, TPropValue(int64_t(10))));
  EXPECT_EQ(f.Height(), -13);
  EXPECT_FALSE(size->IsStored(&f));  // Height carries the value
  EXPECT_TRUE(height->IsStored(&f));
  const TPropInfo* color = info->FindProperty("Color");
  ASSERT_NE(color, nullptr);
  EXPECT_FALSE(color->IsStored(&f));  // clWindowText is the default
  EXPECT_NE(FindClass("TBrush"), nullptr);
  EXPECT_NE(FindClass("TPen"), nullptr);
}

TEST(Brush, ColourMakesItSolidAndClearIsTheNullBrush) {
  TBrush b;
  EXPECT_EQ(b.Color(), clWhite);
  EXPECT_EQ(b.Style(), bsSolid);
  b.SetStyle(bsClear);
  EXPECT_EQ(b.Handle(), GetStockObject(NULL_BRUSH));
  b.SetColor(clRed);
  EXPECT_EQ(b.Style(), bsSolid);
  LOGBRUSH lb;
  GetObject(b.Handle(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, RGB(255, 0, 0));
  b.SetColor(clBtnFace);
  GetObject(b.Handle(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, RGB(240, 240, 240));
}

TEST(Pen, HandleCarriesStyleWidthAndColour) {
  TPen p;
  p.SetColor(clBlue);
  p.SetWidth(3);
  LOGPEN lp;
  GetObject(p.Handle(), sizeof lp, &lp);
  EXPECT_EQ(lp.lopnColor, RGB(0, 0, 255));
  EXPECT_EQ(lp.lopnWidth.x, 3);
  p.SetStyle(psClear);
  GetObject(p.Handle(), sizeof lp, &lp);
  EXPECT_EQ(lp.lopnStyle, UINT(PS_NULL));
}

// ---------------------------------------------------------------------------------------
// Canvas on a bitmap

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bmp.SetSize(120, 60);
    c = bmp.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 120, 60));
    c->Font()->SetName(u"Verdana");
    c->Font()->SetHeight(-13);
  }
  void TearDown() override {
    if (HasFailure()) {
      const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
      bmp.SaveToPngFile(ArtifactPath(std::string("Canvas.") + t->name() + ".png"));
    }
  }
  int CountNot(TRect r, TColor col) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        n += c->Pixels(x, y) != col;
    return n;
  }
  TBitmap bmp;
  TCanvas* c = nullptr;
};

TEST_F(CanvasTest, FillRectUsesTheBrushColour) {
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(Rect(10, 10, 20, 20));
  EXPECT_EQ(c->Pixels(10, 10), RGBToColor(240, 240, 240));
  EXPECT_EQ(c->Pixels(19, 19), RGBToColor(240, 240, 240));
  EXPECT_EQ(c->Pixels(20, 20), clWhite);
}

TEST_F(CanvasTest, PixelsReadAndWriteAndAreNoneOutside) {
  c->SetPixels(3, 4, clRed);
  EXPECT_EQ(c->Pixels(3, 4), clRed);
  EXPECT_EQ(c->Pixels(-1, 0), clNone);
  EXPECT_EQ(c->Pixels(120, 0), clNone);
}

TEST_F(CanvasTest, TextWidthAndHeightFollowTheFont) {
  int w13 = c->TextWidth(u"Kundennummer");
  EXPECT_EQ(c->TextHeight(u"Kundennummer"), c->TextMetrics().tmHeight);
  c->Font()->SetHeight(-20);
  EXPECT_GT(c->TextWidth(u"Kundennummer"), w13);
  c->Font()->SetHeight(-13);
  EXPECT_EQ(c->TextWidth(u"Kundennummer"), w13);
}

TEST_F(CanvasTest, TextOutWithClearBrushLeavesTheBackground) {
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(clBlack);
  c->TextOut(5, 5, u"abc");
  EXPECT_EQ(c->Pixels(5, 5), clWhite);  // the cell's corner is not painted
  EXPECT_GT(CountNot(Rect(5, 5, 5 + c->TextWidth(u"abc"), 25), clWhite), 10);
  EXPECT_EQ(c->PenPos().x, 5 + c->TextWidth(u"abc"));
}

TEST_F(CanvasTest, TextOutWithSolidBrushPaintsTheCell) {
  c->Brush()->SetColor(clYellow);
  c->TextOut(5, 5, u"abc");
  EXPECT_EQ(c->Pixels(5, 5), clYellow);
}

TEST_F(CanvasTest, TextRectClipsToTheRectangle) {
  c->Brush()->SetStyle(bsClear);
  c->TextRect(Rect(10, 0, 30, 30), 0, 5, u"WWWWWWWWWW");
  EXPECT_EQ(CountNot(Rect(0, 0, 10, 60), clWhite), 0);
  EXPECT_EQ(CountNot(Rect(30, 0, 120, 60), clWhite), 0);
  EXPECT_GT(CountNot(Rect(10, 0, 30, 30), clWhite), 0);
}

TEST_F(CanvasTest, DrawTextMeasuresWithTheCanvasFont) {
  TRect r = Rect(0, 0, 300, 0);
  int h = c->DrawText(r, u"Register", DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(h, c->TextHeight(u"Register"));
  EXPECT_EQ(r.right, c->TextWidth(u"Register"));
}

TEST_F(CanvasTest, LinesExcludeTheirEndAndShapesUsePenAndBrush) {
  c->Pen()->SetColor(clRed);
  c->MoveTo(10, 30);
  c->LineTo(20, 30);
  EXPECT_EQ(c->Pixels(10, 30), clRed);
  EXPECT_EQ(c->Pixels(19, 30), clRed);
  EXPECT_EQ(c->Pixels(20, 30), clWhite);
  c->Brush()->SetColor(clBlue);
  c->Rectangle(40, 10, 50, 20);
  EXPECT_EQ(c->Pixels(40, 10), clRed);
  EXPECT_EQ(c->Pixels(45, 15), clBlue);
  c->Brush()->SetColor(clLime);
  c->Ellipse(60, 10, 80, 30);
  EXPECT_EQ(c->Pixels(70, 20), clLime);
  c->Brush()->SetColor(clRed);
  c->FrameRect(Rect(90, 10, 100, 20));
  EXPECT_EQ(c->Pixels(90, 10), clRed);
  EXPECT_EQ(c->Pixels(95, 15), clWhite);
}

TEST_F(CanvasTest, ClipRectIsTheBitmap) {
  EXPECT_EQ(c->ClipRect(), Rect(0, 0, 120, 60));
}

TEST_F(CanvasTest, DrawCopiesAndTransparentBitmapsShowTheBackground) {
  TBitmap img(4, 3);
  img.Canvas()->Brush()->SetColor(clBlue);
  img.Canvas()->FillRect(Rect(0, 0, 4, 3));
  img.Canvas()->SetPixels(0, 2, clFuchsia);  // bottom-left: the transparent colour
  c->Draw(10, 10, &img);
  EXPECT_EQ(c->Pixels(10, 12), clFuchsia);
  EXPECT_EQ(img.TransparentColor(), clFuchsia);
  img.SetTransparent(true);
  c->Draw(20, 10, &img);
  EXPECT_EQ(c->Pixels(20, 12), clWhite);
  EXPECT_EQ(c->Pixels(21, 12), clBlue);
  EXPECT_EQ(c->Pixels(23, 10), clBlue);
  c->StretchDraw(Rect(30, 10, 38, 16), &img);
  EXPECT_EQ(c->Pixels(37, 10), clBlue);
  EXPECT_EQ(c->Pixels(30, 15), clWhite);
}

TEST_F(CanvasTest, CopyRectFromAnotherCanvas) {
  TBitmap other(10, 10);
  other.Canvas()->Brush()->SetColor(clRed);
  other.Canvas()->FillRect(Rect(0, 0, 10, 10));
  c->CopyRect(Rect(0, 0, 5, 5), other.Canvas(), Rect(0, 0, 5, 5));
  EXPECT_EQ(c->Pixels(4, 4), clRed);
  EXPECT_EQ(c->Pixels(5, 5), clWhite);
}

TEST_F(CanvasTest, WritesAPictureToLookAt) {
  c->Brush()->SetColor(TColor(0x00CE7B00));
  c->FillRect(Rect(0, 0, 120, 20));
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(clWhite);
  c->Font()->SetStyle({fsBold});
  c->TextOut(4, 3, u"Kestrix");
  c->Font()->SetColor(clWindowText);
  c->Font()->SetStyle({});
  TRect r = Rect(4, 24, 116, 56);
  c->DrawText(r, u"Register the &full version for free", DT_WORDBREAK);
  EXPECT_TRUE(bmp.SaveToPngFile(ArtifactPath("canvas-sample.png")));
}

// ---------------------------------------------------------------------------------------
// Bitmap and picture

TEST(Bitmap, ResizeKeepsTheOverlapAndScanLinesReachThePixels) {
  TBitmap b(4, 4);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(Rect(0, 0, 4, 4));
  b.SetSize(6, 2);
  EXPECT_EQ(b.Width(), 6);
  EXPECT_EQ(b.Height(), 2);
  EXPECT_EQ(b.Canvas()->Pixels(3, 1), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(5, 1), clBlack);  // new pixels are black
  ASSERT_NE(b.ScanLine(1), nullptr);
  EXPECT_EQ(b.ScanLine(1)[0], 0xFFFF0000u);
  b.ScanLine(1)[0] = 0xFF00FF00u;
  EXPECT_EQ(b.Canvas()->Pixels(0, 1), clLime);
  EXPECT_EQ(b.ScanLine(2), nullptr);
  b.SetSize(0, 0);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Handle(), nullptr);
  EXPECT_EQ(b.ScanLine(0), nullptr);
}

TEST(Bitmap, AssignCopiesThePixels) {
  TBitmap a(3, 3);
  a.Canvas()->SetPixels(1, 1, clRed);
  TBitmap b;
  b.Assign(&a);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Canvas()->Pixels(1, 1), clRed);
  a.Canvas()->SetPixels(1, 1, clBlue);
  EXPECT_EQ(b.Canvas()->Pixels(1, 1), clRed);  // independent copy
}

TEST(Bitmap, TransparentColourAutoAndFixed) {
  TBitmap b(2, 2);
  b.Canvas()->SetPixels(0, 1, clYellow);
  EXPECT_EQ(b.TransparentMode(), tmAuto);
  EXPECT_EQ(b.TransparentColor(), clYellow);
  b.SetTransparentColor(clRed);
  EXPECT_EQ(b.TransparentMode(), tmFixed);
  EXPECT_EQ(b.TransparentColor(), clRed);
  b.SetTransparentMode(tmAuto);
  EXPECT_EQ(b.TransparentColor(), clYellow);
}

TEST(Bitmap, PngRoundTripAndBadFiles) {
  TBitmap a(5, 4);
  a.Canvas()->SetPixels(4, 3, clAqua);
  std::string path = ArtifactPath("bitmap-roundtrip.png");
  ASSERT_TRUE(a.SaveToPngFile(path));
  TBitmap b;
  ASSERT_TRUE(b.LoadFromFile(path));
  EXPECT_EQ(b.Width(), 5);
  EXPECT_EQ(b.Canvas()->Pixels(4, 3), clAqua);
  EXPECT_FALSE(b.LoadFromFile("/nonexistent/none.png"));
  EXPECT_EQ(b.Width(), 5);  // a failed load keeps the picture
  TBitmap empty;
  EXPECT_FALSE(empty.SaveToPngFile(path));
}

TEST(Bitmap, NotifiesChanges) {
  TBitmap b;
  ChangeCounter c;
  b.SetOnChange(c.Event());
  b.SetSize(3, 3);
  b.SetSize(3, 3);
  b.SetTransparent(true);
  EXPECT_EQ(c.count, 2);
}

TEST(Picture, HoldsACopyAndForwardsChanges) {
  TPicture p;
  ChangeCounter c;
  p.SetOnChange(c.Event());
  TBitmap b(2, 2);
  p.SetGraphic(&b);
  EXPECT_EQ(c.count, 1);
  ASSERT_NE(p.Graphic(), nullptr);
  EXPECT_NE(p.Graphic(), &b);
  EXPECT_EQ(p.Width(), 2);
  p.Bitmap()->SetSize(7, 3);  // a change of the graphic is a change of the picture
  EXPECT_EQ(c.count, 2);
  EXPECT_EQ(p.Height(), 3);
  TPicture q;
  q.Assign(&p);
  EXPECT_EQ(q.Width(), 7);
  q.Assign(nullptr);
  EXPECT_EQ(q.Graphic(), nullptr);
  EXPECT_EQ(q.Width(), 0);
  EXPECT_FALSE(q.LoadFromFile("/nonexistent/none.png"));
  EXPECT_FALSE(q.SaveToFile(ArtifactPath("nothing.png")));
}

}  // namespace
