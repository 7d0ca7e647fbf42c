// The fill's persistence: ini sections with hex pictures, and the clipboard copy.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "framework/IniFiles.h"
#include "marquee/BackgroundFill.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/User.h"

namespace {

std::string TempPath(const char* name) {
  return ::testing::TempDir() + "/" + name;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// A fill with every saved property away from its initial value.
void Customise(TBackgroundFill& f) {
  f.SetColor(TColor(0x102030));
  f.SetColorTo(TColor(0x405060));
  f.SetColorMirror(TColor(0x708090));
  f.SetColorMirrorTo(clBtnFace);
  f.SetGradientType(gtForwardDiagonal);
  f.SetGradientMirrorType(gtHatch);
  f.SetHatchStyle(HatchStyleWeave);
  f.SetHatchStyleMirror(HatchStyleSphere);
  f.SetBackGroundPictureMode(pmInsideFill);
  f.SetBackGroundPicturePosition(ppTiled);
  f.SetBackGroundPictureLeft(-3);
  f.SetBackGroundPictureTop(4);
  f.SetPicturePosition(ppCenterRight);
  f.SetPictureLeft(5);
  f.SetPictureTop(-6);
  f.SetPictureWidth(70);
  f.SetPictureHeight(80);
  f.SetOpacity(1);
  f.SetOpacityTo(2);
  f.SetOpacityMirror(3);
  f.SetOpacityMirrorTo(4);
  f.SetBorderColor(clRed);
  f.SetBorderOpacity(5);
  f.SetBorderWidth(3);
  f.SetRounding(9);
  f.SetRoundingType(rtLeft);
  f.SetShadowOffset(7);
  f.SetShadowColor(clBlue);
  f.SetAngle(33);
  f.SetGlow(gmRadial);
  f.SetGlowGradientColor(clYellow);
  f.SetGlowRadialColor(clAqua);
  f.Picture()->LoadFromStream(std::string("\x0A\xFF\x10", 3));
  f.BackGroundPicture()->LoadFromStream("BG");
}

void ExpectSavedPropertiesEqual(const TBackgroundFill& a, const TBackgroundFill& b) {
  EXPECT_EQ(a.Color(), b.Color());
  EXPECT_EQ(a.ColorTo(), b.ColorTo());
  EXPECT_EQ(a.ColorMirror(), b.ColorMirror());
  EXPECT_EQ(a.ColorMirrorTo(), b.ColorMirrorTo());
  EXPECT_EQ(a.GradientType(), b.GradientType());
  EXPECT_EQ(a.GradientMirrorType(), b.GradientMirrorType());
  EXPECT_EQ(a.HatchStyle(), b.HatchStyle());
  EXPECT_EQ(a.HatchStyleMirror(), b.HatchStyleMirror());
  EXPECT_EQ(a.BackGroundPictureMode(), b.BackGroundPictureMode());
  EXPECT_EQ(a.BackGroundPicturePosition(), b.BackGroundPicturePosition());
  EXPECT_EQ(a.BackGroundPictureLeft(), b.BackGroundPictureLeft());
  EXPECT_EQ(a.BackGroundPictureTop(), b.BackGroundPictureTop());
  EXPECT_EQ(a.PicturePosition(), b.PicturePosition());
  EXPECT_EQ(a.PictureLeft(), b.PictureLeft());
  EXPECT_EQ(a.PictureTop(), b.PictureTop());
  EXPECT_EQ(a.PictureWidth(), b.PictureWidth());
  EXPECT_EQ(a.PictureHeight(), b.PictureHeight());
  EXPECT_EQ(a.Opacity(), b.Opacity());
  EXPECT_EQ(a.OpacityTo(), b.OpacityTo());
  EXPECT_EQ(a.OpacityMirror(), b.OpacityMirror());
  EXPECT_EQ(a.OpacityMirrorTo(), b.OpacityMirrorTo());
  EXPECT_EQ(a.BorderColor(), b.BorderColor());
  EXPECT_EQ(a.BorderOpacity(), b.BorderOpacity());
  EXPECT_EQ(a.BorderWidth(), b.BorderWidth());
  EXPECT_EQ(a.Rounding(), b.Rounding());
  EXPECT_EQ(a.RoundingType(), b.RoundingType());
  EXPECT_EQ(a.ShadowOffset(), b.ShadowOffset());
  EXPECT_EQ(a.ShadowColor(), b.ShadowColor());
  EXPECT_EQ(a.Angle(), b.Angle());
  EXPECT_EQ(a.Glow(), b.Glow());
  EXPECT_EQ(a.GlowGradientColor(), b.GlowGradientColor());
  EXPECT_EQ(a.GlowRadialColor(), b.GlowRadialColor());
  EXPECT_EQ(a.Picture()->Data(), b.Picture()->Data());
  EXPECT_EQ(a.BackGroundPicture()->Data(), b.BackGroundPicture()->Data());
}

TEST(FillIniFile, WritesTheKeysInOrderWithTheHexPicture) {
  const std::string path = TempPath("fill_order.ini");
  std::remove(path.c_str());
  TBackgroundFill f;
  f.Picture()->LoadFromStream(std::string("\x0A\xFF\x10", 3));
  f.SaveToFile(path, "Fill");
  const std::string text = ReadFile(path);
  const char* keys[] = {"Color=",
                        "ColorTo=",
                        "ColorMirror=536870911",
                        "ColorMirrorTo=",
                        "GradientType=2",
                        "GradientMirrorType=0",
                        "HatchStyle=",
                        "HatchStyleMirror=",
                        "BackGroundPictureMode=1",
                        "BackGroundPicturePosition=",
                        "BackGroundPictureLeft=",
                        "BackGroundPictureTop=",
                        "PicturePosition=",
                        "PictureLeft=",
                        "PictureTop=",
                        "PictureSize=6",  // the first write is replaced in place
                        "PictureWidth=50",
                        "PictureHeight=50",
                        "Opacity=255",
                        "OpacityTo=",
                        "OpacityMirror=",
                        "OpacityMirrorTo=",
                        "BorderColor=",
                        "BorderOpacity=",
                        "BorderWidth=1",
                        "Rounding=0",
                        "RoundingType=3",
                        "ShadowOffset=",
                        "ShadowColor=8421504",
                        "Angle=",
                        "Glow=",
                        "GlowGradientColor=16777215",
                        "GlowRadialColor=",
                        "Picture=0AFF10",
                        "BackgroundPicture=\n",
                        "BackgroundPictureSize=0"};
  size_t at = text.find("[Fill]");
  ASSERT_NE(at, std::string::npos) << text;
  for (const char* key : keys) {
    size_t next = text.find(std::string("\n") + key, at);
    ASSERT_NE(next, std::string::npos) << key << " after " << at << " in\n" << text;
    at = next + 1;
  }
  EXPECT_EQ(text.find("ShadowType"), std::string::npos);
  EXPECT_EQ(text.find("Focus"), std::string::npos);
}

TEST(FillIniFile, RoundTripRestoresEverySavedProperty) {
  const std::string path = TempPath("fill_roundtrip.ini");
  std::remove(path.c_str());
  TBackgroundFill a, b;
  Customise(a);
  a.SetPictureSize(psCustom);
  a.SaveToFile(path, "Saved");
  int changes = 0;
  b.SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
  EXPECT_TRUE(b.LoadFromFile(path, "saved"));  // sections are case-insensitive
  EXPECT_EQ(changes, 1);
  ExpectSavedPropertiesEqual(a, b);
  // The section does not hold the picture size mode: it keeps its value.
  EXPECT_EQ(b.PictureSize(), psOriginal);
}

TEST(FillIniFile, LowerCaseHexGivesTheSameBytes) {
  const std::string path = TempPath("fill_lower.ini");
  WriteFile(path, "[F]\nPictureSize=6\nPicture=0aff10\n");
  TBackgroundFill f;
  EXPECT_TRUE(f.LoadFromFile(path, "F"));
  EXPECT_EQ(f.Picture()->Data(), std::string("\x0A\xFF\x10", 3));
}

TEST(FillIniFile, AnOddLastDigitIsIgnoredAndTheLengthBoundsTheText) {
  const std::string path = TempPath("fill_odd.ini");
  WriteFile(path, "[F]\nPictureSize=5\nPicture=0AFF10\n");
  TBackgroundFill f;
  EXPECT_TRUE(f.LoadFromFile(path, "F"));
  EXPECT_EQ(f.Picture()->Data(), std::string("\x0A\xFF", 2));
}

TEST(FillIniFile, ANonHexCharacterStopsTheLoadKeepingTheKeysRead) {
  const std::string path = TempPath("fill_nohex.ini");
  WriteFile(path,
            "[F]\nColor=255\nRounding=4\nPictureSize=4\nPicture=0AZZ\n"
            "BackgroundPictureSize=2\nBackgroundPicture=41\n");
  TBackgroundFill f;
  f.Picture()->LoadFromStream("old");
  int changes = 0;
  f.SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
  EXPECT_FALSE(f.LoadFromFile(path, "F"));
  EXPECT_EQ(f.Color(), TColor(255));
  EXPECT_EQ(f.Rounding(), 4);
  EXPECT_EQ(f.Picture()->Data(), "old");
  EXPECT_TRUE(f.BackGroundPicture()->Empty());  // never reached
  EXPECT_EQ(changes, 1);                        // the values that did change are shown
}

TEST(FillIniFile, MissingKeysKeepTheirValuesAndBytesKeepTheLowByte) {
  const std::string path = TempPath("fill_missing.ini");
  WriteFile(path, "[F]\nAngle=12\nRoundingType=259\nOpacity=-1\n");
  TBackgroundFill f;
  f.SetColor(clRed);
  f.Picture()->LoadFromStream("keep");
  EXPECT_TRUE(f.LoadFromFile(path, "F"));
  EXPECT_EQ(f.Color(), clRed);
  EXPECT_EQ(f.Angle(), 12);
  EXPECT_EQ(f.RoundingType(), TFillRoundingType(3));
  EXPECT_EQ(f.Opacity(), 255);
  EXPECT_EQ(f.Picture()->Data(), "keep");
  TBackgroundFill g;
  EXPECT_TRUE(g.LoadFromFile(TempPath("does_not_exist.ini"), "F"));
  EXPECT_EQ(g.Color(), clSilver);
}

TEST(FillIniFile, EmptyPicturesSaveAsEmptyTextAndLoadEmpty) {
  const std::string path = TempPath("fill_empty.ini");
  std::remove(path.c_str());
  TBackgroundFill a;
  a.SaveToFile(path, "E");
  const std::string text = ReadFile(path);
  EXPECT_NE(text.find("\nPicture=\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nPictureSize=0\n"), std::string::npos);
  EXPECT_NE(text.find("\nBackgroundPictureSize=0"), std::string::npos);
  TBackgroundFill b;
  b.Picture()->LoadFromStream("stale");
  EXPECT_TRUE(b.LoadFromFile(path, "E"));
  EXPECT_TRUE(b.Picture()->Empty());
  EXPECT_TRUE(b.BackGroundPicture()->Empty());
}

TEST(FillIniFile, WorksOnAnOpenIniObjectAndKeepsOtherLines) {
  const std::string path = TempPath("fill_object.ini");
  WriteFile(path, "; settings\n[Other]\nA=1\n");
  TMemIniFile ini(kx::Utf8ToUtf16(path));
  TBackgroundFill a;
  Customise(a);
  a.SaveToFile(&ini, "Fill");
  ASSERT_TRUE(ini.UpdateFile());
  const std::string text = ReadFile(path);
  EXPECT_EQ(text.rfind("; settings\n[Other]\nA=1\n", 0), 0u) << text;
  TBackgroundFill b;
  EXPECT_TRUE(b.LoadFromFile(&ini, "Fill"));
  ExpectSavedPropertiesEqual(a, b);
}

TEST(FillClipboard, CopiesAFillUnderItsOwnFormat) {
  UINT format = FillClipboardFormat();
  ASSERT_NE(format, 0u);
  EXPECT_EQ(format, RegisterClipboardFormatW(u"GDI+ Fill"));
  TBackgroundFill a;
  Customise(a);
  ASSERT_TRUE(a.SaveToClipBoard());
  EXPECT_TRUE(IsClipboardFormatAvailable(format));
  auto bytes = kx::GetClipboardBytes(format);
  ASSERT_TRUE(bytes);
  EXPECT_NE(bytes->find("SaveObject.Color"), std::string::npos) << *bytes;
  TBackgroundFill b;
  int changes = 0;
  b.SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
  EXPECT_TRUE(b.LoadFromClipBoard());
  EXPECT_EQ(changes, 1);
  ExpectSavedPropertiesEqual(a, b);
}

TEST(FillClipboard, NoCopyOrABrokenCopyChangesNothing) {
  EmptyClipboard();
  TBackgroundFill f;
  f.SetColor(clRed);
  EXPECT_FALSE(f.LoadFromClipBoard());
  EXPECT_EQ(f.Color(), clRed);
  ASSERT_TRUE(kx::SetClipboardBytes(FillClipboardFormat(), "object X: TNothing\n  Color = \n"));
  EXPECT_FALSE(f.LoadFromClipBoard());
  EXPECT_EQ(f.Color(), clRed);
  ASSERT_TRUE(kx::SetClipboardBytes(FillClipboardFormat(), std::string("\0\xFF\x01garbage", 10)));
  EXPECT_FALSE(f.LoadFromClipBoard());
  EXPECT_EQ(f.Color(), clRed);
}

}  // namespace
