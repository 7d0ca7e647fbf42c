// Hostile and extreme captions parse without a crash, in time proportional to their
// length, and the inputs the fuzzer found stay fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "FuzzParserBody.h"
#include "HTMLTestUtil.h"

using namespace htmltest;

namespace {

std::string Repeat(const std::string& s, size_t n) {
  std::string out;
  out.reserve(s.size() * n);
  for (size_t i = 0; i < n; ++i)
    out += s;
  return out;
}

struct Hostile {
  const char* name;
  std::string markup;
  int width;
};

class HostileCaption : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileCaption, ParsesAndDraws) {
  Engine e;
  const Hostile& c = GetParam();
  THTMLData& d = e.Parse(c.markup, c.width, c.width > 0);
  // The invariants of a parsed document.
  if (d.ItemCount() > 0) {
    EXPECT_EQ(d.Items(0)->FItemType, hitPara);
  }
  for (THTMLItem* item : d.ControlsArray())
    EXPECT_EQ(item->Owner(), &d);
  TBitmap b(100, 50);
  e.render.DrawText(b.Canvas(), Point(0, 0), Rect(0, 0, 99, 49), clNone);
  (void)e.render.AsText();
  (void)d.GenerateHTML();
}

INSTANTIATE_TEST_SUITE_P(
    Robust, HostileCaption,
    ::testing::Values(
        Hostile{"DeepFonts", Repeat("<font color=red size=+1>x", 20000), 0},
        Hostile{"DeepFontsClosed", Repeat("<font>", 20000) + Repeat("</font>", 30000), 200},
        Hostile{"DeepLists", Repeat("<ul><li>x", 5000) + Repeat("</ul>", 6000), 300},
        Hostile{"DeepOrderedLists", Repeat("<ol><li>", 5000) + Repeat("</ol><li>", 5000), 0},
        Hostile{"OnlyTags", Repeat("<b><i><u><s><sub><sup></sup></sub></s></u></i></b>", 5000),
                100},
        Hostile{"ManyLinks", Repeat("<a href=x>l</a>", 10000), 150},
        Hostile{"ManyEmptyLinks", Repeat("<a href=x>", 20000) + "<ul>", 0},
        Hostile{"HugeNumbers",
                "<font size=99999999999999999999>a<font size=+2147483647>b<font size=-2147483648>"
                "c<ind width=-1>d<ind width=4294967296>e&#99999999999;f&#-1;g&#x10FFFF;"
                "<img src=x width=-5 height=99999999999><hr width=2147483647>"
                "<p indent=2147483647>h<input type=checkbox width=-1 height=70000>",
                411},
        Hostile{"AmpersandsWithoutSemicolon", Repeat("&x", 50000), 411},
        Hostile{"UnclosedComment", "a<!--" + Repeat("-", 10000), 0},
        Hostile{"UnclosedQuote", "<a href='" + Repeat("x ", 10000), 0},
        Hostile{"ManyAttributes", "<font " + Repeat("a=b ", 20000) + ">x", 0},
        Hostile{"Surrogates", Repeat("\xF0\x9F\x98\x80", 2000), 60},
        Hostile{"ControlCharacters", Repeat(std::string("a\x01\t\n\r\x7f", 6), 3000), 50},
        Hostile{"NarrowWrap", Repeat("word ", 5000), 1},
        Hostile{"ZeroWidthWrap", Repeat("ab c", 5000), 0},
        Hostile{"Variables", Repeat("<~~v>", 10000), 100},
        Hostile{"Inputs", Repeat("<input type=radio name=g>", 3000), 300},
        Hostile{"ManyParagraphs", Repeat("a</p><br><p>", 10000), 200}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Robust, OneMegabyteCaption) {
  Engine e;
  std::string text = Repeat("Lorem ipsum dolor sit amet, <b>consectetur</b> adipiscing elit. ",
                            1 << 14);  // about 1 MB
  THTMLData& wrapped = e.Parse(text, 411, true);
  EXPECT_GT(wrapped.LineCount(), 1000);
  EXPECT_LE(wrapped.TextSize().cx, 411);
  // Without wrapping the line is far wider than 16 bits: widths wrap, nothing breaks.
  THTMLData& single = e.Parse(text, 0, false);
  EXPECT_EQ(single.LineCount(), 1);
  // A huge wrapping width keeps a single line too.
  THTMLData& wide = e.Parse(text, 0x7FFFFFFF, true);
  EXPECT_EQ(wide.LineCount(), 1);
}

TEST(Robust, FuzzRegressions) {
  const std::filesystem::path dir =
      std::filesystem::path(KX_HTMLTEXT_TEST_DIR) / "fuzz_regressions";
  THTMLRender render;
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().filename().string());
    FuzzParserOnce(render, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ++replayed;
  }
  EXPECT_GT(replayed, 0);
}

}  // namespace
