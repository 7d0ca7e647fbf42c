// The gallery: every layout description in gallery/ is rendered through formshot's code and
// written to $KX_TEST_ARTIFACTS as gallery_<name>.png, to look at. A <name>.args file next
// to a description holds formshot script arguments, one per line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "FormShot.h"
#include "platform/display/Headless.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> ReadArgs(const fs::path& p) {
  std::vector<std::string> args;
  std::ifstream in(p);
  std::string line;
  while (std::getline(in, line))
    if (!line.empty()) args.push_back(line);
  return args;
}

TEST(GalleryTest, EveryDescriptionRenders) {
  const fs::path dir = KX_GALLERY_DIR;
  int rendered = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".txt") continue;
    const std::string name = entry.path().stem().string();
    std::vector<kx::formshot::Step> steps;
    std::string error;
    fs::path argsPath = entry.path();
    argsPath.replace_extension(".args");
    if (fs::exists(argsPath)) {
      ASSERT_TRUE(kx::formshot::ParseScript(ReadArgs(argsPath), &steps, &error)) << error;
    }
    kx::Image image;
    ASSERT_TRUE(kx::formshot::Render(ReadFile(entry.path()), steps, &image, &error))
        << name << ": " << error;
    EXPECT_GT(image.width, 0) << name;
    if (const char* out = std::getenv("KX_TEST_ARTIFACTS"))
      kx::SavePng(image, std::string(out) + "/gallery_" + name + ".png");
    ++rendered;
  }
  EXPECT_GE(rendered, 4);
}

#ifdef KX_WIZARD_LAYOUT
TEST(GalleryTest, TheWizardWindowRendersWithTheFocusInTheField) {
  std::vector<kx::formshot::Step> steps;
  std::string error;
  ASSERT_TRUE(kx::formshot::ParseScript({"--type", "4711", "--key", "Tab"}, &steps, &error));
  kx::Image image;
  ASSERT_TRUE(kx::formshot::Render(ReadFile(KX_WIZARD_LAYOUT), steps, &image, &error)) << error;
  EXPECT_EQ(image.width, 445);
  EXPECT_EQ(image.height, 592);
  EXPECT_EQ(image.ColorAt(200, 30), RGB(0, 123, 206)) << "the header band";
  EXPECT_EQ(image.ColorAt(5, 200), RGB(255, 255, 255));
  EXPECT_EQ(image.ColorAt(5, 580), RGB(254, 249, 211)) << "the bottom note";
  if (const char* out = std::getenv("KX_TEST_ARTIFACTS"))
    kx::SavePng(image, std::string(out) + "/gallery_wizard.png");
}
#endif

TEST(GalleryTest, BadLayoutsAndArgumentsAreRefusedWithAMessage) {
  struct Case {
    const char* layout;
    const char* expect;
  };
  const Case cases[] = {
      {"", "line 1"},
      {"garbage\n", "line 1"},
      {"object F: TForm\n  NoSuchProperty = 1\nend\n", "line 2"},
      {"object F: TForm\n  object X: TNoSuchClass\n  end\nend\n", "line 2"},
      {"object F: TForm\n  ClientWidth = 'text'\nend\n", "line 2"},
  };
  for (const Case& c : cases) {
    kx::Image image;
    std::string error;
    EXPECT_FALSE(kx::formshot::Render(c.layout, {}, &image, &error)) << c.layout;
    EXPECT_NE(error.find(c.expect), std::string::npos) << c.layout << " -> " << error;
  }

  kx::formshot::Options o;
  std::string error;
  EXPECT_FALSE(kx::formshot::ParseArguments({"only-one"}, &o, &error));
  EXPECT_FALSE(kx::formshot::ParseArguments({"a.txt", "b.png", "--ticks"}, &o, &error));
  EXPECT_FALSE(kx::formshot::ParseArguments({"a.txt", "b.png", "--ticks", "x"}, &o, &error));
  EXPECT_FALSE(kx::formshot::ParseArguments({"a.txt", "b.png", "--key", "NoKey"}, &o, &error));
  EXPECT_FALSE(kx::formshot::ParseArguments({"a.txt", "b.png", "--click", "3"}, &o, &error));
  EXPECT_FALSE(kx::formshot::ParseArguments({"a.txt", "b.png", "--bogus", "1"}, &o, &error));
  ASSERT_TRUE(kx::formshot::ParseArguments({"a.txt", "b.png", "--ticks", "3", "--key", "Shift+Tab",
                                            "--click", "10,20", "--focus", "Edit1", "--type", "ab"},
                                           &o, &error))
      << error;
  ASSERT_EQ(o.steps.size(), 5u);
  EXPECT_EQ(o.steps[0].count, 3);
  EXPECT_EQ(o.steps[2].x, 10);
  EXPECT_EQ(o.steps[2].y, 20);
  EXPECT_EQ(o.steps[4].text, u"ab");

  const char* form = "object F: TForm\n  ClientWidth = 50\n  ClientHeight = 40\nend\n";
  kx::Image image;
  std::vector<kx::formshot::Step> focus(1);
  focus[0].kind = kx::formshot::Step::Kind::Focus;
  focus[0].name = "Missing";
  EXPECT_FALSE(kx::formshot::Render(form, focus, &image, &error));
  EXPECT_NE(error.find("Missing"), std::string::npos);
  ASSERT_TRUE(kx::formshot::Render(form, {}, &image, &error)) << error;
  EXPECT_EQ(image.width, 50);
  EXPECT_EQ(image.height, 40);
}

TEST(GalleryTest, EventBindingsOfAnUnknownFormClassAreDropped) {
  const char* layout =
      "object Form1: TForm1\n"
      "  ClientWidth = 60\n"
      "  ClientHeight = 40\n"
      "  OnCreate = FormCreate\n"
      "  object Button1: TButton\n"
      "    Caption = 'x'\n"
      "    OnClick = Button1Click\n"
      "  end\n"
      "end\n";
  kx::Image image;
  std::string error;
  EXPECT_TRUE(kx::formshot::Render(layout, {}, &image, &error)) << error;
}

}  // namespace
