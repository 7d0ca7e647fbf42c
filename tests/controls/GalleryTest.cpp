// Renders every layout description of the gallery, and the field in its states, to PNG
// files in $KX_TEST_ARTIFACTS for looking at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ControlsFixture.h"
#include "controls/FlatEdit.h"
#include "framework/Streaming.h"
#include "platform/display/Headless.h"

namespace kx::test {
namespace {

namespace hl = kx::headless;

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class GalleryTest : public ControlsTest {
 protected:
  void LoadFile(const char* name) {
    const std::string text = ReadFile(std::filesystem::path(KX_CONTROLS_GALLERY_DIR) / name);
    ASSERT_FALSE(text.empty()) << name;
    TLayoutError err;
    ASSERT_TRUE(ReadComponentText(text, form, &err))
        << name << ":" << err.line << ": " << err.message;
    ShowForm();
  }
  // At least two colours: something was drawn.
  void ExpectDrawn(const kx::Image& img) {
    ASSERT_GT(img.width, 0);
    bool varied = false;
    for (size_t i = 1; i < img.pixels.size() && !varied; ++i)
      varied = img.pixels[i] != img.pixels[0];
    EXPECT_TRUE(varied);
  }
};

TEST_F(GalleryTest, Wizard) {
  LoadFile("wizard.layout");
  const kx::Image img = Shot();
  Save(img, "gallery_wizard");
  ExpectDrawn(img);
  hl::Click(200, 326);
  hl::TypeText(u"12345");
  Save(Shot(), "gallery_wizard_typed");
  Find<TControl>("FlatPanel2")->SetVisible(true);
  Pump();
  Save(Shot(), "gallery_wizard_overlay");
}

TEST_F(GalleryTest, WizardLayoutWritesBackAndReadsTheSame) {
  LoadFile("wizard.layout");
  const std::string written = WriteComponentText(form);
  EXPECT_NE(written.find("BorderColorShadow = 12283648"), std::string::npos) << written;
  EXPECT_EQ(written.find("IsHTML = True"), std::string::npos) << "defaults are not written";
  TForm other(nullptr);
  TLayoutError err;
  ASSERT_TRUE(ReadComponentText(written, &other, &err)) << err.line << ": " << err.message;
  EXPECT_EQ(WriteComponentText(&other), written);
}

TEST_F(GalleryTest, Fields) {
  LoadFile("fields.layout");
  const kx::Image img = Shot();
  Save(img, "gallery_fields");
  ExpectDrawn(img);
  hl::MouseMove(100, 68);
  Save(Shot(), "gallery_fields_hovered");
  hl::Click(100, 28);
  hl::PressKey(VK_HOME);
  hl::PressKey(VK_RIGHT, hl::kCtrl | hl::kShift);
  Save(Shot(), "gallery_fields_focused_selection");
  hl::Click(100, 188);
  Save(Shot(), "gallery_fields_line_active");
}

TEST_F(GalleryTest, Labels) {
  LoadFile("labels.layout");
  const kx::Image img = Shot();
  Save(img, "gallery_labels");
  ExpectDrawn(img);
}

TEST_F(GalleryTest, Panels) {
  LoadFile("panels.layout");
  const kx::Image img = Shot();
  Save(img, "gallery_panels");
  ExpectDrawn(img);
}

}  // namespace
}  // namespace kx::test
