// Pixel-exact drawing: rectangles, lines, edges, transfers, mapping and clipping.
#include <gtest/gtest.h>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTestSupport.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

using Pixels = GdiCanvasTest;

TEST_F(Pixels, FillRectCoversLeftTopAndExcludesRightBottom) {
  HBRUSH red = CreateSolidBrush(kRed);
  RECT r{10, 5, 20, 15};
  FillRect(dc, &r, red);
  EXPECT_EQ(Px(10, 5), kRed);
  EXPECT_EQ(Px(19, 14), kRed);
  EXPECT_EQ(Px(20, 14), kWhite);
  EXPECT_EQ(Px(19, 15), kWhite);
  EXPECT_EQ(Px(9, 5), kWhite);
  EXPECT_EQ(Px(10, 4), kWhite);
  EXPECT_EQ(CountNot(RECT{10, 5, 20, 15}, kRed), 0);
  EXPECT_EQ(CountNot(RECT{0, 0, 64, 5}, kWhite), 0);
  DeleteObject(red);
}

TEST_F(Pixels, FillRectWithNullBrushPaintsNothing) {
  RECT r{0, 0, 64, 48};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(CountNot(r, kWhite), 0);
}

TEST_F(Pixels, FrameRectDrawsOnePixelInside) {
  HBRUSH blue = CreateSolidBrush(kBlue);
  RECT r{4, 4, 14, 10};
  FrameRect(dc, &r, blue);
  EXPECT_EQ(Px(4, 4), kBlue);
  EXPECT_EQ(Px(13, 9), kBlue);
  EXPECT_EQ(Px(5, 5), kWhite);
  EXPECT_EQ(Px(14, 4), kWhite);
  EXPECT_EQ(CountNot(RECT{5, 5, 13, 9}, kWhite), 0);
  DeleteObject(blue);
}

struct LineCase {
  POINT from, to;
  POINT lastDrawn;
};

class LineTest : public GdiCanvasTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineTest, ExcludesItsLastPoint) {
  const LineCase& c = GetParam();
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  MoveToEx(dc, c.from.x, c.from.y, nullptr);
  LineTo(dc, c.to.x, c.to.y);
  EXPECT_EQ(Px(c.from.x, c.from.y), kRed);
  EXPECT_EQ(Px(c.lastDrawn.x, c.lastDrawn.y), kRed);
  EXPECT_EQ(Px(c.to.x, c.to.y), kWhite);
  POINT cur;
  GetCurrentPositionEx(dc, &cur);
  EXPECT_EQ(cur, c.to);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

INSTANTIATE_TEST_SUITE_P(
    Directions, LineTest,
    ::testing::Values(LineCase{{5, 5}, {15, 5}, {14, 5}}, LineCase{{15, 8}, {5, 8}, {6, 8}},
                      LineCase{{3, 2}, {3, 12}, {3, 11}}, LineCase{{3, 12}, {3, 2}, {3, 3}},
                      LineCase{{2, 2}, {12, 12}, {11, 11}}, LineCase{{20, 2}, {10, 12}, {11, 11}}));

TEST_F(Pixels, HorizontalLineHasExactlyItsLengthInPixels) {
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  SelectObject(dc, pen);
  MoveToEx(dc, 10, 20, nullptr);
  LineTo(dc, 30, 20);
  EXPECT_EQ(64 * 48 - CountNot(RECT{0, 0, 64, 48}, kRed), 20);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST_F(Pixels, DottedPenLeavesGaps) {
  HPEN pen = CreatePen(PS_DOT, 1, kRed);
  SelectObject(dc, pen);
  MoveToEx(dc, 0, 10, nullptr);
  LineTo(dc, 60, 10);
  int red = 60 - CountNot(RECT{0, 10, 60, 11}, kRed);
  EXPECT_EQ(red, 30);
  EXPECT_EQ(Px(0, 10), kRed);
  EXPECT_EQ(Px(3, 10), kWhite);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST_F(Pixels, RectangleOutlinesWithPenAndFillsWithBrush) {
  HBRUSH blue = CreateSolidBrush(kBlue);
  SelectObject(dc, blue);
  Rectangle(dc, 2, 2, 12, 8);
  EXPECT_EQ(Px(2, 2), RGB(0, 0, 0));
  EXPECT_EQ(Px(11, 7), RGB(0, 0, 0));
  EXPECT_EQ(Px(12, 7), kWhite);
  EXPECT_EQ(CountNot(RECT{3, 3, 11, 7}, kBlue), 0);
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 20, 20, 30, 30);  // no pen: one pixel smaller
  EXPECT_EQ(Px(20, 20), kBlue);
  EXPECT_EQ(Px(28, 28), kBlue);
  EXPECT_EQ(Px(29, 29), kWhite);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(blue);
}

TEST_F(Pixels, EllipseStaysInsideItsBox) {
  HBRUSH blue = CreateSolidBrush(kBlue);
  SelectObject(dc, blue);
  Ellipse(dc, 10, 10, 30, 24);
  EXPECT_EQ(Px(20, 17), kBlue);   // centre
  EXPECT_EQ(Px(10, 10), kWhite);  // corners stay
  EXPECT_EQ(Px(29, 23), kWhite);
  EXPECT_EQ(CountNot(RECT{0, 0, 64, 10}, kWhite), 0);
  EXPECT_EQ(CountNot(RECT{30, 0, 64, 48}, kWhite), 0);
  EXPECT_EQ(CountNot(RECT{0, 24, 64, 48}, kWhite), 0);
  EXPECT_NE(CountNot(RECT{10, 10, 30, 24}, kWhite), 0);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(blue);
}

TEST_F(Pixels, PolylineAndPolygon) {
  POINT pts[] = {{5, 5}, {25, 5}, {25, 20}};
  Polyline(dc, pts, 3);
  EXPECT_EQ(Px(5, 5), RGB(0, 0, 0));
  EXPECT_EQ(Px(25, 5), RGB(0, 0, 0));  // a joint is drawn by the next segment
  EXPECT_EQ(Px(25, 19), RGB(0, 0, 0));
  EXPECT_EQ(Px(25, 20), kWhite);  // the very last point is not
  HBRUSH red = CreateSolidBrush(kRed);
  SelectObject(dc, red);
  POINT tri[] = {{30, 30}, {60, 30}, {30, 45}};
  Polygon(dc, tri, 3);
  EXPECT_EQ(Px(35, 33), kRed);
  EXPECT_EQ(Px(58, 44), kWhite);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
}

TEST_F(Pixels, SetPixelAndGetPixelRespectMappingAndBounds) {
  EXPECT_EQ(SetPixel(dc, 3, 4, kRed), kRed);
  EXPECT_EQ(GetPixel(dc, 3, 4), kRed);
  EXPECT_EQ(Px(3, 4), kRed);
  EXPECT_EQ(GetPixel(dc, 64, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(dc, 100, 100, kRed), CLR_INVALID);
  SetViewportOrgEx(dc, 10, 10, nullptr);
  EXPECT_EQ(GetPixel(dc, -7, -6), kRed);
}

// DrawEdge colours: for each edge kind, the outer and inner colours of the top/left and
// bottom/right sides.
struct EdgeCase {
  UINT edge;
  int ltOuter, ltInner, rbOuter, rbInner;  // system colour indexes, -1 = none
};

class EdgeTest : public GdiCanvasTest, public ::testing::WithParamInterface<EdgeCase> {};

TEST_P(EdgeTest, SidesHaveTheSystemColours) {
  const EdgeCase& c = GetParam();
  RECT r{10, 10, 30, 26};
  DrawEdge(dc, &r, c.edge, BF_RECT);
  auto col = [](int i) { return kx::SysColor(i); };
  EXPECT_EQ(Px(15, 10), col(c.ltOuter));  // top
  EXPECT_EQ(Px(10, 15), col(c.ltOuter));  // left
  EXPECT_EQ(Px(15, 25), col(c.rbOuter));  // bottom
  EXPECT_EQ(Px(29, 15), col(c.rbOuter));  // right
  if (c.ltInner >= 0) {
    EXPECT_EQ(Px(15, 11), col(c.ltInner));
    EXPECT_EQ(Px(11, 15), col(c.ltInner));
    EXPECT_EQ(Px(15, 24), col(c.rbInner));
    EXPECT_EQ(Px(28, 15), col(c.rbInner));
    EXPECT_EQ(Px(15, 15), kWhite);
  } else {
    EXPECT_EQ(Px(15, 11), kWhite);
  }
  // The corners between a top-left and a bottom-right side take the bottom-right colour.
  EXPECT_EQ(Px(29, 10), col(c.rbOuter));
  EXPECT_EQ(Px(10, 25), col(c.rbOuter));
  EXPECT_EQ(Px(10, 10), col(c.ltOuter));
  EXPECT_EQ(CountNot(RECT{0, 0, 64, 10}, kWhite), 0);
  EXPECT_EQ(CountNot(RECT{30, 0, 64, 48}, kWhite), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EdgeTest,
    ::testing::Values(
        EdgeCase{EDGE_SUNKEN, COLOR_BTNSHADOW, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DLIGHT},
        EdgeCase{EDGE_RAISED, COLOR_3DLIGHT, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_BTNSHADOW},
        EdgeCase{EDGE_ETCHED, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNHIGHLIGHT,
                 COLOR_BTNSHADOW},
        EdgeCase{BDR_SUNKENOUTER, COLOR_BTNSHADOW, -1, COLOR_BTNHIGHLIGHT, -1},
        EdgeCase{BDR_RAISEDINNER, COLOR_BTNHIGHLIGHT, -1, COLOR_BTNSHADOW, -1}));

TEST_F(Pixels, DrawEdgeAdjustShrinksBySidesDrawn) {
  RECT r{10, 10, 30, 30};
  DrawEdge(dc, &r, EDGE_SUNKEN, BF_LEFT | BF_TOP | BF_ADJUST);
  EXPECT_EQ(r, (RECT{12, 12, 30, 30}));
  r = RECT{10, 10, 30, 30};
  DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  EXPECT_EQ(r, (RECT{11, 11, 29, 29}));
}

TEST_F(Pixels, DrawEdgeMiddleFillsWithButtonFace) {
  RECT r{10, 10, 30, 30};
  DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  EXPECT_EQ(CountNot(RECT{12, 12, 28, 28}, kx::SysColor(COLOR_BTNFACE)), 0);
}

TEST_F(Pixels, SystemColoursAreTheWindows10Defaults) {
  EXPECT_EQ(kx::SysColor(COLOR_GRAYTEXT), RGB(109, 109, 109));
  EXPECT_EQ(kx::SysColor(COLOR_BTNFACE), RGB(240, 240, 240));
  EXPECT_EQ(kx::SysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(kx::SysColor(COLOR_HIGHLIGHT), RGB(0, 120, 215));
  EXPECT_EQ(kx::SysColor(-1), 0u);
  EXPECT_EQ(kx::SysColor(1000), 0u);
}

TEST_F(Pixels, CheckBoxFrameControl) {
  Reset(13, 13);
  RECT r{0, 0, 13, 13};
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK);
  EXPECT_EQ(Px(0, 0), kx::SysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(Px(12, 12), kx::SysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(Px(1, 1), kx::SysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(CountNot(RECT{2, 2, 11, 11}, kx::SysColor(COLOR_WINDOW)), 0);
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  int ink = CountNot(RECT{2, 2, 11, 11}, kx::SysColor(COLOR_WINDOW));
  EXPECT_EQ(ink, 21);  // seven columns of three pixels
  EXPECT_EQ(Px(6, 8), kx::SysColor(COLOR_WINDOWTEXT));
}

TEST_F(Pixels, RadioFrameControlDotOnlyWhenChecked) {
  Reset(13, 13);
  RECT r{0, 0, 13, 13};
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONRADIO);
  EXPECT_EQ(Px(0, 0), kWhite);  // the corners stay
  EXPECT_EQ(Px(6, 6), kx::SysColor(COLOR_WINDOW));
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
  EXPECT_EQ(Px(6, 6), kx::SysColor(COLOR_WINDOWTEXT));
}

TEST_F(Pixels, FocusRectIsDottedAndUndoneBySecondCall) {
  RECT r{4, 4, 20, 12};
  DrawFocusRect(dc, &r);
  int changed = CountNot(RECT{0, 0, 64, 48}, kWhite);
  EXPECT_GT(changed, 10);
  EXPECT_LT(changed, 2 * (16 + 8));
  EXPECT_NE(Px(4, 4) == kWhite, Px(5, 4) == kWhite);  // alternate pixels
  DrawFocusRect(dc, &r);
  EXPECT_EQ(CountNot(RECT{0, 0, 64, 48}, kWhite), 0);
}

// ---------------------------------------------------------------------------------------
// Mapping and clipping

TEST_F(Pixels, ViewportMovedByMinus10Minus20DrawsLeftAndUp) {
  SetMapMode(dc, MM_ANISOTROPIC);
  SetViewportOrgEx(dc, -10, -20, nullptr);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT r{20, 25, 30, 35};
  FillRect(dc, &r, red);
  EXPECT_EQ(Px(10, 5), kRed);
  EXPECT_EQ(Px(19, 14), kRed);
  EXPECT_EQ(Px(20, 15), kWhite);
  EXPECT_EQ(CountNot(RECT{10, 5, 20, 15}, kRed), 0);
  // Lines and pixels follow the same mapping.
  SetPixel(dc, 40, 40, kBlue);
  EXPECT_EQ(Px(30, 20), kBlue);
  DeleteObject(red);
}

TEST_F(Pixels, WindowOriginShiftsTheOtherWay) {
  SetWindowOrgEx(dc, 5, 3, nullptr);
  SetPixel(dc, 5, 3, kRed);
  EXPECT_EQ(Px(0, 0), kRed);
  POINT p{15, 13};
  LPtoDP(dc, &p, 1);
  EXPECT_EQ(p, (POINT{10, 10}));
  DPtoLP(dc, &p, 1);
  EXPECT_EQ(p, (POINT{15, 13}));
}

TEST_F(Pixels, AnisotropicScaleMapsExtents) {
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1, 1, nullptr);
  SetViewportExtEx(dc, 2, 2, nullptr);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT r{2, 2, 4, 4};
  FillRect(dc, &r, red);
  EXPECT_EQ(CountNot(RECT{4, 4, 8, 8}, kRed), 0);
  EXPECT_EQ(Px(8, 8), kWhite);
  SetMapMode(dc, MM_TEXT);  // back to 1:1
  FillRect(dc, &r, red);
  EXPECT_EQ(Px(2, 2), kRed);
  DeleteObject(red);
}

TEST_F(Pixels, ClipRectLimitsDrawingAndClipBoxReportsIt) {
  EXPECT_EQ(IntersectClipRect(dc, 10, 10, 20, 20), SIMPLEREGION);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{10, 10, 20, 20}));
  HBRUSH red = CreateSolidBrush(kRed);
  RECT all{0, 0, 64, 48};
  FillRect(dc, &all, red);
  EXPECT_EQ(64 * 48 - CountNot(all, kRed), 100);
  EXPECT_EQ(GetPixel(dc, 5, 5), CLR_INVALID);
  DeleteObject(red);
}

TEST_F(Pixels, ClipIsInDeviceUnitsAndClipBoxInLogical) {
  SetViewportOrgEx(dc, -10, -20, nullptr);
  IntersectClipRect(dc, 10, 20, 30, 40);  // logical → device (0, 0, 20, 20)
  RECT box;
  GetClipBox(dc, &box);
  EXPECT_EQ(box, (RECT{10, 20, 30, 40}));
  SetViewportOrgEx(dc, 0, 0, nullptr);
  GetClipBox(dc, &box);
  EXPECT_EQ(box, (RECT{0, 0, 20, 20}));
}

TEST_F(Pixels, ExcludeClipRectAndRegions) {
  ExcludeClipRect(dc, 0, 0, 32, 48);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{32, 0, 64, 48}));
  HRGN a = CreateRectRgn(0, 0, 10, 10);
  HRGN b = CreateRectRgn(20, 20, 30, 30);
  HRGN u = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(u, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(SelectClipRgn(dc, u), COMPLEXREGION);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT all{0, 0, 64, 48};
  FillRect(dc, &all, red);
  EXPECT_EQ(Px(5, 5), kRed);
  EXPECT_EQ(Px(25, 25), kRed);
  EXPECT_EQ(Px(15, 15), kWhite);
  EXPECT_EQ(SelectClipRgn(dc, nullptr), SIMPLEREGION);
  GetClipBox(dc, &box);
  EXPECT_EQ(box, (RECT{0, 0, 64, 48}));
  EXPECT_EQ(CombineRgn(u, a, b, RGN_AND), NULLREGION);
  DeleteObject(a);
  DeleteObject(b);
  DeleteObject(u);
  DeleteObject(red);
}

TEST_F(Pixels, SaveDCRestoresOriginClipAndObjects) {
  HBRUSH red = CreateSolidBrush(kRed);
  HGDIOBJ before = SelectObject(dc, red);
  int level = SaveDC(dc);
  EXPECT_EQ(level, 1);
  SetViewportOrgEx(dc, 5, 5, nullptr);
  IntersectClipRect(dc, 0, 0, 2, 2);
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SetTextColor(dc, kBlue);
  EXPECT_EQ(SaveDC(dc), 2);
  EXPECT_TRUE(RestoreDC(dc, -1));
  EXPECT_TRUE(RestoreDC(dc, level));
  POINT vp;
  GetViewportOrgEx(dc, &vp);
  EXPECT_EQ(vp, (POINT{0, 0}));
  RECT box;
  GetClipBox(dc, &box);
  EXPECT_EQ(box, (RECT{0, 0, 64, 48}));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), red);
  EXPECT_EQ(GetTextColor(dc), 0u);
  EXPECT_FALSE(RestoreDC(dc, 1));  // nothing left to restore
  SelectObject(dc, before);
  DeleteObject(red);
}

TEST_F(Pixels, SelectObjectReturnsThePreviousObject) {
  HPEN a = CreatePen(PS_SOLID, 1, kRed);
  HPEN b = CreatePen(PS_SOLID, 1, kBlue);
  HGDIOBJ first = SelectObject(dc, a);
  EXPECT_EQ(first, GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, b), a);
  EXPECT_EQ(SelectObject(dc, first), b);
  HFONT f = MakeFont(-13);
  HGDIOBJ oldFont = SelectObject(dc, f);
  EXPECT_NE(oldFont, nullptr);
  EXPECT_EQ(SelectObject(dc, oldFont), f);
  EXPECT_EQ(GetObjectType(a), DWORD(OBJ_PEN));
  DeleteObject(a);
  DeleteObject(b);
  DeleteObject(f);
}

TEST_F(Pixels, DeletingASelectedObjectIsDeferredUntilDeselected) {
  HBRUSH red = CreateSolidBrush(kRed);
  SelectObject(dc, red);
  EXPECT_TRUE(DeleteObject(red));
  EXPECT_EQ(GetObjectType(red), DWORD(OBJ_BRUSH));  // still alive while selected
  Rectangle(dc, 0, 0, 10, 10);
  EXPECT_EQ(Px(5, 5), kRed);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetObjectType(red), 0u);  // gone now
  EXPECT_FALSE(DeleteObject(red));    // a dead handle is refused, not a crash
  EXPECT_FALSE(FillRect(dc, nullptr, nullptr));
}

TEST_F(Pixels, StockObjectsSurviveDeletion) {
  HGDIOBJ w = GetStockObject(WHITE_BRUSH);
  EXPECT_TRUE(DeleteObject(w));
  EXPECT_EQ(GetObjectType(w), DWORD(OBJ_BRUSH));
  EXPECT_EQ(GetStockObject(99), nullptr);
}

// ---------------------------------------------------------------------------------------
// Transfers

class Transfer : public GdiCanvasTest {
 protected:
  void SetUp() override {
    GdiCanvasTest::SetUp();
    src = CreateCompatibleDC(dc);
    srcBmp = CreateCompatibleBitmap(dc, 8, 6);
    srcOld = SelectObject(src, srcBmp);
    // A blue picture with a red first row and a magenta bottom-left pixel.
    HBRUSH blue = CreateSolidBrush(kBlue), red = CreateSolidBrush(kRed);
    RECT all{0, 0, 8, 6}, top{0, 0, 8, 1};
    FillRect(src, &all, blue);
    FillRect(src, &top, red);
    SetPixel(src, 0, 5, RGB(255, 0, 255));
    DeleteObject(blue);
    DeleteObject(red);
  }
  void TearDown() override {
    SelectObject(src, srcOld);
    DeleteObject(srcBmp);
    DeleteDC(src);
    GdiCanvasTest::TearDown();
  }
  HDC src = nullptr;
  HBITMAP srcBmp = nullptr;
  HGDIOBJ srcOld = nullptr;
};

TEST_F(Transfer, BitBltCopiesExactly) {
  BitBlt(dc, 10, 10, 8, 6, src, 0, 0, SRCCOPY);
  EXPECT_EQ(Px(10, 10), kRed);
  EXPECT_EQ(Px(17, 10), kRed);
  EXPECT_EQ(Px(11, 11), kBlue);
  EXPECT_EQ(Px(10, 15), RGB(255, 0, 255));
  EXPECT_EQ(Px(18, 10), kWhite);
  EXPECT_EQ(Px(10, 16), kWhite);
}

TEST_F(Transfer, BitBltBeyondTheSourceLeavesTheDestination) {
  BitBlt(dc, 0, 0, 20, 20, src, 4, 3, SRCCOPY);
  EXPECT_EQ(Px(0, 0), kBlue);
  EXPECT_EQ(Px(3, 2), kBlue);
  EXPECT_EQ(Px(4, 0), kWhite);
  EXPECT_EQ(Px(0, 3), kWhite);
}

TEST_F(Transfer, BitBltRasterOperations) {
  BitBlt(dc, 0, 0, 8, 6, src, 0, 0, SRCAND);  // white AND x = x
  EXPECT_EQ(Px(1, 1), kBlue);
  BitBlt(dc, 0, 0, 8, 6, src, 0, 0, SRCINVERT);  // x XOR x = black
  EXPECT_EQ(Px(1, 1), RGB(0, 0, 0));
  BitBlt(dc, 0, 0, 8, 6, src, 0, 0, SRCPAINT);  // black OR x = x
  EXPECT_EQ(Px(1, 0), kRed);
  BitBlt(dc, 0, 0, 8, 6, src, 0, 0, NOTSRCCOPY);
  EXPECT_EQ(Px(1, 1), RGB(255, 255, 0));
  BitBlt(dc, 20, 20, 4, 4, nullptr, 0, 0, BLACKNESS);
  EXPECT_EQ(Px(21, 21), RGB(0, 0, 0));
  PatBlt(dc, 30, 30, 4, 4, DSTINVERT);
  EXPECT_EQ(Px(31, 31), RGB(0, 0, 0));
}

TEST_F(Transfer, BitBltOverlappingWithinOneBitmap) {
  for (int x = 0; x < 10; ++x)
    SetPixel(dc, x, 0, RGB(x * 20, 0, 0));
  BitBlt(dc, 1, 0, 9, 1, dc, 0, 0, SRCCOPY);
  for (int x = 1; x < 10; ++x)
    EXPECT_EQ(Px(x, 0), RGB((x - 1) * 20, 0, 0)) << x;
}

TEST_F(Transfer, BitBltHonoursBothOrigins) {
  SetViewportOrgEx(dc, -10, -20, nullptr);
  SetWindowOrgEx(src, 2, 0, nullptr);
  BitBlt(dc, 20, 30, 2, 2, src, 2, 0, SRCCOPY);
  EXPECT_EQ(Px(10, 10), kRed);
  EXPECT_EQ(Px(10, 11), kBlue);
  EXPECT_EQ(Px(12, 10), kWhite);
}

TEST_F(Transfer, StretchBltScalesAndMirrors) {
  StretchBlt(dc, 0, 0, 16, 12, src, 0, 0, 8, 6, SRCCOPY);
  EXPECT_EQ(Px(0, 0), kRed);
  EXPECT_EQ(Px(15, 1), kRed);
  EXPECT_EQ(Px(15, 2), kBlue);
  EXPECT_EQ(Px(1, 11), RGB(255, 0, 255));
  EXPECT_EQ(Px(2, 11), kBlue);
  // A negative source width mirrors: the source spans [x1 + cx1, x1).
  StretchBlt(dc, 20, 0, 8, 6, src, 8, 0, -8, 6, SRCCOPY);
  EXPECT_EQ(Px(27, 5), RGB(255, 0, 255));
  EXPECT_EQ(Px(20, 5), kBlue);
}

TEST_F(Transfer, TransparentCopyKeyedOnBottomLeftPixel) {
  COLORREF key = GetPixel(src, 0, 5);
  ASSERT_EQ(key, RGB(255, 0, 255));
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  RECT under{10, 10, 18, 16};
  FillRect(dc, &under, green);
  TransparentBlt(dc, 10, 10, 8, 6, src, 0, 0, 8, 6, key);
  EXPECT_EQ(Px(10, 15), RGB(0, 255, 0));  // the key colour shows the background
  EXPECT_EQ(Px(11, 15), kBlue);
  EXPECT_EQ(Px(10, 10), kRed);
  EXPECT_EQ(CountNot(RECT{10, 10, 18, 16}, RGB(0, 255, 0)), 8 * 6 - 1);
  DeleteObject(green);
}

TEST_F(Transfer, BitmapPixelsAreReachableThroughGetObject) {
  BITMAP bm;
  ASSERT_EQ(GetObject(srcBmp, sizeof bm, &bm), int(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 8);
  EXPECT_EQ(bm.bmHeight, 6);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  auto* row = static_cast<uint32_t*>(bm.bmBits);
  EXPECT_EQ(row[0], 0xFFFF0000u);  // opaque red in ARGB
  row[1] = 0xFF00FF00u;
  EXPECT_EQ(GetPixel(src, 1, 0), RGB(0, 255, 0));
}

TEST_F(Transfer, NewBitmapsAreOpaqueBlackAndBadSizesFail) {
  HBITMAP b = CreateCompatibleBitmap(dc, 3, 3);
  HDC m = CreateCompatibleDC(dc);
  HGDIOBJ o = SelectObject(m, b);
  EXPECT_EQ(GetPixel(m, 2, 2), RGB(0, 0, 0));
  SelectObject(m, o);
  DeleteDC(m);
  DeleteObject(b);
  EXPECT_EQ(CreateCompatibleBitmap(dc, 0, 5), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(dc, -1, 5), nullptr);
  EXPECT_EQ(CreateBitmap32(100000, 2), nullptr);
}

TEST_F(Transfer, PngRoundTrip) {
  const char* dir = std::getenv("KX_TEST_ARTIFACTS");
  std::string path = std::string(dir ? dir : "/tmp") + "/gdi-roundtrip.png";
  ASSERT_TRUE(kx::WritePng(srcBmp, path));
  HBITMAP back = kx::LoadPng(path);
  ASSERT_NE(back, nullptr);
  HDC m = CreateCompatibleDC(dc);
  HGDIOBJ o = SelectObject(m, back);
  EXPECT_EQ(GetPixel(m, 0, 0), kRed);
  EXPECT_EQ(GetPixel(m, 0, 5), RGB(255, 0, 255));
  SelectObject(m, o);
  DeleteDC(m);
  DeleteObject(back);
  EXPECT_EQ(kx::LoadPng("/nonexistent/x.png"), nullptr);
  EXPECT_FALSE(kx::WritePng(static_cast<HBITMAP>(nullptr), path));
}

}  // namespace
