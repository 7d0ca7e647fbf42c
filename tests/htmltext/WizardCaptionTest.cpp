// Every caption the wizard shows through the engine, German and English, at its label's
// width with its label's font. Each parse is also compared with a golden dump.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "HTMLTestUtil.h"

using namespace htmltest;

namespace {

struct Caption {
  const char* name;
  const char* markup;  // UTF-8
  int width;
  int height;
  TColor color;
  std::vector<std::string> head;  // the items the caption starts with
  const char* text;               // AsText
};

constexpr TColor kHeadline = TColor(0x00ADF2FC);

const Caption kCaptions[] = {
    {"de_headline",
     "Kostenlose Registrierung f\xC3\xBCr die <br><b>Vollversion von <font "
     "size=22>Parvel</b></font>",
     411,
     -15,
     kHeadline,
     {"Para", "Char\"Kostenlose Registrierung f\xC3\xBCr die \"", "Break",
      "Char\"Vollversion von \" B", "Char\"Parvel\" B"},
     "Kostenlose Registrierung f\xC3\xBCr die \r\nVollversion von Parvel"},
    {"en_headline",
     "Free registration for <br><b><font size=22>Parvel</font> (full version)</b>",
     411,
     -15,
     kHeadline,
     {"Para", "Char\"Free registration for \"", "Break", "Char\"Parvel\" B",
      "Char\" (full version)\" B"},
     "Free registration for \r\nParvel (full version)"},
    {"de_step1",
     "<B><U>Schritt 1:</U></B><br><br>Klicken Sie den folgenden Link und registrieren Sie sich:",
     411,
     -13,
     clWindowText,
     {"Para", "Char\"Schritt 1:\" BU", "Break", "Break"},
     "Schritt 1:\r\n\r\nKlicken Sie den folgenden Link und registrieren Sie sich:"},
    {"en_step1",
     "<B><U>Step 1:</U></B><br><br>Click the following link and register:",
     411,
     -13,
     clWindowText,
     {"Para", "Char\"Step 1:\" BU", "Break", "Break"},
     "Step 1:\r\n\r\nClick the following link and register:"},
    {"de_step2",
     "<B><U>Schritt 2:</U></B><br><br>Geben Sie die Kundennummer ein, die Sie nach der "
     "Registrierung per E-Mail erhalten haben:",
     411,
     -13,
     clWindowText,
     {"Para", "Char\"Schritt 2:\" BU", "Break", "Break"},
     "Schritt 2:\r\n\r\nGeben Sie die Kundennummer ein, die Sie nach der Registrierung per "
     "E-Mail erhalten haben:"},
    {"en_step2",
     "<B><U>Step 2:</U></B><br><br>Enter your customer ID received by e-mail once your "
     "registration succeeded:",
     411,
     -13,
     clWindowText,
     {"Para", "Char\"Step 2:\" BU", "Break", "Break"},
     "Step 2:\r\n\r\nEnter your customer ID received by e-mail once your registration "
     "succeeded:"},
    {"de_step3",
     "<B><U>Schritt 3:</U></B><br><br>Laden Sie die Vollversion herunter und installieren Sie "
     "diese auf Ihrem Computer:",
     411,
     -13,
     clWindowText,
     {"Para", "Char\"Schritt 3:\" BU", "Break", "Break"},
     "Schritt 3:\r\n\r\nLaden Sie die Vollversion herunter und installieren Sie diese auf Ihrem "
     "Computer:"},
    {"en_step3",
     "<B><U>Step 3:</U></B><br><br>Download and install full version on your computer:",
     411,
     -13,
     clWindowText,
     {"Para", "Char\"Step 3:\" BU", "Break", "Break"},
     "Step 3:\r\n\r\nDownload and install full version on your computer:"},
    {"de_note",
     "Bitte achten Sie auf die <B>korrekte Eingabe</B> Ihrer Daten, da eine Registrierung sonst "
     "nicht m\xC3\xB6glich ist!",
     413,
     -13,
     clWindowText,
     {"Para", "Char\"Bitte achten Sie auf die \"", "Char\"korrekte Eingabe\" B"},
     "Bitte achten Sie auf die korrekte Eingabe Ihrer Daten, da eine Registrierung sonst nicht "
     "m\xC3\xB6glich ist!"},
    {"en_note",
     "Please pay attention to the <B>correct input of your data</B>, otherwise registration will "
     "fail!",
     413,
     -13,
     clWindowText,
     {"Para", "Char\"Please pay attention to the \""},
     "Please pay attention to the correct input of your data, otherwise registration will fail!"},
};

class WizardCaption : public ::testing::TestWithParam<Caption> {};

TEST_P(WizardCaption, ParsesIntoItsItems) {
  const Caption& c = GetParam();
  Engine e(u"Verdana", c.height);
  e.Data().SetDefaultColor(c.color);
  THTMLData& d = e.Parse(c.markup, c.width, true);
  const std::vector<std::string> sig = Signatures(d);
  ASSERT_GE(sig.size(), c.head.size());
  EXPECT_EQ(std::vector<std::string>(sig.begin(), sig.begin() + long(c.head.size())), c.head);
  EXPECT_EQ(A(e.render.AsText()), c.text);
  // After the head only runs and soft breaks; every line fits the label.
  for (size_t i = c.head.size(); i < sig.size(); ++i) {
    const THTMLItemType t = d.Items(int(i))->FItemType;
    EXPECT_TRUE(t == hitChar || t == hitSoftBreak) << i << " " << sig[i];
  }
  int lines = 0;
  for (int i = 0; i < d.ItemCount(); ++i) {
    const THTMLItem* item = d.Items(i);
    if (item->FItemType == hitChar) {
      EXPECT_EQ(item->FontColor, c.color);
    }
    if (!item->IsBreakItem()) continue;
    ++lines;
    EXPECT_LE(item->FWidth, c.width) << "line " << lines;
    EXPECT_GT(item->FHeight, 0) << "line " << lines;
  }
  EXPECT_LE(d.TextSize().cx, c.width);
  EXPECT_GT(d.TextSize().cy, 0);

  // Golden dump: tests/htmltext/golden/<name>.txt (KX_UPDATE_GOLDEN=1 rewrites it).
  const std::string dump = kx::HTMLDump(d);
  const std::string path = std::string(KX_HTMLTEXT_TEST_DIR) + "/golden/" + c.name + ".txt";
  const char* update = std::getenv("KX_UPDATE_GOLDEN");
  if (update && *update == '1') {
    std::ofstream(path, std::ios::binary) << dump;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "no golden dump " << path << "; run with KX_UPDATE_GOLDEN=1";
  std::stringstream golden;
  golden << in.rdbuf();
  EXPECT_EQ(dump, golden.str()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Captions, WizardCaption, ::testing::ValuesIn(kCaptions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WizardCaptionLayout, StepCaptionLinesFollowEachOther) {
  Engine e;
  THTMLData& d = e.Parse(kCaptions[3].markup, 411, true);
  // Line 1 takes the bold run's height, line 2 is an empty line of the break's own height,
  // line 3 starts at the sum of the two.
  const int h1 = d.Items(0)->FHeight, h2 = d.Items(2)->FHeight, h3 = d.Items(3)->FHeight;
  EXPECT_EQ(h1, e.Metrics({fsBold, fsUnderline}).tmHeight);
  EXPECT_EQ(h2, e.Metrics().tmHeight);
  EXPECT_EQ(h3, e.Metrics().tmHeight);
  EXPECT_EQ(d.Items(3)->FWidth, d.Items(4)->FWidth);  // the break itself adds nothing
  int total = 0;
  for (int i = 0; i < d.ItemCount(); ++i)
    if (d.Items(i)->IsBreakItem()) total += d.Items(i)->FHeight;
  EXPECT_EQ(d.TextSize().cy, total);
}

TEST(WizardCaptionLayout, HeadlineSecondLineIsTheTallFont) {
  Engine e(u"Verdana", -15);
  THTMLData& d = e.Parse(kCaptions[1].markup, 411, true);
  EXPECT_EQ(d.Items(3)->FontHeight, 22);
  EXPECT_EQ(d.Items(4)->FontHeight, -15);
  EXPECT_EQ(d.Items(2)->FHeight, 22);  // the line of "Parvel (full version)"
}

}  // namespace
