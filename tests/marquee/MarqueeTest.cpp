// The marquee on the headless display: its defaults, the worked example's dot positions,
// the tick sequence on the virtual clock, painting, styles and layout descriptions.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/Forms.h"
#include "framework/Register.h"
#include "framework/StdCtrls.h"
#include "framework/Streaming.h"
#include "framework/Timer.h"
#include "marquee/GPBrush.h"
#include "marquee/Marquee.h"
#include "marquee/Register.h"
#include "platform/display/Display.h"
#include "platform/display/Headless.h"

namespace {

uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

class MarqueeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kx::headless::Start();
    RegisterFrameworkClasses();
    RegisterMarqueeClasses();
  }
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetColor(clRed);
    form->SetClientWidth(445);
    form->SetClientHeight(417);
  }
  void TearDown() override {
    if (HasFailure()) Save(::testing::UnitTest::GetInstance()->current_test_info()->name());
    delete form;
    Application->Reset();
    kx::headless::Tick(0);
  }

  // The wizard's instance: 445 x 417, white fill with a white border, black dots.
  TMarquee* AddWizardMarquee() {
    TMarquee* m = new TMarquee(form);
    m->SetParent(form);
    m->SetBounds(0, 0, 445, 417);
    TBackgroundFill* f = m->Fill();
    f->SetColor(clWhite);
    f->SetColorMirror(clNone);
    f->SetColorMirrorTo(clNone);
    f->SetGradientType(gtSolid);
    f->SetGradientMirrorType(gtSolid);
    f->SetBorderColor(clWhite);
    f->SetRounding(0);
    f->SetShadowOffset(0);
    f->SetGlow(gmNone);
    m->Bullets()->SetColor(clBlack);
    return m;
  }
  void ShowForm() {
    form->Show();
    kx::headless::Tick(0);
  }
  static void Save(const std::string& name) {
    if (const char* dir = std::getenv("KX_TEST_ARTIFACTS"))
      kx::SavePng(kx::headless::Screenshot(), std::string(dir) + "/" + name + ".png");
  }

  TForm* form = nullptr;
};

TEST_F(MarqueeTest, StartsWithItsDocumentedValues) {
  TMarquee* m = new TMarquee(form);
  EXPECT_EQ(m->Width(), 400);
  EXPECT_EQ(m->Height(), 20);
  EXPECT_EQ(m->Position(), 0.0f);
  EXPECT_EQ(m->AnimationFactor(), 3.0f);
  EXPECT_EQ(m->AnimationStep(), 10.0f);
  EXPECT_EQ(Bits(m->AnimationStretchFactor()), 0x3FD9999Au);
  EXPECT_TRUE(m->Animate());
  EXPECT_FALSE(m->Transparent());
  EXPECT_TRUE(m->DoubleBuffered());
  EXPECT_TRUE(m->TabStop());
  EXPECT_EQ(m->GetComponentStyle(), tsClassicBlue);
  EXPECT_EQ(m->AnimationTimer()->Interval(), 10u);
  EXPECT_TRUE(m->AnimationTimer()->Enabled());
  const TMarqueeBullets* b = m->Bullets();
  EXPECT_EQ(b->Count(), 6);
  EXPECT_EQ(b->Width(), 10);
  EXPECT_EQ(b->Height(), 10);
  EXPECT_EQ(b->Spacing(), 3);
  EXPECT_EQ(b->BorderColor(), clNone);
  EXPECT_EQ(b->Color(), TColor(0xE16941));
  EXPECT_EQ(b->Opacity(), 255);
  EXPECT_EQ(b->Shape(), bsEllipse);
  // At run time no default style: the fill's own silver-to-grey gradient.
  EXPECT_EQ(m->Fill()->Color(), clSilver);
  EXPECT_EQ(m->Fill()->GradientType(), gtVertical);
}

TEST_F(MarqueeTest, DotPositionsMatchTheWorkedExample) {
  TMarquee* m = AddWizardMarquee();
  EXPECT_EQ(m->RowWidth(), 77.0f);
  EXPECT_EQ(m->WrapBound(), 261.0f);
  struct Row {
    float p;
    double x[6];
  } table[] = {
      {-261, {-1022.935, -818.731, -629.776, -456.070, -297.614, -154.407}},
      {-40, {94.977, 117.415, 137.516, 155.280, 168.550, 181.550}},
      {0, {156.550, 169.550, 182.550, 195.550, 208.550, 221.550}},
      {130, {286.550, 306.620, 334.548, 370.071, 413.190, 463.905}},
      {261, {493.856, 598.411, 718.216, 853.270, 1003.574, 1169.127}},
  };
  for (const Row& row : table) {
    m->SetPosition(row.p);
    ASSERT_EQ(m->Position(), row.p);  // 261 is the bound itself and stays
    for (int i = 0; i < 6; ++i) {
      TGPRectF r = m->BulletRect(i);
      EXPECT_NEAR(r.X, row.x[i], 0.0006) << "P " << row.p << " dot " << i;
      EXPECT_EQ(r.Y, 203.0f);
      EXPECT_EQ(r.Width, 10.0f);
    }
  }
}

TEST_F(MarqueeTest, TicksOnTheVirtualClockWrapAtTick79ThenEvery157) {
  TMarquee* m = AddWizardMarquee();
  ShowForm();
  std::vector<float> positions;
  int firstWrap = 0, secondWrap = 0, thirdWrap = 0;
  float beforeWrap = 0;
  for (int tick = 1; tick <= 79 + 2 * 157 + 1; ++tick) {
    const float before = m->Position();
    kx::headless::Tick(10);
    positions.push_back(m->Position());
    if (m->Position() < before) {
      if (!firstWrap) {
        firstWrap = tick;
        beforeWrap = before;
      } else if (!secondWrap) {
        secondWrap = tick;
      } else if (!thirdWrap) {
        thirdWrap = tick;
      }
    }
  }
  EXPECT_EQ(positions[0], 3.3333333f);
  EXPECT_EQ(positions[1], 6.6666665f);
  EXPECT_EQ(positions[2], 10.0f);
  EXPECT_EQ(firstWrap, 79);
  EXPECT_NEAR(beforeWrap, 259.99985f, 1e-4);
  EXPECT_EQ(positions[78], -261.0f);
  EXPECT_EQ(secondWrap - firstWrap, 157);
  EXPECT_EQ(thirdWrap - secondWrap, 157);
}

TEST_F(MarqueeTest, TheStepRules) {
  TMarquee* m = AddWizardMarquee();
  m->SetAnimate(false);
  struct Case {
    float step, factor, start, expected;
  } cases[] = {
      {0.005f, 3, 5, 5},  // below 0.01: the row stays
      {-0.005f, 3, 5, 5},
      {0.02f, 3, 5, 5.01f},         // step / factor below 0.01: at least 0.01 a tick
      {-10, 3, 0, -3.3333333f},     // a negative step moves left
      {-10, 3, -300, -303.33333f},  // and never wraps
      {10, 3, 259.99985f, -261},    // moving right past the bound wraps
  };
  for (const Case& c : cases) {
    m->SetAnimationStep(c.step);
    m->SetAnimationFactor(c.factor);
    m->SetPosition(c.start);
    m->AnimationTick();
    EXPECT_FLOAT_EQ(m->Position(), c.expected) << c.step << " from " << c.start;
  }
  m->SetPosition(261.0f);
  EXPECT_EQ(m->Position(), 261.0f);
  m->SetPosition(261.0001f);
  EXPECT_EQ(m->Position(), -261.0f);
  m->SetPosition(-5000.0f);
  EXPECT_EQ(m->Position(), -5000.0f);
  m->SetPosition(10);
  m->Step(2.5f);
  EXPECT_EQ(m->Position(), 12.5f);
}

TEST_F(MarqueeTest, AnimateFalseStopsTheTimerAndTheRowStays) {
  TMarquee* m = AddWizardMarquee();
  ShowForm();
  kx::headless::Tick(30);
  const float p = m->Position();
  m->SetAnimate(false);
  EXPECT_FALSE(m->AnimationTimer()->Enabled());
  kx::headless::Tick(100);
  EXPECT_EQ(m->Position(), p);
  m->SetAnimate(true);
  kx::headless::Tick(10);
  EXPECT_GT(m->Position(), p);
}

TEST_F(MarqueeTest, AFactorOfZeroOrAWidthOfZeroStaysFinite) {
  TMarquee* m = AddWizardMarquee();
  m->SetAnimationFactor(0);
  for (int i = 0; i < 200; ++i) {
    m->AnimationTick();
    ASSERT_TRUE(std::isfinite(m->Position()));
  }
  m->SetAnimationFactor(3);
  m->SetBounds(0, 0, 0, 417);
  m->SetPosition(-30);
  for (int i = 0; i < 6; ++i)
    EXPECT_TRUE(std::isfinite(m->BulletRect(i).X));
  ShowForm();
  kx::headless::Tick(50);
  m->SetAnimationStep(std::numeric_limits<float>::max());
  m->AnimationTick();
  m->AnimationTick();
  EXPECT_TRUE(std::isfinite(m->Position()));
}

TEST_F(MarqueeTest, AtPositionZeroNoDotIsDisplacedWhateverTheStretch) {
  TMarquee* m = AddWizardMarquee();
  for (float stretch : {0.1f, 1.0f, 1.7f, 5.0f}) {
    m->SetAnimationStretchFactor(stretch);
    const TGPRectF first = m->BulletRect(0);
    for (int i = 1; i < 6; ++i)
      EXPECT_FLOAT_EQ(m->BulletRect(i).X - first.X, 13.0f * i) << stretch;
  }
}

TEST_F(MarqueeTest, PaintsTheWizardFillAndBlackDots) {
  TMarquee* m = AddWizardMarquee();
  ShowForm();
  kx::Image img = kx::headless::Screenshot();
  ASSERT_EQ(img.width, 445);
  // Dot centres at P = 0: x = 161.55 + 13 i, y = 208.
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(img.ColorAt(161 + 13 * i, 208), RGB(0, 0, 0)) << i;
  EXPECT_EQ(img.ColorAt(168, 208), RGB(255, 255, 255));  // the gap between dots
  EXPECT_EQ(img.ColorAt(0, 0), RGB(255, 255, 255));      // fill and border cover the form
  EXPECT_EQ(img.ColorAt(444, 416), RGB(255, 255, 255));
  EXPECT_EQ(img.ColorAt(100, 100), RGB(255, 255, 255));
  (void)m;
}

TEST_F(MarqueeTest, PicturesAtSeveralTicks) {
  AddWizardMarquee();
  ShowForm();
  int done = 0;
  for (int tick : {0, 20, 60, 78, 79, 100, 150}) {
    kx::headless::Tick(uint32_t(tick - done) * 10);
    done = tick;
    Save("marquee_tick_" + std::to_string(tick));
    kx::Image img = kx::headless::Screenshot();
    int ink = 0;
    for (int x = 0; x < 445; ++x)
      ink += img.ColorAt(x, 208) != RGB(255, 255, 255);
    // At tick 78 the row has left on the right; at 79 it wrapped to the far left.
    if (tick == 0) {
      EXPECT_GT(ink, 40);
    }
    if (tick == 78 || tick == 79) {
      EXPECT_EQ(ink, 0) << tick;
    }
  }
}

TEST_F(MarqueeTest, TransparentShowsTheParentBetweenTheDots) {
  TMarquee* m = AddWizardMarquee();
  m->SetTransparent(true);
  ShowForm();
  kx::Image img = kx::headless::Screenshot();
  EXPECT_EQ(img.ColorAt(100, 100), RGB(255, 0, 0));
  EXPECT_EQ(img.ColorAt(168, 208), RGB(255, 0, 0));
  EXPECT_EQ(img.ColorAt(161, 208), RGB(0, 0, 0));
  m->SetTransparent(false);
  kx::headless::Tick(0);
  EXPECT_EQ(kx::headless::Screenshot().ColorAt(100, 100), RGB(255, 255, 255));
}

TEST_F(MarqueeTest, TransparentShowsTheParentsWindowlessChildrenAtTheRightPlace) {
  TLabel* label = new TLabel(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetColor(clBlue);
  label->SetBounds(40, 40, 50, 20);
  TMarquee* m = new TMarquee(form);
  m->SetParent(form);
  m->SetBounds(20, 30, 200, 100);
  m->SetTransparent(true);
  m->SetAnimate(false);
  ShowForm();
  kx::Image img = kx::headless::Screenshot();
  EXPECT_EQ(img.ColorAt(45, 45), RGB(0, 0, 255));  // the label, through the marquee
  EXPECT_EQ(img.ColorAt(95, 45), RGB(255, 0, 0));  // right of it: the form's colour
  EXPECT_EQ(img.ColorAt(25, 35), RGB(255, 0, 0));
}

TEST_F(MarqueeTest, ShapesAndCustomDots) {
  TMarquee* m = AddWizardMarquee();
  m->SetAnimate(false);
  std::vector<int> calls;
  m->SetOnCustomBulletShape(
      TMarqueeCustomBulletShape([&](TObject* sender, TGPGraphics* g, int index, TGPRectF r) {
        EXPECT_EQ(sender, m);
        calls.push_back(index);
        TGPSolidBrush green(0xFF00FF00);
        g->FillRectangle(&green, r);
      }));
  m->Bullets()->SetShape(bsCustom);
  ShowForm();
  EXPECT_EQ(calls, (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(kx::headless::Screenshot().ColorAt(157, 204), RGB(0, 255, 0));
  // Neither colour: nothing at all, not even the custom dots.
  calls.clear();
  m->Bullets()->SetColor(clNone);
  kx::headless::Tick(0);
  EXPECT_TRUE(calls.empty());
  // Without a handler a custom shape draws nothing.
  m->Bullets()->SetColor(clBlack);
  m->SetOnCustomBulletShape(TMarqueeCustomBulletShape());
  m->Invalidate();
  kx::headless::Tick(0);
  EXPECT_EQ(kx::headless::Screenshot().ColorAt(161, 208), RGB(255, 255, 255));
  // Rectangles and triangles with an outline.
  m->Bullets()->SetShape(bsRectangle);
  m->Bullets()->SetBorderColor(clRed);
  kx::headless::Tick(0);
  kx::Image img = kx::headless::Screenshot();
  EXPECT_EQ(img.ColorAt(160, 207), RGB(0, 0, 0));
  EXPECT_GT(GetRValue(img.ColorAt(157, 203)), 100);  // the red outline
  EXPECT_LT(GetGValue(img.ColorAt(157, 203)), 100);
  m->Bullets()->SetShape(bsTriangle);
  kx::headless::Tick(0);
  img = kx::headless::Screenshot();
  Save("marquee_triangles");
  EXPECT_EQ(img.ColorAt(161, 211), RGB(0, 0, 0));        // low in the middle: inside
  EXPECT_EQ(img.ColorAt(157, 205), RGB(255, 255, 255));  // top-left corner: outside
  m->Bullets()->SetCount(0);
  kx::headless::Tick(0);
  EXPECT_EQ(kx::headless::Screenshot().ColorAt(161, 211), RGB(255, 255, 255));
}

TEST_F(MarqueeTest, AHiddenMarqueeKeepsTickingWithoutPainting) {
  TMarquee* m = AddWizardMarquee();
  int paints = 0;
  m->Bullets()->SetShape(bsCustom);
  m->SetOnCustomBulletShape(TMarqueeCustomBulletShape(
      [&](TObject*, TGPGraphics*, int i, TGPRectF) { paints += i == 0; }));
  ShowForm();
  EXPECT_EQ(paints, 1);
  m->SetVisible(false);
  kx::headless::Tick(500);
  EXPECT_EQ(paints, 1);
  EXPECT_GT(m->Position(), 100.0f);
  m->SetVisible(true);
  kx::headless::Tick(0);
  EXPECT_EQ(paints, 2);
}

TEST_F(MarqueeTest, StylesAndColourTones) {
  TMarquee* m = new TMarquee(form);
  m->ApplyDefaultStyle();
  EXPECT_EQ(m->Fill()->Color(), TColor(0xFFFFFF));
  EXPECT_EQ(m->Fill()->GradientType(), gtSolid);
  EXPECT_EQ(m->Fill()->BorderColor(), TColor(0x908070));
  EXPECT_EQ(m->Bullets()->Color(), TColor(0x908070));

  m->SetComponentStyle(tsRibbonBlue);
  EXPECT_EQ(m->GetComponentStyle(), tsRibbonBlue);
  EXPECT_EQ(m->Fill()->Color(), TColor(0xFAF1E9));
  EXPECT_EQ(m->Fill()->ColorTo(), TColor(0xEDD8C7));
  EXPECT_EQ(m->Fill()->ColorMirror(), TColor(0xEDD8C7));
  EXPECT_EQ(m->Fill()->ColorMirrorTo(), TColor(0xFFF2E7));
  EXPECT_EQ(m->Fill()->GradientType(), gtVertical);
  EXPECT_EQ(m->Fill()->GradientMirrorType(), gtVertical);
  EXPECT_EQ(m->Bullets()->Color(), TColor(0xAAD9FF));

  m->Fill()->SetGradientType(gtHorizontal);
  m->SetComponentStyle(tsModernWhite);
  EXPECT_EQ(m->Fill()->ColorMirror(), clNone);
  EXPECT_EQ(m->Fill()->GradientType(), gtHorizontal);  // not listed: kept
  EXPECT_EQ(m->Fill()->BorderColor(), TColor(0xD4D4D4));
  EXPECT_EQ(m->Bullets()->BorderColor(), TColor(0xF2E1D5));

  m->SetComponentStyle(tsCustom);
  EXPECT_EQ(m->GetComponentStyle(), tsCustom);
  EXPECT_EQ(m->Fill()->BorderColor(), TColor(0xD4D4D4));

  m->SetComponentStyle(tsSystem);
  EXPECT_EQ(m->Fill()->Color(), clBtnFace);
  EXPECT_EQ(m->Bullets()->Color(), clInactiveCaption);

  TColorTones tones;
  tones.Background = {TColor(0x111111), TColor(0x222222), clNone};
  tones.Selected = {TColor(0x333333), clNone, clNone};
  m->SetColorTones(tones);
  EXPECT_EQ(m->Fill()->Color(), TColor(0x111111));
  EXPECT_EQ(m->Fill()->ColorMirrorTo(), TColor(0x111111));
  EXPECT_EQ(m->Fill()->BorderColor(), TColor(0x222222));
  EXPECT_EQ(m->Bullets()->BorderColor(), TColor(0x222222));
  EXPECT_EQ(m->Bullets()->Color(), TColor(0x333333));
}

TEST_F(MarqueeTest, AssignCopiesBulletsAndFillOnly) {
  TMarquee* a = new TMarquee(form);
  TMarquee* b = new TMarquee(form);
  a->Bullets()->SetCount(3);
  a->Fill()->SetColor(clLime);
  a->SetAnimationStep(99);
  b->Assign(a);
  EXPECT_EQ(b->Bullets()->Count(), 3);
  EXPECT_EQ(b->Fill()->Color(), clLime);
  EXPECT_EQ(b->AnimationStep(), 10.0f);
  TMarqueeBullets bullets(nullptr);
  bullets.SetWidth(4);
  b->SetBullets(&bullets);
  EXPECT_EQ(b->Bullets()->Width(), 4);
}

TEST_F(MarqueeTest, ReadsTheWizardsLayoutWithoutApplyingTheStoredStyle) {
  const char* layout =
      "object Form1: TForm\n"
      "  object MarqueeUserSynchronization: TMarquee\n"
      "    Left = 0\n"
      "    Top = 0\n"
      "    Width = 445\n"
      "    Height = 417\n"
      "    Align = alClient\n"
      "    AnimationFactor = 3.000000000000000000\n"
      "    AnimationStep = 10.000000000000000000\n"
      "    AnimationStretchFactor = 1.700000047683716000\n"
      "    Bullets.Color = clBlack\n"
      "    ComponentStyle = 0\n"
      "    Fill.BorderColor = clWhite\n"
      "    Fill.Color = clWhite\n"
      "    Fill.ColorMirror = clNone\n"
      "    Fill.ColorMirrorTo = clNone\n"
      "    Fill.GradientMirrorType = gtSolid\n"
      "    Fill.GradientType = gtSolid\n"
      "    Fill.Glow = gmNone\n"
      "    Fill.Rounding = 0\n"
      "    Fill.ShadowOffset = 0\n"
      "  end\n"
      "end\n";
  TLayoutError err;
  ASSERT_TRUE(ReadComponentText(layout, form, &err)) << err.line << ": " << err.message;
  auto* m = dynamic_cast<TMarquee*>(form->FindComponent("MarqueeUserSynchronization"));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Parent(), form);
  EXPECT_EQ(Bits(m->AnimationStretchFactor()), 0x3FD9999Au);
  EXPECT_EQ(m->Fill()->Color(), clWhite);
  EXPECT_EQ(m->Fill()->BorderColor(), clWhite);
  EXPECT_EQ(m->Fill()->GradientType(), gtSolid);
  EXPECT_EQ(m->Bullets()->Color(), clBlack);
  EXPECT_EQ(m->GetComponentStyle(), tsClassicBlue);
  const std::string written = WriteComponentText(form);
  EXPECT_NE(written.find("AnimationStretchFactor = 1.7"), std::string::npos) << written;
  EXPECT_NE(written.find("AnimationFactor = 3"), std::string::npos);
  EXPECT_NE(written.find("ComponentStyle = 0"), std::string::npos);
  EXPECT_NE(written.find("Fill.GradientType = gtSolid"), std::string::npos);
  EXPECT_NE(written.find("Bullets.Color = clBlack"), std::string::npos);
  EXPECT_EQ(written.find("Position"), std::string::npos);
  EXPECT_EQ(written.find("TTimer"), std::string::npos);
}

}  // namespace
