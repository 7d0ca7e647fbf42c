#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/IniFiles.h"
#include "platform/kernel/Unicode.h"

namespace fs = std::filesystem;

namespace {

class IniFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = fs::temp_directory_path() /
            ("kx-ini-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini");
  }
  void TearDown() override { fs::remove(path_); }
  void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  TUnicodeString Name() const { return kx::Utf8ToUtf16(path_.string()); }
  fs::path path_;
};

const char* const kSample =
    "; settings of the fill\n"
    "top=level\n"
    "[Fill]\n"
    "  Color = 255 \n"
    "Name=\"quoted value\"\n"
    "; a comment inside\n"
    "Color=ignored duplicate\n"
    "\n"
    "[Other]\n"
    "Flag=1\n"
    "[fill]\n"
    "Late=never seen\n";

}  // namespace

TEST_F(IniFiles, ReadsWithProfileSemantics) {
  TMemIniFile ini(u"");
  ini.SetText(kSample);
  struct Case {
    const char16_t* section;
    const char16_t* key;
    const char16_t* value;
  } cases[] = {
      {u"Fill", u"Color", u"255"},          // trimmed
      {u"FILL", u"color", u"255"},          // case-insensitive, first occurrence
      {u"Fill", u"Name", u"quoted value"},  // quotes removed
      {u"Fill", u"Late", u"<default>"},     // a second [fill] section does not count
      {u"Other", u"Flag", u"1"},
      {u"Fill", u"; a comment inside", u"<default>"},
      {u"Missing", u"Color", u"<default>"},
      {u"", u"top", u"<default>"},  // lines before the first section belong to none
  };
  for (const Case& c : cases)
    EXPECT_EQ(ini.ReadString(c.section, c.key, u"<default>"), c.value)
        << kx::Utf16ToUtf8(c.section) << "/" << kx::Utf16ToUtf8(c.key);
  EXPECT_TRUE(ini.SectionExists(u"other"));
  EXPECT_FALSE(ini.SectionExists(u"Nope"));
  EXPECT_TRUE(ini.ValueExists(u"fill", u"NAME"));
  EXPECT_EQ(ini.ReadSection(u"Fill"), (std::vector<TUnicodeString>{u"Color", u"Name"}));
  EXPECT_EQ(ini.ReadSections(), (std::vector<TUnicodeString>{u"Fill", u"Other"}));
}

TEST_F(IniFiles, UpdatesInPlaceAndKeepsOtherLines) {
  TMemIniFile ini(u"");
  ini.SetText(kSample);
  EXPECT_TRUE(ini.WriteString(u"fill", u"COLOR", u"128"));
  EXPECT_TRUE(ini.WriteString(u"Fill", u"New", u"x"));
  EXPECT_TRUE(ini.WriteInteger(u"Added", u"N", -5));
  EXPECT_EQ(ini.Text(),
            "; settings of the fill\n"
            "top=level\n"
            "[Fill]\n"
            "Color=128\n"
            "Name=\"quoted value\"\n"
            "; a comment inside\n"
            "Color=ignored duplicate\n"
            "New=x\n"
            "\n"
            "[Other]\n"
            "Flag=1\n"
            "[fill]\n"
            "Late=never seen\n"
            "\n"
            "[Added]\n"
            "N=-5\n");
}

TEST_F(IniFiles, UntouchedLinesKeepTheirBytes) {
  TMemIniFile ini(u"");
  ini.SetText("[A]\r\nx=1\ny=2\r\r\nlast");
  EXPECT_TRUE(ini.WriteString(u"A", u"x", u"9"));
  EXPECT_TRUE(ini.WriteString(u"B", u"z", u"3"));
  EXPECT_EQ(ini.Text(), "[A]\r\nx=9\ny=2\r\r\nlast\r\n\r\n[B]\r\nz=3\r\n");
}

TEST_F(IniFiles, EraseSectionAndDeleteKey) {
  TMemIniFile ini(u"");
  ini.SetText("[A]\nx=1\n; note\n[B]\ny=2\nz=3\n");
  EXPECT_TRUE(ini.EraseSection(u"a"));
  EXPECT_TRUE(ini.DeleteKey(u"B", u"Y"));
  EXPECT_FALSE(ini.DeleteKey(u"B", u"nope"));
  EXPECT_EQ(ini.Text(), "[B]\nz=3\n");
}

TEST_F(IniFiles, WritesThatWouldBreakTheFileAreRefused) {
  TMemIniFile ini(u"");
  ini.SetText("[A]\nx=1\n");
  EXPECT_FALSE(ini.WriteString(u"A", u"k", u"line\nbreak"));
  EXPECT_FALSE(ini.WriteString(u"A", u"k=v", u"1"));
  EXPECT_FALSE(ini.WriteString(u"A", u"", u"1"));
  EXPECT_FALSE(ini.WriteString(u"A", u"[B]", u"1"));
  EXPECT_FALSE(ini.WriteString(u"A]", u"k", u"1"));
  EXPECT_FALSE(ini.WriteString(u"A\r\n[B", u"k", u"1"));
  EXPECT_EQ(ini.Text(), "[A]\nx=1\n");
}

TEST_F(IniFiles, TypedValues) {
  TMemIniFile ini(u"");
  ini.SetText(
      "[N]\ndec=42\nneg=-7\nhex=$1F\nchex=0x10\nbad=12abc\nbig=99999999999\nt=1\nf=0\nfl=2.5\n");
  struct Case {
    const char16_t* key;
    int value;
  } cases[] = {{u"dec", 42}, {u"neg", -7}, {u"hex", 31},    {u"chex", 16},
               {u"bad", -1}, {u"big", -1}, {u"missing", -1}};
  for (const Case& c : cases)
    EXPECT_EQ(ini.ReadInteger(u"N", c.key, -1), c.value);
  EXPECT_TRUE(ini.ReadBool(u"N", u"t", false));
  EXPECT_FALSE(ini.ReadBool(u"N", u"f", true));
  EXPECT_TRUE(ini.ReadBool(u"N", u"missing", true));
  EXPECT_EQ(ini.ReadFloat(u"N", u"fl", 0), 2.5);
  EXPECT_EQ(ini.ReadFloat(u"N", u"bad", 1.5), 1.5);
  ini.WriteFloat(u"N", u"w", 0.1);
  EXPECT_EQ(ini.ReadFloat(u"N", u"w", 0), 0.1);
}

TEST_F(IniFiles, MemIniFileWritesOnUpdateAndKeepsLineEndings) {
  Write("\xEF\xBB\xBF[A]\r\nx=1\r\n");
  TMemIniFile ini(Name());
  EXPECT_EQ(ini.ReadString(u"A", u"x", u""), u"1");
  ini.WriteString(u"A", u"y", u"\u00E4");
  EXPECT_EQ(Read(), "\xEF\xBB\xBF[A]\r\nx=1\r\n");  // nothing written yet
  EXPECT_TRUE(ini.Modified());
  EXPECT_TRUE(ini.UpdateFile());
  EXPECT_EQ(Read(), "\xEF\xBB\xBF[A]\r\nx=1\r\ny=\xC3\xA4\r\n");
}

TEST_F(IniFiles, IniFileWorksOnTheFileItself) {
  TIniFile ini(Name());
  EXPECT_EQ(ini.ReadString(u"A", u"x", u"none"), u"none");
  EXPECT_TRUE(ini.WriteString(u"A", u"x", u"1"));
  EXPECT_EQ(Read(), "[A]\nx=1\n");
  Write("[A]\nx=changed elsewhere\n");
  EXPECT_EQ(ini.ReadString(u"A", u"x", u""), u"changed elsewhere");
  EXPECT_TRUE(ini.EraseSection(u"A"));
  EXPECT_EQ(Read(), "");
}

TEST_F(IniFiles, UnwritableFileReportsFailure) {
  TMemIniFile ini(u"/nonexistent-dir/kx.ini");
  ini.WriteString(u"A", u"x", u"1");
  EXPECT_FALSE(ini.UpdateFile());
  TIniFile direct(u"/nonexistent-dir/kx.ini");
  EXPECT_FALSE(direct.WriteString(u"A", u"x", u"1"));
}
