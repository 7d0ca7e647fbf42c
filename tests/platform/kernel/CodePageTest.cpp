#include <gtest/gtest.h>

#include "platform/kernel/Kernel.h"

namespace {
struct ForceCodePage {
  explicit ForceCodePage(const char* cs) { kx::SetAnsiCodePageForTesting(cs); }
  ~ForceCodePage() { kx::SetAnsiCodePageForTesting(""); }
};
}  // namespace

TEST(AnsiCodePage, Utf8RoundTrip) {
  ForceCodePage cp("UTF-8");
  std::u16string text = u"Gr\u00FC\u00DFe \u20AC \U0001F600";
  EXPECT_EQ(kx::UnicodeToAnsi(text),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(kx::AnsiToUnicode(kx::UnicodeToAnsi(text)), text);
}

TEST(AnsiCodePage, Utf8LoneSurrogateBecomesQuestionMark) {
  ForceCodePage cp("UTF-8");
  EXPECT_EQ(kx::UnicodeToAnsi(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a?b");
}

TEST(AnsiCodePage, UnrepresentableCharactersBecomeQuestionMarks) {
  ForceCodePage cp("ISO-8859-1");
  ASSERT_EQ(kx::AnsiCodePage(), "ISO-8859-1");
  EXPECT_EQ(kx::UnicodeToAnsi(u"/tmp/M\u00FCller"), "/tmp/M\xFCller");
  EXPECT_EQ(kx::UnicodeToAnsi(u"\u20AC1 \u4E2D\U0001F600!"), "?1 ?" "?!");
  EXPECT_EQ(kx::AnsiToUnicode("M\xFCller"), u"M\u00FCller");
}

TEST(AnsiCodePage, MalformedAnsiBecomesReplacementCharacter) {
  ForceCodePage cp("UTF-8");
  EXPECT_EQ(kx::AnsiToUnicode("a\xFF"
                              "b"),
            u"a\uFFFDb");
}

TEST(AnsiCodePage, UnknownCharsetFallsBackToUtf8) {
  ForceCodePage cp("NO-SUCH-CHARSET-42");
  EXPECT_EQ(kx::AnsiCodePage(), "UTF-8");
}
