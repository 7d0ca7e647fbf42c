// The controls' tests: a headless form like the wizard's window, layout loading, and
// pixel helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "framework/Forms.h"
#include "platform/Windows.h"
#include "platform/display/Display.h"

namespace kx::test {

// Starts the headless display and builds a white 445 x 592 form in the wizard's font.
class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Reads a layout description of children (the form's own block is added around it).
  void Load(std::string_view children);
  void ShowForm();
  // Processes everything that is waiting, paints included.
  void Pump();
  kx::Image Shot();
  // Writes the image to $KX_TEST_ARTIFACTS/<name>.png when the variable is set.
  void Save(const kx::Image& image, const std::string& name);

  template <class T>
  T* Find(const char* name) {
    return dynamic_cast<T*>(form->FindComponent(name));
  }

  TForm* form = nullptr;
};

// Whether two colours differ by at most `tolerance` in each channel.
bool Near(COLORREF a, COLORREF b, int tolerance = 0);
// 0x00BBGGRR of a TColor (system colours resolved).
COLORREF Rgb(int color);
// The bounding box of the pixels of `image` inside `area` that differ from `background`
// by more than `tolerance`; empty when there are none.
RECT InkBox(const kx::Image& image, RECT area, COLORREF background, int tolerance = 40);

}  // namespace kx::test
