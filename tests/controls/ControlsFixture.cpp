#include "ControlsFixture.h"

#include <cstdlib>

#include "controls/Register.h"
#include "framework/Graphics.h"
#include "framework/Register.h"
#include "framework/Streaming.h"
#include "platform/display/Headless.h"
#include "platform/user/User.h"

namespace kx::test {

void ControlsTest::SetUp() {
  ASSERT_TRUE(kx::headless::Start());
  RegisterFrameworkClasses();
  RegisterControlsClasses();
  kx::SetClipboardText(u"");
  form = new TForm(nullptr);
}

void ControlsTest::TearDown() {
  delete form;
  form = nullptr;
  Pump();
  while (HWND top = kx::GetTopLevelWindow())
    DestroyWindow(top);
}

void ControlsTest::Load(std::string_view children) {
  std::string text =
      "object Form1: TForm\n"
      "  BorderStyle = bsDialog\n"
      "  ClientHeight = 592\n"
      "  ClientWidth = 445\n"
      "  Color = clWhite\n"
      "  Font.Charset = DEFAULT_CHARSET\n"
      "  Font.Color = clWindowText\n"
      "  Font.Height = -13\n"
      "  Font.Name = 'Verdana'\n"
      "  Font.Style = []\n";
  text += children;
  text += "end\n";
  TLayoutError err;
  ASSERT_TRUE(ReadComponentText(text, form, &err)) << err.line << ": " << err.message;
}

void ControlsTest::ShowForm() {
  form->Show();
  Pump();
}

void ControlsTest::Pump() {
  kx::headless::Tick(0);
}

kx::Image ControlsTest::Shot() {
  return kx::headless::Screenshot();
}

void ControlsTest::Save(const kx::Image& image, const std::string& name) {
  const char* dir = std::getenv("KX_TEST_ARTIFACTS");
  if (!dir || !*dir) return;
  kx::SavePng(image, std::string(dir) + "/" + name + ".png");
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= tolerance &&
         std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= tolerance &&
         std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= tolerance;
}

COLORREF Rgb(int color) {
  return ColorToRGB(TColor(color)) & 0xFFFFFF;
}

RECT InkBox(const kx::Image& image, RECT area, COLORREF background, int tolerance) {
  RECT box{area.right, area.bottom, area.left, area.top};
  bool any = false;
  for (int y = area.top; y < area.bottom && y < image.height; ++y)
    for (int x = area.left; x < area.right && x < image.width; ++x)
      if (!Near(image.ColorAt(x, y), background, tolerance)) {
        any = true;
        box.left = std::min(box.left, LONG(x));
        box.top = std::min(box.top, LONG(y));
        box.right = std::max(box.right, LONG(x + 1));
        box.bottom = std::max(box.bottom, LONG(y + 1));
      }
  return any ? box : RECT{};
}

}  // namespace kx::test
