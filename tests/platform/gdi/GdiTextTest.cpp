// Fonts, metrics, extents, text output and DrawText, with the pinned test font.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTestSupport.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

class Text : public GdiCanvasTest {
 protected:
  void SetUp() override {
    GdiCanvasTest::SetUp();
    Reset(200, 120);
    Use(MakeFont(-13));
  }
  void TearDown() override {
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    if (font) DeleteObject(font);
    GdiCanvasTest::TearDown();
  }
  void Use(HFONT f) {
    SelectObject(dc, f);
    if (font) DeleteObject(font);
    font = f;
  }
  TEXTMETRICW Tm() {
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    return tm;
  }
  int Width(const std::u16string& s) {
    SIZE sz;
    GetTextExtentPoint32W(dc, s.c_str(), int(s.size()), &sz);
    return sz.cx;
  }
  // Rows and columns of bitmap pixels that are not white.
  RECT InkBox(RECT area) const {
    RECT box{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (Px(x, y) != kWhite) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box;
  }
  HFONT font = nullptr;
};

TEST_F(Text, NegativeHeightIsTheEmHeight) {
  TEXTMETRICW tm = Tm();
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 13);
  EXPECT_GT(tm.tmHeight, 13);  // the cell is taller than the em
}

TEST_F(Text, PositiveHeightIsTheCellHeight) {
  for (int h : {10, 16, 22, 37}) {
    Use(MakeFont(h));
    TEXTMETRICW tm = Tm();
    EXPECT_EQ(tm.tmHeight, h);
    EXPECT_LT(tm.tmHeight - tm.tmInternalLeading, h);
  }
}

TEST_F(Text, ZeroHeightIsTheFaceDefault) {
  Use(MakeFont(0));
  TEXTMETRICW tm = Tm();
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 12);
}

TEST_F(Text, CellHeightIsAscentPlusDescentForFacesAndSizes) {
  for (const char16_t* face : {u"Verdana", u"MS Sans Serif", u"Tahoma", u"Courier New"}) {
    for (int h : {-8, -11, -13, -16, -28, 9, 15, 22, 40}) {
      for (int weight : {FW_NORMAL, FW_BOLD}) {
        Use(MakeFont(h, face, weight));
        TEXTMETRICW tm = Tm();
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent) << h;
        EXPECT_GT(tm.tmAscent, tm.tmDescent);
        EXPECT_GT(tm.tmAveCharWidth, 0);
        EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
        EXPECT_EQ(tm.tmWeight, weight);
      }
    }
  }
}

TEST_F(Text, FacesAreMatchedByFontconfig) {
  wchar_t unused = 0;
  (void)unused;
  char16_t name[64];
  Use(MakeFont(-13, u"Verdana"));
  ASSERT_GT(GetTextFaceW(dc, 64, name), 0);
  EXPECT_EQ(std::u16string(name), u"DejaVu Sans");  // the pinned test font
  Use(MakeFont(-13, u"No Such Face At All"));
  EXPECT_GT(Tm().tmHeight, 0);
}

TEST_F(Text, AverageWidthComesFromTheFont) {
  TEXTMETRICW tm = Tm();
  // DejaVu Sans: OS/2 xAvgCharWidth 1038 of 2048 units per em.
  EXPECT_EQ(tm.tmAveCharWidth, (1038 * 13 + 1024) / 2048);
}

TEST_F(Text, ExtentIsTheSumOfAdvances) {
  int w[3];
  ASSERT_TRUE(GetCharWidth32W(dc, 'a', 'c', w));
  EXPECT_EQ(Width(u"abc"), w[0] + w[1] + w[2]);
  SIZE sz;
  GetTextExtentPoint32W(dc, u"abc", 3, &sz);
  EXPECT_EQ(sz.cy, Tm().tmHeight);
  EXPECT_EQ(Width(u""), 0);
  EXPECT_GT(Width(u"W"), Width(u"i"));
}

TEST_F(Text, BoldIsWiderAndItalicKeepsTheCell) {
  int normal = Width(u"Download");
  TEXTMETRICW tm = Tm();
  Use(MakeFont(-13, u"Verdana", FW_BOLD));
  EXPECT_GT(Width(u"Download"), normal);
  Use(MakeFont(-13, u"Verdana", FW_NORMAL, true));
  EXPECT_EQ(Tm().tmHeight, tm.tmHeight);
  EXPECT_NE(Tm().tmItalic, 0);
}

TEST_F(Text, ExtentExReportsFitAndCumulativeWidths) {
  const std::u16string s = u"abcdef";
  int dx[6];
  int fit = -1;
  SIZE sz;
  int wAbc = Width(u"abc");
  ASSERT_TRUE(GetTextExtentExPointW(dc, s.c_str(), 6, wAbc, &fit, dx, &sz));
  EXPECT_EQ(fit, 3);
  EXPECT_EQ(dx[2], wAbc);
  EXPECT_EQ(dx[5], sz.cx);
}

TEST_F(Text, SurrogatePairsMeasureAsOneCharacter) {
  std::u16string pair = u"\U0001F600";
  ASSERT_EQ(pair.size(), 2u);
  SIZE sz;
  EXPECT_TRUE(GetTextExtentPoint32W(dc, pair.c_str(), 2, &sz));
  EXPECT_GE(sz.cx, 0);
  // A lone surrogate is not a crash.
  const char16_t lone[] = {0xD800, u'a'};
  EXPECT_TRUE(GetTextExtentPoint32W(dc, lone, 2, &sz));
}

TEST_F(Text, TextOutAtBaselinePutsInkAboveIt) {
  SetTextAlign(dc, TA_LEFT | TA_BASELINE);
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 10, 50, u"HHH", 3);
  RECT ink = InkBox(RECT{0, 0, 200, 120});
  EXPECT_EQ(ink.bottom, 50);  // "H" sits on the baseline
  EXPECT_LT(ink.top, 50 - 7);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 10 + Width(u"HHH"));
}

TEST_F(Text, TextAlignmentPlacesTheReferencePoint) {
  SetBkMode(dc, TRANSPARENT);
  int w = Width(u"HH");
  TEXTMETRICW tm = Tm();
  struct Case {
    UINT align;
    int expectLeftMax, expectRightMin;  // ink must lie within [left, right)
    int top, bottom;
  };
  for (UINT h : {TA_LEFT, TA_CENTER, TA_RIGHT}) {
    for (UINT v : {TA_TOP, TA_BASELINE, TA_BOTTOM}) {
      Clear(kWhite);
      SetTextAlign(dc, h | v);
      TextOutW(dc, 100, 60, u"HH", 2);
      int left = h == TA_LEFT ? 100 : h == TA_CENTER ? 100 - w / 2 : 100 - w;
      int baseline = v == TA_TOP ? 60 + tm.tmAscent : v == TA_BASELINE ? 60 : 60 - tm.tmDescent;
      RECT ink = InkBox(RECT{0, 0, 200, 120});
      EXPECT_GE(ink.left, left) << h << "," << v;
      EXPECT_LE(ink.right, left + w) << h << "," << v;
      EXPECT_EQ(ink.bottom, baseline) << h << "," << v;
    }
  }
}

TEST_F(Text, OpaqueBackgroundFillsTheTextCell) {
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 255, 0));
  TextOutW(dc, 10, 10, u"ab", 2);
  TEXTMETRICW tm = Tm();
  int w = Width(u"ab");
  EXPECT_EQ(InkBox(RECT{0, 0, 200, 120}), (RECT{10, 10, 10 + w, 10 + tm.tmHeight}));
  SetBkMode(dc, TRANSPARENT);
  Clear(kWhite);
  TextOutW(dc, 10, 10, u"ab", 2);
  EXPECT_EQ(Px(10, 10), kWhite);
}

TEST_F(Text, TextIsGreyScaleAntiAliasedInTheTextColour) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  Use(MakeFont(-20));
  TextOutW(dc, 5, 5, u"Sow", 3);
  int black = 0, grey = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x) {
      COLORREF c = Px(x, y);
      if (c == RGB(0, 0, 0))
        ++black;
      else if (c != kWhite) {
        ++grey;
        EXPECT_EQ(GetRValue(c), GetGValue(c));  // no colour fringes
        EXPECT_EQ(GetGValue(c), GetBValue(c));
      }
    }
  EXPECT_GT(black, 20);
  EXPECT_GT(grey, 10);
}

TEST_F(Text, UnderlineAndStrikeOutLieInTheCell) {
  Use(MakeFont(-20, u"Verdana", FW_NORMAL, false, true, true));
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_TOP);
  TextOutW(dc, 10, 10, u"    ", 4);  // spaces: only the lines show
  TEXTMETRICW tm = Tm();
  RECT ink = InkBox(RECT{0, 0, 200, 120});
  EXPECT_EQ(ink.left, 10);
  EXPECT_EQ(ink.right, 10 + Width(u"    "));
  EXPECT_GT(ink.bottom, 10 + tm.tmAscent);                 // underline below the baseline
  EXPECT_LE(ink.bottom, 10 + tm.tmHeight);                 // inside the cell
  EXPECT_LT(ink.top, 10 + tm.tmAscent - tm.tmAscent / 4);  // strike-out well above it
}

TEST_F(Text, ExtTextOutOpaqueRectAndClipping) {
  SetBkColor(dc, RGB(0, 255, 0));
  RECT r{20, 20, 60, 40};
  ExtTextOutW(dc, 0, 20, ETO_OPAQUE | ETO_CLIPPED, &r, u"WWWWWWWWWW", 10, nullptr);
  EXPECT_EQ(Px(20, 20), RGB(0, 255, 0));
  EXPECT_EQ(Px(59, 39), RGB(0, 255, 0));
  EXPECT_EQ(CountNot(RECT{0, 0, 20, 120}, kWhite), 0);  // text left of the rect is clipped
  EXPECT_EQ(CountNot(RECT{60, 0, 200, 120}, kWhite), 0);
}

TEST_F(Text, ViewportOffsetMovesText) {
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 40, 40, u"H", 1);
  RECT a = InkBox(RECT{0, 0, 200, 120});
  Clear(kWhite);
  SetViewportOrgEx(dc, -10, -20, nullptr);
  TextOutW(dc, 40, 40, u"H", 1);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  RECT b = InkBox(RECT{0, 0, 200, 120});
  EXPECT_EQ(b, (RECT{a.left - 10, a.top - 20, a.right - 10, a.bottom - 20}));
}

// ---------------------------------------------------------------------------------------
// DrawText

// Each case gives the lines DrawText must lay out. The calculated rectangle must match
// their count and widest width, and the drawing must match the lines drawn one by one
// (except where an accelerator underline makes the two differ).
struct DrawCase {
  const char* name;
  std::u16string text;
  UINT flags;
  int width;                          // rectangle width
  std::vector<std::u16string> lines;  // expected lines, as measured without prefixes
  bool underlined = false;            // an accelerator is underlined: no picture check
};

class DrawTextTable : public Text, public ::testing::WithParamInterface<DrawCase> {};

TEST_P(DrawTextTable, CalcRectMatchesTheExpectedLines) {
  const DrawCase& c = GetParam();
  TEXTMETRICW tm = Tm();
  RECT r{5, 7, 5 + c.width, 7};
  int h = DrawTextW(dc, c.text.c_str(), -1, &r, c.flags | DT_CALCRECT);
  int widest = 0;
  for (const std::u16string& l : c.lines) {
    RECT lr{0, 0, 10000, 0};
    DrawTextW(dc, l.c_str(), -1, &lr,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | (c.flags & DT_EXPANDTABS));
    widest = std::max<int>(widest, lr.right);
  }
  EXPECT_EQ(h, int(c.lines.size()) * tm.tmHeight);
  EXPECT_EQ(r.top, 7);
  EXPECT_EQ(r.bottom, 7 + h);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.right, 5 + widest);
  if (c.underlined) return;

  SetBkMode(dc, TRANSPARENT);
  RECT area{5, 7, 5 + c.width, 7 + h};
  DrawTextW(dc, c.text.c_str(), -1, &area, c.flags);
  std::vector<COLORREF> drawn;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 200; ++x)
      drawn.push_back(Px(x, y));
  Clear(kWhite);
  for (size_t i = 0; i < c.lines.size(); ++i) {
    RECT lr{5, 7 + int(i) * tm.tmHeight, 5 + c.width, 7 + int(i + 1) * tm.tmHeight};
    DrawTextW(dc, c.lines[i].c_str(), -1, &lr,
              DT_SINGLELINE | DT_NOPREFIX | (c.flags & DT_EXPANDTABS));
  }
  int differ = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 200; ++x)
      differ += drawn[size_t(y) * 200 + size_t(x)] != Px(x, y);
  EXPECT_EQ(differ, 0);
}

void PrintTo(const DrawCase& c, std::ostream* os) {
  *os << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<DrawCase>& i) {
  return i.param.name;
}

// Widths in DejaVu Sans at 13 px: "Register the" 79 fits in 100, "Register the full" does
// not; "Register the f..." is exactly 100; "Downloa" 57 fits in 60, "Download" does not.
INSTANTIATE_TEST_SUITE_P(
    Flags, DrawTextTable,
    ::testing::Values(
        DrawCase{"SingleLine", u"Register now", DT_SINGLELINE, 300, {u"Register now"}},
        DrawCase{"WordBreakAtSpaces",
                 u"Register the full version",
                 DT_WORDBREAK,
                 100,
                 {u"Register the", u"full version"}},
        DrawCase{"WordBreakKeepsShortText", u"Register", DT_WORDBREAK, 100, {u"Register"}},
        DrawCase{"LongWordIsBrokenInside",
                 u"Downloadinstallerfile",
                 DT_WORDBREAK,
                 60,
                 {u"Downloa", u"dinstalle", u"rfile"}},
        DrawCase{"CrLfBreaks", u"one\r\ntwo\nthree", 0, 300, {u"one", u"two", u"three"}},
        DrawCase{"CrLfIgnoredInSingleLine", u"one\r\ntwo", DT_SINGLELINE, 300, {u"onetwo"}},
        DrawCase{"TrailingBreakAddsNoLine", u"one\r\n", 0, 300, {u"one"}},
        DrawCase{"TabExpanded", u"a\tb", DT_EXPANDTABS | DT_SINGLELINE, 300, {u"a\tb"}},
        DrawCase{"DoubleAmpersandIsOne", u"Save && Exit", DT_SINGLELINE, 300, {u"Save & Exit"}},
        DrawCase{"AmpersandPrefixVanishes", u"&Download", DT_SINGLELINE, 300, {u"Download"}, true},
        DrawCase{"NoPrefixKeepsAmpersands",
                 u"&Download &&",
                 DT_SINGLELINE | DT_NOPREFIX,
                 300,
                 {u"&Download &&"}},
        DrawCase{"EndEllipsis",
                 u"Register the full version",
                 DT_SINGLELINE | DT_END_ELLIPSIS,
                 100,
                 {u"Register the f..."}}),
    CaseName);

TEST_F(Text, TabStopsAreEightAverageWidths) {
  TEXTMETRICW tm = Tm();
  RECT r{0, 0, 500, 0};
  DrawTextW(dc, u"a\tb", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  EXPECT_EQ(r.right, 8 * tm.tmAveCharWidth + Width(u"b"));
  DRAWTEXTPARAMS p;
  p.iTabLength = 4;
  r = RECT{0, 0, 500, 0};
  DrawTextExW(dc, u"a\tb", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS, &p);
  EXPECT_EQ(r.right, 4 * tm.tmAveCharWidth + Width(u"b"));
}

TEST_F(Text, EmptyTextMeasuresNothing) {
  RECT r{10, 10, 100, 100};
  EXPECT_EQ(DrawTextW(dc, u"", -1, &r, DT_CALCRECT | DT_WORDBREAK), 0);
  EXPECT_EQ(r, (RECT{10, 10, 10, 10}));
  r = RECT{10, 10, 100, 100};
  EXPECT_EQ(DrawTextW(dc, u"&", -1, &r, DT_CALCRECT), 0);  // a lone prefix shows nothing
  EXPECT_EQ(DrawTextW(dc, nullptr, 0, &r, 0), 0);
  EXPECT_EQ(DrawTextW(dc, u"x", -1, nullptr, 0), 0);
}

TEST_F(Text, PrefixUnderlinesTheNextCharacterUnlessNoPrefix) {
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICW tm = Tm();
  RECT r{10, 10, 190, 40};
  DrawTextW(dc, u"&x", -1, &r, DT_SINGLELINE);
  RECT ink = InkBox(RECT{0, 0, 200, 120});
  EXPECT_GT(ink.bottom, 10 + tm.tmAscent);  // the underline hangs below the baseline
  EXPECT_EQ(ink.left, 10);
  EXPECT_EQ(ink.right, 10 + Width(u"x"));
  Clear(kWhite);
  DrawTextW(dc, u"x", -1, &r, DT_SINGLELINE);
  EXPECT_LE(InkBox(RECT{0, 0, 200, 120}).bottom, 10 + tm.tmAscent);
  Clear(kWhite);
  DrawTextW(dc, u"&x", -1, &r, DT_SINGLELINE | DT_HIDEPREFIX);
  EXPECT_LE(InkBox(RECT{0, 0, 200, 120}).bottom, 10 + tm.tmAscent);
}

TEST_F(Text, AlignmentAndVerticalCentre) {
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(0, 0, 0));
  TEXTMETRICW tm = Tm();
  int w = Width(u"ab");
  struct Case {
    UINT flags;
    RECT expect;
  } cases[] = {
      {DT_SINGLELINE | DT_LEFT, {20, 10, 20 + w, 10 + tm.tmHeight}},
      {DT_SINGLELINE | DT_RIGHT, {180 - w, 10, 180, 10 + tm.tmHeight}},
      {DT_SINGLELINE | DT_CENTER,
       {(20 + 180 - w) / 2, 10, (20 + 180 - w) / 2 + w, 10 + tm.tmHeight}},
      {DT_SINGLELINE | DT_VCENTER,
       {20, 10 + 50 - tm.tmHeight / 2, 20 + w, 10 + 50 - tm.tmHeight / 2 + tm.tmHeight}},
      {DT_SINGLELINE | DT_BOTTOM, {20, 110 - tm.tmHeight, 20 + w, 110}},
  };
  for (const Case& c : cases) {
    Clear(kWhite);
    RECT r{20, 10, 180, 110};
    DrawTextW(dc, u"ab", -1, &r, c.flags);
    EXPECT_EQ(InkBox(RECT{0, 0, 200, 120}), c.expect) << c.flags;
  }
}

TEST_F(Text, TextIsClippedToTheRectangleUnlessNoClip) {
  SetBkMode(dc, TRANSPARENT);
  RECT r{10, 10, 30, 30};
  DrawTextW(dc, u"WWWWWWWW", -1, &r, DT_SINGLELINE);
  EXPECT_LE(InkBox(RECT{0, 0, 200, 120}).right, 30);
  Clear(kWhite);
  DrawTextW(dc, u"WWWWWWWW", -1, &r, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(InkBox(RECT{0, 0, 200, 120}).right, 30);
}

TEST_F(Text, EllipsisDrawsTheShortenedText) {
  SetBkMode(dc, TRANSPARENT);
  RECT r{0, 0, 100, 30};
  DrawTextW(dc, u"Register the full version", -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS);
  RECT a = InkBox(RECT{0, 0, 200, 120});
  Clear(kWhite);
  RECT r2{0, 0, 200, 30};
  DrawTextW(dc, u"Register the f...", -1, &r2, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(InkBox(RECT{0, 0, 200, 120}), a);
}

TEST_F(Text, RightToLeftReadingMovesTrailingPunctuationToTheLeft) {
  SetBkMode(dc, TRANSPARENT);
  RECT r{0, 0, 200, 30};
  DrawTextW(dc, u"abc!", -1, &r, DT_SINGLELINE | DT_RTLREADING);
  RECT rtl = InkBox(RECT{0, 0, 200, 120});
  Clear(kWhite);
  DrawTextW(dc, u"!abc", -1, &r, DT_SINGLELINE);
  EXPECT_EQ(InkBox(RECT{0, 0, 200, 120}), rtl);
}

TEST_F(Text, DrawTextExReportsLengthAndHonoursMargins) {
  DRAWTEXTPARAMS p;
  p.iLeftMargin = 3;
  p.iRightMargin = 4;
  RECT r{0, 0, 300, 0};
  DrawTextExW(dc, u"abc", -1, &r, DT_CALCRECT | DT_SINGLELINE, &p);
  EXPECT_EQ(r.right, Width(u"abc") + 7);
  EXPECT_EQ(p.uiLengthDrawn, 3u);
}

}  // namespace
