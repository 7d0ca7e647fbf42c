// Shared fixture of the framework control tests: the headless display, one white form of
// 200 x 150 client pixels, and probe controls that record what they receive.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Register.h"
#include "platform/display/Headless.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"

namespace kx::test {

// Records input and paints; fills its client area with `fill` when painted.
template <class Base>
class TProbe : public Base {
 public:
  explicit TProbe(TComponent* owner) : Base(owner) {}
  TColor fill = clRed;
  bool paintOutside = false;  // paint far beyond the bounds (clipping tests)
  UINT dialogCode = 0;
  int paints = 0, clicks = 0, enters = 0, leaves = 0, downs = 0, ups = 0;
  std::vector<TPoint> moves;

  UINT DialogCodeValue() { return dialogCode; }

 protected:
  void Paint() override {
    ++paints;
    this->Canvas()->Brush()->SetColor(fill);
    this->Canvas()->FillRect(paintOutside ? Rect(-500, -500, 1000, 1000) : this->ClientRect());
  }
  void Click() override {
    ++clicks;
    Base::Click();
  }
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    ++downs;
    Base::MouseDown(b, s, x, y);
  }
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    ++ups;
    Base::MouseUp(b, s, x, y);
  }
  void MouseMove(TShiftState s, int x, int y) override {
    moves.push_back(Point(x, y));
    Base::MouseMove(s, x, y);
  }
  void MouseEnter() override {
    ++enters;
    Base::MouseEnter();
  }
  void MouseLeave() override {
    ++leaves;
    Base::MouseLeave();
  }
};

using TGraphicProbe = TProbe<TGraphicControl>;

class TWindowedProbe : public TProbe<TCustomControl> {
 public:
  explicit TWindowedProbe(TComponent* owner) : TProbe<TCustomControl>(owner) {}

 protected:
  UINT DialogCode() override { return dialogCode; }
};

class FrameworkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kx::headless::Start();
    RegisterFrameworkClasses();
  }
  void SetUp() override {
    kx::headless::ClearRecords();
    form = new TForm(nullptr);
    form->SetColor(clWhite);
    form->SetClientWidth(200);
    form->SetClientHeight(150);
  }
  void TearDown() override {
    delete form;
    form = nullptr;
    Application->Reset();
    kx::headless::Tick(0);
  }

  template <class T>
  T* Add(TWinControl* parent, int l, int t, int w, int h) {
    T* c = new T(form);
    c->SetParent(parent);
    c->SetBounds(l, t, w, h);
    return c;
  }
  void ShowForm() {
    form->Show();
    kx::headless::Tick(0);
  }
  kx::Image Shot() { return kx::headless::Screenshot(); }
  static COLORREF Rgb(TColor c) { return ColorToRGB(c); }

  // The bounding box of pixels that differ from `background` in r.
  static TRect InkBox(const kx::Image& img, TRect r, COLORREF background) {
    TRect box{r.right, r.bottom, r.left, r.top};
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (img.ColorAt(x, y) != background) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box;
  }

  // Writes the screenshot as an artifact (for a failing comparison, or to look at).
  static void Artifact(const kx::Image& img, const std::string& name) {
    if (const char* dir = std::getenv("KX_TEST_ARTIFACTS"))
      kx::SavePng(img, std::string(dir) + "/" + name + ".png");
  }

  TForm* form = nullptr;
};

}  // namespace kx::test
