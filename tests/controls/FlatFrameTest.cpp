#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "controls/FlatFrame.h"
#include "framework/Graphics.h"

namespace {

// Distinct colours for the five frame colours, by the letter the pictures use.
const TFlatFrameColors kColors{/*Face*/ clRed, /*DkShadow*/ clLime, /*Shadow*/ clBlue,
                               /*Highlight*/ clYellow, /*Window*/ clFuchsia};
const std::map<char, COLORREF> kLetter{{'F', RGB(255, 0, 0)},   {'D', RGB(0, 255, 0)},
                                       {'S', RGB(0, 0, 255)},   {'H', RGB(255, 255, 0)},
                                       {'W', RGB(255, 0, 255)}, {'.', RGB(0, 0, 0)},
                                       {'L', RGB(0, 128, 128)}, {'B', RGB(128, 128, 128)}};

struct FrameCase {
  const char* name;
  TFlatBorderType type;
  TBorderSides sides;
  std::vector<std::string> picture;  // one letter per pixel, see kLetter
  TRect inside;
};

class FlatFrameTest : public testing::TestWithParam<FrameCase> {};

TEST_P(FlatFrameTest, DrawsTheEdgesPixelByPixel) {
  const FrameCase& c = GetParam();
  const int h = int(c.picture.size()), w = int(c.picture[0].size());
  TBitmap bmp(w, h);  // starts black
  const TRect inside = DrawFlatFrame(bmp.Canvas()->Handle(), Rect(0, 0, w, h), clTeal, clGray,
                                     false, true, c.sides, c.type, kColors);
  GdiFlush();
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = bmp.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      const uint32_t p = row[x];
      const COLORREF got = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
      EXPECT_EQ(got, kLetter.at(c.picture[size_t(y)][size_t(x)]))
          << c.name << " at " << x << "," << y;
    }
  }
  EXPECT_EQ(inside, c.inside) << c.name;
}

constexpr TBorderSides kNoRight =
    BorderSideBit(ebsLeft) | BorderSideBit(ebsTop) | BorderSideBit(ebsBottom);

INSTANTIATE_TEST_SUITE_P(
    Styles, FlatFrameTest,
    testing::Values(
        FrameCase{"sunken",
                  fbtSunken,
                  allSides,
                  {"SSSSSSSH", "SDDDDDFH", "SD....FH", "SD....FH", "SFFFFFFH", "HHHHHHHH"},
                  Rect(2, 2, 6, 4)},
        FrameCase{"sunken outer",
                  fbtSunkenOuter,
                  allSides,
                  {"SSSSSSSW", "SFFFFFFW", "SF....FW", "SF....FW", "SFFFFFFW", "WWWWWWWW"},
                  Rect(1, 1, 7, 5)},
        FrameCase{"sunken without the right side",
                  fbtSunken,
                  kNoRight,
                  {"SSSSSSSS", "SDDDDDDD", "SD......", "SD......", "SFFFFFFF", "HHHHHHHH"},
                  Rect(2, 2, 8, 4)},
        FrameCase{"raised",
                  fbtRaised,
                  allSides,
                  {"FFFFFFFD", "FHHHHHSD", "FH....SD", "FH....SD", "FSSSSSSD", "DDDDDDDD"},
                  Rect(2, 2, 6, 4)},
        FrameCase{"line",
                  fbtLine,
                  allSides,
                  {"LLLLLLLL", "LBBBBBBL", "LB....BL", "LB....BL", "LBBBBBBL", "LLLLLLLL"},
                  Rect(2, 2, 6, 4)}));

TEST(FlatFrame, AnEmptyRectangleDrawsNothing) {
  TBitmap bmp(4, 4);
  const TRect r = DrawFlatFrame(bmp.Canvas()->Handle(), Rect(2, 2, 2, 4), clTeal, clGray, true,
                                true, allSides, fbtSunken, kColors);
  EXPECT_EQ(r, Rect(2, 2, 2, 4));
  EXPECT_EQ(bmp.ScanLine(2)[2] & 0xFFFFFF, 0u);
}

}  // namespace
