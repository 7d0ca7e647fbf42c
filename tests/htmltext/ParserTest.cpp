// The markup parser: markup in, item list out.
#include <gtest/gtest.h>

#include "HTMLTestUtil.h"
#include "htmltext/HTMLParser.h"

using namespace htmltest;

namespace {

struct Case {
  const char* name;
  const char* markup;
  std::vector<std::string> items;
};

class ParserTable : public ::testing::TestWithParam<Case> {};

TEST_P(ParserTable, GivesTheItems) {
  Engine e;
  const Case& c = GetParam();
  EXPECT_EQ(Signatures(e.Parse(c.markup)), c.items) << c.markup;
}

const Case kCases[] = {
    {"Empty", "", {}},
    {"OnlyEmptyTags", "<b></b><i></i><font></font>", {}},
    {"PlainText", "abc", {"Para", "Char\"abc\""}},
    {"TagCaseIgnored", "<B>x</B>y", {"Para", "Char\"x\" B", "Char\"y\""}},
    {"LowerCaseTag", "<b>x</b>y", {"Para", "Char\"x\" B", "Char\"y\""}},
    {"SlashBrIsUnknown", "a<br/>b", {"Para", "Char\"ab\""}},
    {"SpacedSlashBrBreaks", "a<br />b", {"Para", "Char\"a\"", "Break", "Char\"b\""}},
    {"SpacesCollapse", "a  b", {"Para", "Char\"a b\""}},
    {"CollapseLooksAtRunOnly", "a <b> b</b>", {"Para", "Char\"a \"", "Char\" b\" B"}},
    {"NbspKeepsSpaces", "a&nbsp;&nbsp;b", {"Para", "Char\"a  b\""}},
    {"NumericSpacesCollapse", "x&#32;&#32;y", {"Para", "Char\"x y\""}},
    {"EntitiesLtGt", "&lt;b&gt;", {"Para", "Char\"<b>\""}},
    {"EntityNameLowered", "&Auml;&auml;", {"Para", "Char\"\xC3\xA4\xC3\xA4\""}},
    {"UumlNotInTable", "x&uuml;y", {"Para", "Char\"xy\""}},
    {"Euro", "&euro;", {"Para", "Char\"\xE2\x82\xAC\""}},
    {"UnknownEntity", "x&bogus;y", {"Para", "Char\"xy\""}},
    {"AmpersandWithoutSemicolon", "a&b", {"Para", "Char\"a&b\""}},
    {"EntityNameUpToSemicolon", "a&b c;d", {"Para", "Char\"ad\""}},
    {"AmpersandBeforeSpace", "a & b", {"Para", "Char\"a & b\""}},
    {"HexNumericEntity", "&#x41;&#66;", {"Para", "Char\"AB\""}},
    {"ZeroEntityAddsNothing", "a&#0;b", {"Para", "Char\"ab\""}},
    {"CommentDropped", "a<!-- hidden -->b", {"Para", "Char\"ab\""}},
    {"ShortestComment", "<!--->x", {"Para", "Char\"x\""}},
    {"OpenCommentDropsRest", "x<!-- open", {"Para", "Char\"x\""}},
    {"UnterminatedTag", "x<", {"Para", "Char\"x\""}},
    {"UnterminatedTagName", "x<b", {"Para", "Char\"x\""}},
    {"CarriageReturnLineFeedDropped", "a\r\nb", {"Para", "Char\"ab\""}},
    {"LoneLineFeedKept", "a\nb", {"Para", "Char\"a\nb\""}},
    {"GreaterThanOutsideTag", "a>b", {"Para", "Char\"a>b\""}},
    {"HtmlTagNoEffect", "<html>a</html>", {"Para", "Char\"a\""}},
    {"StylesNest",
     "<b>a<i>b<u>c<s>d</s></u></i></b>",
     {"Para", "Char\"a\" B", "Char\"b\" BI", "Char\"c\" BIU", "Char\"d\" BIUS"}},
    {"StrongEmStrikeout",
     "<strong>a</strong><em>b</em><strikeout>c</strikeout>",
     {"Para", "Char\"a\" B", "Char\"b\" I", "Char\"c\" S"}},
    {"VarSetsBoldItalic",
     "<var>a</var><cite>b</cite>c",
     {"Para", "Char\"a\" BI", "Char\"b\" BI", "Char\"c\""}},
    {"Paragraphs", "<p>a</p><p>b</p>", {"Para", "Char\"a\"", "Para", "Para", "Char\"b\"", "Para"}},
    {"ClosedParagraphBreakParagraph",
     "text</p><br><p>more",
     {"Para", "Char\"text\"", "Para", "Break", "Char\"more\""}},
    {"BulletList",
     "<ul><li>a<li>b</ul>c",
     {"Para", "UL", "LI", "Char\"a\"", "LI", "Char\"b\"", "Break", "Char\"c\""}},
    {"ListItemTakesBreakPlace", "a<br><li>b", {"Para", "Char\"a\"", "LI", "Char\"b\""}},
    {"ListOnEmptyLineReplacesIt",
     "a<br><ul><li>b</ul>",
     {"Para", "Char\"a\"", "UL", "LI", "Char\"b\"", "Break"}},
    {"LinkRun", "<a href=x>link</a> more", {"Para", "Char\"\"", "Char\"link\" U", "Char\" more\""}},
    {"EmptyLink", "<a href=x></a>", {"Para", "Char\"\""}},
    {"LinkWithoutAttributesIgnored", "<a>x</a>", {"Para", "Char\"x\""}},
    {"Rule", "a<hr>b", {"Para", "Char\"a\"", "Break", "HR", "Break", "Char\"b\""}},
    {"Indent", "a<ind width=20>b", {"Para", "Char\"a\"", "Indent", "Char\"b\""}},
    {"IndentNeedsWidth", "a<ind>b<ind width=''>c", {"Para", "Char\"abc\""}},
    {"ImageNeedsSource", "a<img>b<img src=''>c", {"Para", "Char\"abc\""}},
    {"Image", "a<img src=pic.png>b", {"Para", "Char\"a\"", "Bitmap\"pic.png\"", "Char\"b\""}},
    {"Variable", "<~~name>", {"Para", "Var\"~~\"", "Char\" \""}},
    {"VariableWithSpace", "<~~ name>", {"Para", "Var\"~~\"", "Char\" \""}},
    {"UnknownInputKind", "a<input type=text>b", {"Para", "Char\"ab\""}},
    {"CheckBox", "a<input type=checkbox>b", {"Para", "Char\"a\"", "Input", "Char\"b\""}},
    {"UnknownControlClass", "a<control controlclass=TNothing>b", {"Para", "Char\"ab\""}},
    {"CrossedTags",
     "Kostenlose<br><b>Vollversion <font size=22>Parvel</b></font>",
     {"Para", "Char\"Kostenlose\"", "Break", "Char\"Vollversion \" B", "Char\"Parvel\" B"}},
};

INSTANTIATE_TEST_SUITE_P(Markup, ParserTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- font sizes and colours

struct FontCase {
  const char* markup;
  int height;
  TColor color;
  int fntCnt;
};

class FontTable : public ::testing::TestWithParam<FontCase> {};

TEST_P(FontTable, SetsHeightColourAndCount) {
  Engine e;  // default height -13, colour black
  const FontCase& c = GetParam();
  THTMLData& d = e.Parse(c.markup);
  ASSERT_EQ(d.ItemCount(), 2) << c.markup;
  const THTMLItem* run = d.Items(1);
  EXPECT_EQ(run->FontHeight, c.height) << c.markup;
  EXPECT_EQ(run->FontColor, c.color) << c.markup;
  EXPECT_EQ(run->FFntCnt, c.fntCnt) << c.markup;
}

INSTANTIATE_TEST_SUITE_P(Font, FontTable,
                         ::testing::Values(FontCase{"<font size=22>x", 22, clBlack, 0},
                                           FontCase{"<font size=3>x", -28, clBlack, 0},
                                           FontCase{"<font size=+2>x", -16, clBlack, 0},
                                           FontCase{"<font size=-1>x", -12, clBlack, 0},
                                           FontCase{"<font size=12px>x", 12, clBlack, 0},
                                           FontCase{"<font size='9 px'>x", 9, clBlack, 0},
                                           FontCase{"<font size=abc>x", -13, clBlack, 0},
                                           FontCase{"<font size=99999999999>x", -13, clBlack, 0},
                                           FontCase{"<font size=$10>x", 16, clBlack, 0},
                                           FontCase{"<font color=red>x", -13, clRed, 1},
                                           FontCase{"<font color=clRed>x", -13, clRed, 1},
                                           FontCase{"<font color=RED>x", -13, clRed, 1},
                                           FontCase{"<font color=#FF0000>x", -13, clRed, 1},
                                           FontCase{"<font color='#00ff00'>x", -13, clLime, 1},
                                           FontCase{"<font color=255>x", -13, clBlack, 1},
                                           FontCase{"<font color=#xyz>x", -13, clBlack, 1},
                                           FontCase{"<font color=btnface>x", -13, clBtnFace, 1},
                                           FontCase{"<font color=nosuch>x", -13, clBlack, 1},
                                           FontCase{"<font bgcolor=red>x", -13, clBlack, 1},
                                           FontCase{"<font face=Arial>x", -13, clBlack, 0}));

TEST(Parser, FontEndRestoresColourAndCount) {
  Engine e;
  THTMLData& d = e.Parse("<font color=red>a</font>b");
  ASSERT_EQ(Signatures(d), (std::vector<std::string>{"Para", "Char\"a\"", "Char\"b\""}));
  EXPECT_EQ(d.Items(1)->FontColor, clRed);
  EXPECT_EQ(d.Items(1)->FFntCnt, 1);
  EXPECT_EQ(d.Items(2)->FontColor, clBlack);
  EXPECT_EQ(d.Items(2)->FFntCnt, 0);
}

TEST(Parser, UnmatchedFontEndChangesNothing) {
  Engine e;
  THTMLData& d = e.Parse("a</font>b");
  ASSERT_EQ(Signatures(d), (std::vector<std::string>{"Para", "Char\"a\"", "Char\"b\""}));
  EXPECT_EQ(d.Items(2)->FontHeight, -13);
  EXPECT_EQ(d.Items(2)->FontColor, clBlack);
  EXPECT_EQ(d.Items(2)->FFntCnt, 0);
}

TEST(Parser, FaceAndBackgroundGoIntoTheRun) {
  Engine e;
  THTMLData& d = e.Parse("<font face=Arial name=Courier bgcolor=#0000FF>x</font>y");
  EXPECT_EQ(d.Items(1)->FFontRef, u"Courier");
  EXPECT_EQ(d.Items(1)->FontBgColor, clBlue);
  EXPECT_EQ(d.Items(2)->FFontRef, u"Verdana");
  EXPECT_EQ(d.Items(2)->FontBgColor, clNone);
}

TEST(Parser, ClosingBoldKeepsABoldDefault) {
  Engine e;
  e.Data().SetDefaultStyle({fsBold});
  THTMLData& d = e.Parse("<b>x</b>y");
  EXPECT_EQ(Signatures(d), (std::vector<std::string>{"Para", "Char\"x\" B", "Char\"y\" B"}));
  // var sets bold and italic; italic is not in the default, so closing clears both.
  THTMLData& v = e.Parse("<var>x</var>y");
  EXPECT_EQ(Signatures(v), (std::vector<std::string>{"Para", "Char\"x\" BI", "Char\"y\""}));
}

TEST(Parser, SubscriptAndSuperscriptBits) {
  Engine e;
  THTMLData& d = e.Parse("a<sub>b</sub><sup>c</sup>d");
  ASSERT_EQ(d.ItemCount(), 5);
  EXPECT_TRUE(d.Items(2)->IsSub());
  EXPECT_TRUE(d.Items(3)->IsSuper());
  EXPECT_FALSE(d.Items(4)->IsSub() || d.Items(4)->IsSuper());
}

TEST(Parser, ClosedParagraphMarkTravels) {
  Engine e;
  THTMLData& d = e.Parse("text</p><br><p>more");
  ASSERT_EQ(d.ItemCount(), 5);
  EXPECT_TRUE(d.Items(2)->FBoolState & hbsParaClosed);   // the "/p" paragraph
  EXPECT_FALSE(d.Items(3)->FBoolState & hbsParaClosed);  // cleared by "p"
  EXPECT_TRUE(d.Items(4)->FBoolState & hbsParaClosed);   // the run still carries it
}

TEST(Parser, ParagraphAlignmentAndIndent) {
  Engine e;
  THTMLData& d = e.Parse("<p align=center>a<br>b<p align=RIGHT indent=7>c<p align=bogus>d");
  auto align = [&](int i) { return static_cast<THTMLBreakItem*>(d.Items(i))->Alignment(); };
  ASSERT_EQ(Signatures(d), (std::vector<std::string>{"Para", "Char\"a\"", "Break", "Char\"b\"",
                                                     "Para", "Char\"c\"", "Para", "Char\"d\""}));
  EXPECT_EQ(align(0), 1);
  EXPECT_EQ(align(2), 1);  // a break keeps the alignment of its line
  EXPECT_EQ(align(4), 2);
  EXPECT_EQ(d.Items(4)->FIndent, 7);
  EXPECT_EQ(d.Items(5)->FIndent, 7);  // the run inherits the paragraph's indent
  EXPECT_EQ(align(6), 0);
}

TEST(Parser, ListsNumberAndIndent) {
  Engine e;
  THTMLData& d = e.Parse("<ol><li>a<li>b</ol><ul><li>c</ul>");
  std::vector<int> nums, levels;
  for (int i = 0; i < d.ItemCount(); ++i) {
    if (d.Items(i)->FItemType != hitLI) continue;
    nums.push_back(static_cast<THTMLBreakItem*>(d.Items(i))->FListItemN);
    levels.push_back(static_cast<THTMLBreakItem*>(d.Items(i))->FListLevel);
  }
  EXPECT_EQ(nums, (std::vector<int>{1, 2, -1}));
  EXPECT_EQ(levels, (std::vector<int>{1, 1, 1}));
  const int maxw = e.Metrics().tmMaxCharWidth;
  EXPECT_EQ(d.Items(1)->FIndent, maxw);               // the OL item
  EXPECT_EQ(d.Items(3)->FIndent, maxw);               // "a"
  EXPECT_EQ(d.Items(d.ItemCount() - 1)->FIndent, 0);  // the break after the list
}

TEST(Parser, ListNumberSurvivesBetweenParses) {
  Engine e;
  e.Parse("<ol><li>a");
  THTMLData& d = e.Parse("<li>b");
  ASSERT_EQ(d.Items(1)->FItemType, hitLI);
  EXPECT_EQ(static_cast<THTMLBreakItem*>(d.Items(1))->FListItemN, 2);
}

TEST(Parser, LinksGoIntoTheControlsList) {
  Engine e;
  THTMLData& d = e.Parse("<a href='x'>link</a> more<a href=y></a>");
  ASSERT_EQ(d.ControlsArray().size(), 1u);
  EXPECT_EQ(d.ControlsArray()[0], d.Items(2));
  EXPECT_TRUE(d.Items(2)->IsLink());
  EXPECT_EQ(d.Items(2)->FLinkRef, u"x");
  EXPECT_EQ(d.Items(2)->FontColor, clBlue);
  EXPECT_FALSE(d.Items(3)->IsLink());
  EXPECT_EQ(d.Items(3)->FontColor, clBlack);
}

TEST(Parser, AttributeQuotesAndUnnamedTokens) {
  Engine e;
  // Quoted spaces are kept (doubled ones collapse), an unclosed quote is unquoted too.
  THTMLData& d = e.Parse("<a href=\"a  b c\">x</a><a href='open>y</a>");
  EXPECT_EQ(d.Items(2)->FLinkRef, u"a b c");
  EXPECT_EQ(d.Items(4)->FLinkRef, u"open");
}

TEST(Parser, VariablesAskTheHandler) {
  Engine e;
  std::vector<std::u16string> asked;
  e.render.SetOnVariableNeeded(
      THTMLVariableNeededEvent([&](TObject*, const TUnicodeString& name, TUnicodeString& value) {
        asked.push_back(name);
        if (name == u"user") value = u"Ann";
      }));
  THTMLData& d = e.Parse("<~~user> and <~~ other> and <~~ name=user>");
  EXPECT_EQ(asked, (std::vector<std::u16string>{u"user", u"other", u"user"}));
  EXPECT_EQ(A(e.render.AsText()), " and  and  ");  // variables are not plain text
  EXPECT_EQ(d.Items(1)->FText, u"Ann");
  EXPECT_EQ(d.Items(3)->FText, u"~~");
}

TEST(Parser, InputItems) {
  Engine e;
  THTMLData& d = e.Parse(
      "<input type=checkbox name=Agree checked=true value=yes>"
      "<input type=radio name=g1 checked=1 width=20 height=x>"
      "<input type=RADIO name=g1><input type=radio name=g2 width=bad height=30>");
  ASSERT_EQ(d.ControlsArray().size(), 4u);
  auto in = [&](int i) { return static_cast<THTMLInputItem*>(d.ControlsArray()[size_t(i)]); };
  EXPECT_EQ(in(0)->InputType(), itCheckBox);
  EXPECT_EQ(in(0)->Name(), u"agree");
  EXPECT_TRUE(in(0)->Checked());
  EXPECT_EQ(in(0)->Value(), u"yes");
  EXPECT_EQ(in(0)->FWidth, 17);
  EXPECT_EQ(in(1)->FWidth, 20);
  EXPECT_EQ(in(1)->FHeight, 17);  // "x" ends the size reading
  EXPECT_TRUE(in(1)->Checked());
  EXPECT_EQ(in(1)->FTag, 1);
  EXPECT_EQ(in(2)->FTag, 1);
  EXPECT_EQ(in(3)->FTag, 2);
  EXPECT_EQ(in(3)->FHeight, 17);  // a bad width stops before the height
  EXPECT_EQ(d.RadioList(), (std::vector<std::u16string>{u"g1", u"g2"}));
}

TEST(Parser, BadCheckedValueEndsInAnEmptyDocument) {
  Engine e;
  THTMLData& before = e.Parse("abc");
  const TSize size = before.TextSize();
  THTMLData& d = e.Parse("x<input type=checkbox checked=maybe>y");
  EXPECT_EQ(d.ItemCount(), 0);
  EXPECT_EQ(d.TextSize(), size);  // the size of the last good parse stays
}

TEST(Parser, FailingHandlerEndsInAnEmptyDocumentAndRestoresTheCurrentOne) {
  Engine e;
  e.render.SetOnVariableNeeded(THTMLVariableNeededEvent(
      [](TObject*, const TUnicodeString&, TUnicodeString&) { throw std::runtime_error("no"); }));
  THTMLData* other = e.render.CreateData();
  THTMLData* internal = e.render.Data();
  e.render.PrepareToData(u"a<~~v>b", 0, false, other);
  EXPECT_EQ(other->ItemCount(), 0);
  EXPECT_EQ(e.render.Data(), internal);
  e.render.DestroyData(other);
}

TEST(Parser, PrepareToDataParsesIntoAnotherDocument) {
  Engine e;
  THTMLData* other = e.render.CreateData();
  other->SetDefaultHeight(-20);
  e.render.PrepareToData(u"x", 0, false, other);
  EXPECT_EQ(other->ItemCount(), 2);
  EXPECT_EQ(other->Items(1)->FontHeight, -20);
  EXPECT_EQ(e.render.Data()->ItemCount(), 0);
  e.render.DestroyData(other);
}

TEST(Parser, IntegerRule) {
  struct {
    const char16_t* text;
    bool ok;
    int32_t value;
  } cases[] = {{u"12", true, 12},
               {u"  -7", true, -7},
               {u"+3", true, 3},
               {u"$1F", true, 31},
               {u"x10", true, 16},
               {u"0X10", true, 16},
               {u"-$10", true, -16},
               {u"2147483647", true, 2147483647},
               {u"-2147483648", true, INT32_MIN},
               {u"2147483648", false, 0},
               {u"$FFFFFFFF", true, -1},
               {u"$100000000", false, 0},
               {u"", false, 0},
               {u"12 ", false, 0},
               {u"1.5", false, 0},
               {u"-", false, 0},
               {u"$", false, 0},
               {u"abc", false, 0}};
  for (const auto& c : cases) {
    int32_t v = 0;
    EXPECT_EQ(THTMLParser::ReadInteger(c.text, v), c.ok) << A(c.text);
    if (c.ok) {
      EXPECT_EQ(v, c.value) << A(c.text);
    }
  }
}

// --- word wrapping

TEST(Wrap, OffNeverBreaks) {
  Engine e;
  THTMLData& d = e.Parse("hello world again and again", 1, false);
  EXPECT_EQ(Signatures(d),
            (std::vector<std::string>{"Para", "Char\"hello world again and again\""}));
}

TEST(Wrap, WordThatDoesNotFitMovesWithItsSpaceLeftBehind) {
  Engine e;
  const int w = e.Advance("hello ") + 1;
  THTMLData& d = e.Parse("hello world", w, true);
  EXPECT_EQ(Signatures(d),
            (std::vector<std::string>{"Para", "Char\"hello \"", "SoftBreak", "Char\"world\""}));
}

TEST(Wrap, SpaceThatDoesNotFitStartsTheNewLine) {
  Engine e;
  const int w = e.Advance("hello") + 1;
  THTMLData& d = e.Parse("hello wo", w, true);
  EXPECT_EQ(Signatures(d),
            (std::vector<std::string>{"Para", "Char\"hello\"", "SoftBreak", "Char\" wo\""}));
}

TEST(Wrap, LongWordAtLineStartBreaksInside) {
  Engine e;
  const int w = e.Advance("aaa") + 1;
  THTMLData& d = e.Parse("aaaaaa", w, true);
  EXPECT_EQ(Signatures(d),
            (std::vector<std::string>{"Para", "Char\"aaa\"", "SoftBreak", "Char\"aaa\""}));
}

TEST(Wrap, WordAfterOtherTextMovesWhole) {
  Engine e;
  const int w = e.Advance("xx y") + 1;
  THTMLData& d = e.Parse("xx yy", w, true);
  EXPECT_EQ(Signatures(d),
            (std::vector<std::string>{"Para", "Char\"xx \"", "SoftBreak", "Char\"yy\""}));
  // A word right after a styled run moves as a whole too.
  const int w2 = e.Advance("x", {fsBold}) + 1 + e.Advance("yy") + 1;
  THTMLData& d2 = e.Parse("<b>x</b>yyy", w2, true);
  EXPECT_EQ(Signatures(d2),
            (std::vector<std::string>{"Para", "Char\"x\" B", "SoftBreak", "Char\"yyy\""}));
}

TEST(Wrap, SoftBreakCarriesAlignmentAndStyle) {
  Engine e;
  const int w = e.Advance("one ", {fsBold}) + 1;
  THTMLData& d = e.Parse("<p align=center><b>one two", w, true);
  ASSERT_EQ(Signatures(d),
            (std::vector<std::string>{"Para", "Char\"one \" B", "SoftBreak", "Char\"two\" B"}));
  EXPECT_EQ(static_cast<THTMLBreakItem*>(d.Items(2))->Alignment(), 1);
  EXPECT_TRUE(d.Items(2)->FontStyle.Contains(fsBold));
}

TEST(Wrap, EntityCharacterMovesToTheNewLine) {
  Engine e;
  const int w = e.Advance("a b") + 1;
  THTMLData& d = e.Parse("a b&auml;", w, true);
  // The character that did not fit moves to the next line with its word; nothing is lost
  // and the entity's ";" does not turn up as text.
  EXPECT_EQ(A(e.render.AsText()), "a b\xC3\xA4");
  EXPECT_EQ(Signatures(d),
            (std::vector<std::string>{"Para", "Char\"a \"", "SoftBreak", "Char\"b\xC3\xA4\""}));
}

TEST(Wrap, EveryLineFitsTheWidth) {
  Engine e;
  const std::string text =
      "The quick brown fox jumps over the lazy dog, and then it runs far away into the "
      "forest where nobody can see it any more.";
  for (int width : {60, 100, 150, 411}) {
    THTMLData& d = e.Parse(text, width, true);
    EXPECT_EQ(A(e.render.AsText()), text) << width;
    for (int i = 0; i < d.ItemCount(); ++i) {
      if (!d.Items(i)->IsBreakItem()) continue;
      // A line holds more than its width only when it is a single word piece.
      EXPECT_LE(d.Items(i)->FWidth, width) << width << " line at " << i;
    }
  }
}

}  // namespace
