// Controls: z-order and hit-testing, painting, invalidation, focus and tab order, capture,
// enter and leave, alignment and anchors, parent colour and font.
#include <gtest/gtest.h>

#include "FrameworkTest.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

namespace kx::test {
namespace {

using ControlsTest = FrameworkTest;

TEST_F(ControlsTest, WindowedChildLiesAboveALaterGraphicSibling) {
  auto* w = Add<TWindowedProbe>(form, 50, 20, 80, 60);
  w->fill = clBlue;
  auto* g = Add<TGraphicProbe>(form, 10, 10, 100, 60);  // created later, still below
  g->fill = clRed;
  ShowForm();
  kx::Image img = Shot();
  EXPECT_EQ(img.ColorAt(60, 30), Rgb(clBlue));
  EXPECT_EQ(img.ColorAt(20, 20), Rgb(clRed));

  kx::headless::Click(60, 30);
  EXPECT_EQ(w->clicks, 1);
  EXPECT_EQ(g->clicks, 0);
  kx::headless::Click(20, 20);
  EXPECT_EQ(g->clicks, 1);
}

TEST_F(ControlsTest, HiddenAndDisabledControlsAreNotHit) {
  auto* g = Add<TGraphicProbe>(form, 10, 10, 100, 60);
  auto* w = Add<TWindowedProbe>(form, 50, 20, 80, 60);
  int formClicks = 0;
  form->SetOnClick(TNotifyEvent([&](TObject*) { ++formClicks; }));
  ShowForm();

  w->Hide();
  kx::headless::Tick(0);
  kx::headless::Click(60, 30);
  EXPECT_EQ(w->clicks, 0);
  EXPECT_EQ(g->clicks, 1);
  EXPECT_EQ(Shot().ColorAt(60, 30), Rgb(clRed)) << "the hidden window is not painted";

  g->SetEnabled(false);
  kx::headless::Click(60, 30);
  EXPECT_EQ(g->clicks, 1);
  EXPECT_EQ(formClicks, 1) << "a press on a disabled windowless child goes to its parent";

  g->Hide();
  kx::headless::Tick(0);
  EXPECT_EQ(Shot().ColorAt(60, 30), Rgb(clWhite));
}

TEST_F(ControlsTest, LaterWindowedSiblingLiesAboveEarlier) {
  auto* w1 = Add<TWindowedProbe>(form, 10, 10, 80, 80);
  w1->fill = clRed;
  auto* w2 = Add<TWindowedProbe>(form, 50, 50, 80, 80);
  w2->fill = clBlue;
  ShowForm();
  EXPECT_EQ(Shot().ColorAt(60, 60), Rgb(clBlue));
  kx::headless::Click(60, 60);
  EXPECT_EQ(w2->clicks, 1);
  EXPECT_EQ(w1->clicks, 0);

  w1->BringToFront();
  kx::headless::Tick(0);
  EXPECT_EQ(Shot().ColorAt(60, 60), Rgb(clRed));
}

TEST_F(ControlsTest, GraphicChildrenPaintInCreationOrderClippedToTheirBounds) {
  auto* g1 = Add<TGraphicProbe>(form, 0, 0, 50, 50);
  g1->fill = clRed;
  g1->paintOutside = true;
  auto* g2 = Add<TGraphicProbe>(form, 25, 25, 50, 50);
  g2->fill = clBlue;
  ShowForm();
  kx::Image img = Shot();
  EXPECT_EQ(img.ColorAt(10, 10), Rgb(clRed));
  EXPECT_EQ(img.ColorAt(30, 30), Rgb(clBlue));
  EXPECT_EQ(img.ColorAt(60, 10), Rgb(clWhite)) << "painting outside the bounds is clipped";
  EXPECT_EQ(img.ColorAt(10, 60), Rgb(clWhite));
}

TEST_F(ControlsTest, ParentDoesNotPaintUnderAWindowedChild) {
  auto* g = Add<TGraphicProbe>(form, 0, 0, 200, 150);
  g->fill = clLime;
  auto* w = Add<TWindowedProbe>(form, 50, 50, 40, 40);
  w->fill = clBlue;
  ShowForm();
  kx::Image img = Shot();
  EXPECT_EQ(img.ColorAt(60, 60), Rgb(clBlue));
  EXPECT_EQ(img.ColorAt(10, 10), Rgb(clLime));
}

TEST_F(ControlsTest, NothingPaintsWhileNothingIsInvalid) {
  auto* w = Add<TWindowedProbe>(form, 10, 10, 50, 50);
  auto* g = Add<TGraphicProbe>(form, 100, 10, 50, 50);
  ShowForm();
  EXPECT_GE(w->paints, 1);
  EXPECT_GE(g->paints, 1);
  w->paints = g->paints = 0;
  kx::headless::Tick(100);
  EXPECT_EQ(w->paints, 0);
  EXPECT_EQ(g->paints, 0);

  w->Invalidate();
  kx::headless::Tick(0);
  EXPECT_EQ(w->paints, 1);
  EXPECT_EQ(g->paints, 0);

  g->Invalidate();
  kx::headless::Tick(0);
  EXPECT_EQ(g->paints, 1);
  EXPECT_EQ(w->paints, 1);

  w->Hide();
  kx::headless::Tick(0);
  w->paints = 0;
  w->Invalidate();
  w->Repaint();
  kx::headless::Tick(0);
  EXPECT_EQ(w->paints, 0) << "an invisible window is never painted";
}

TEST_F(ControlsTest, DoubleBufferedPaintLooksTheSame) {
  auto* w = Add<TWindowedProbe>(form, 10, 10, 50, 50);
  w->fill = clNavy;
  auto* g = new TGraphicProbe(form);
  g->SetParent(w);
  g->SetBounds(5, 5, 10, 10);
  g->fill = clYellow;
  w->SetDoubleBuffered(true);
  ShowForm();
  kx::Image img = Shot();
  EXPECT_EQ(img.ColorAt(30, 30), Rgb(clNavy));
  EXPECT_EQ(img.ColorAt(17, 17), Rgb(clYellow));
}

TEST_F(ControlsTest, FirstActivationFocusesTheFirstTabStopAndTabCycles) {
  auto* e1 = Add<TEdit>(form, 10, 10, 80, 20);
  auto* e2 = Add<TEdit>(form, 10, 40, 80, 20);
  auto* b = Add<TButton>(form, 10, 70, 80, 20);
  auto* skip = Add<TEdit>(form, 10, 100, 80, 20);
  skip->SetTabStop(false);
  auto* hidden = Add<TEdit>(form, 100, 10, 80, 20);
  hidden->Hide();
  e2->SetTabOrder(0);
  b->SetTabOrder(1);  // order: e2, b, e1, skip, hidden
  ShowForm();
  EXPECT_TRUE(e2->Focused());
  EXPECT_EQ(form->ActiveControl(), e2);

  struct Step {
    unsigned shift;
    TWinControl* expected;
  };
  const Step steps[] = {
      {0, b}, {0, e1}, {0, e2}, {kx::headless::kShift, e1}, {kx::headless::kShift, b}};
  for (const Step& s : steps) {
    kx::headless::PressKey(VK_TAB, s.shift);
    EXPECT_TRUE(s.expected->Focused()) << "after Tab with shift " << s.shift;
    EXPECT_EQ(form->ActiveControl(), s.expected);
  }
}

TEST_F(ControlsTest, ActiveControlGetsTheFocusOnActivation) {
  Add<TEdit>(form, 10, 10, 80, 20);
  auto* e2 = Add<TEdit>(form, 10, 40, 80, 20);
  form->SetActiveControl(e2);
  ShowForm();
  EXPECT_TRUE(e2->Focused());
}

TEST_F(ControlsTest, AControlThatWantsTabsKeepsTheFocus) {
  auto* w = Add<TWindowedProbe>(form, 10, 10, 50, 20);
  w->SetTabStop(true);
  w->dialogCode = DLGC_WANTTAB;
  auto* e = Add<TEdit>(form, 10, 40, 80, 20);
  ShowForm();
  ASSERT_TRUE(w->Focused());
  kx::headless::PressKey(VK_TAB);
  EXPECT_TRUE(w->Focused());
  w->dialogCode = 0;
  kx::headless::PressKey(VK_TAB);
  EXPECT_TRUE(e->Focused());
}

TEST_F(ControlsTest, CaptureKeepsMouseMessagesWhileDraggingOutside) {
  auto* g = Add<TGraphicProbe>(form, 10, 10, 40, 40);
  auto* w = Add<TWindowedProbe>(form, 100, 10, 40, 40);
  ShowForm();
  auto drag = [](TControl* c, int outX, int outY, bool releaseInside) {
    TPoint in = c->ClientToParent(Point(5, 5));
    kx::headless::MouseDown(in.x, in.y);
    kx::headless::MouseMove(outX, outY);
    if (releaseInside) kx::headless::MouseMove(in.x, in.y);
    TPoint up = releaseInside ? in : Point(outX, outY);
    kx::headless::MouseUp(up.x, up.y);
  };
  drag(g, 180, 140, false);
  ASSERT_FALSE(g->moves.empty());
  EXPECT_EQ(g->moves.back().x, 170) << "moves outside arrive in the control's coordinates";
  EXPECT_EQ(g->moves.back().y, 130);
  EXPECT_EQ(g->ups, 1);
  EXPECT_EQ(g->clicks, 0) << "released outside: no click";
  EXPECT_FALSE(g->MouseCapture());
  drag(g, 180, 140, true);
  EXPECT_EQ(g->clicks, 1);

  drag(w, 20, 140, false);
  ASSERT_FALSE(w->moves.empty());
  EXPECT_EQ(w->moves.back().x, -80);
  EXPECT_EQ(w->clicks, 0);
  EXPECT_EQ(w->ups, 1);
  drag(w, 20, 140, true);
  EXPECT_EQ(w->clicks, 1);
}

TEST_F(ControlsTest, EnterAndLeaveFollowTheMouse) {
  auto* g = Add<TGraphicProbe>(form, 10, 10, 50, 50);
  auto* w = Add<TWindowedProbe>(form, 100, 10, 50, 50);
  int events = 0;
  g->SetOnMouseEnter(TNotifyEvent([&](TObject*) { events += 1; }));
  g->SetOnMouseLeave(TNotifyEvent([&](TObject*) { events += 10; }));
  ShowForm();
  kx::headless::MouseMove(20, 20);
  EXPECT_EQ(g->enters, 1);
  EXPECT_TRUE(g->MouseInClient());
  kx::headless::MouseMove(30, 30);
  EXPECT_EQ(g->enters, 1);
  kx::headless::MouseMove(120, 20);
  EXPECT_EQ(g->leaves, 1);
  EXPECT_EQ(w->enters, 1);
  kx::headless::MouseMove(5, 100);
  EXPECT_EQ(w->leaves, 1);
  EXPECT_EQ(events, 11);
  EXPECT_FALSE(g->MouseInClient());
}

TEST_F(ControlsTest, AlignPlacesChildrenAndFollowsAResize) {
  auto* host = Add<TPanel>(form, 0, 0, 200, 150);
  host->SetBevelOuter(bvNone);
  auto* top = new TPanel(form);
  top->SetParent(host);
  top->SetHeight(30);
  top->SetAlign(alTop);
  auto* bottom = new TPanel(form);
  bottom->SetParent(host);
  bottom->SetHeight(20);
  bottom->SetAlign(alBottom);
  auto* client = new TPanel(form);
  client->SetParent(host);
  client->SetAlign(alClient);
  ShowForm();
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 200, 30));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 130, 200, 150));
  EXPECT_EQ(client->BoundsRect(), Rect(0, 30, 200, 130));

  host->SetBounds(0, 0, 300, 200);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 300, 30));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 180, 300, 200));
  EXPECT_EQ(client->BoundsRect(), Rect(0, 30, 300, 180));

  bottom->Hide();
  EXPECT_EQ(client->BoundsRect(), Rect(0, 30, 300, 200));

  // Bevel and border width shrink the area aligned children may use.
  host->SetBevelOuter(bvRaised);
  host->SetBorderWidth(2);
  EXPECT_EQ(top->BoundsRect(), Rect(3, 3, 297, 33));
  EXPECT_EQ(client->BoundsRect(), Rect(3, 33, 297, 197));
}

TEST_F(ControlsTest, AnchorsKeepTheirDistancesOnAResize) {
  auto* host = Add<TPanel>(form, 0, 0, 200, 150);
  struct Case {
    TAnchors anchors;
    TRect before;
    TRect after;  // host grows by 100 x 50
  };
  const Case cases[] = {
      {DefaultAnchors, Rect(10, 10, 60, 30), Rect(10, 10, 60, 30)},
      {AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akRight), Rect(10, 10, 190, 30),
       Rect(10, 10, 290, 30)},
      {AnchorBit(akTop) | AnchorBit(akRight), Rect(150, 10, 190, 30), Rect(250, 10, 290, 30)},
      {AnchorBit(akLeft) | AnchorBit(akBottom), Rect(10, 120, 60, 140), Rect(10, 170, 60, 190)},
      {AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akRight) | AnchorBit(akBottom),
       Rect(10, 10, 190, 140), Rect(10, 10, 290, 190)},
      {0, Rect(50, 50, 70, 70), Rect(100, 75, 120, 95)},
  };
  std::vector<TControl*> controls;
  for (const Case& c : cases) {
    auto* g = new TGraphicProbe(form);
    g->SetParent(host);
    g->SetBoundsRect(c.before);
    g->SetAnchors(c.anchors);
    controls.push_back(g);
  }
  ShowForm();
  host->SetBounds(0, 0, 300, 200);
  for (size_t i = 0; i < controls.size(); ++i)
    EXPECT_EQ(controls[i]->BoundsRect(), cases[i].after) << "case " << i;
  host->SetBounds(0, 0, 200, 150);
  for (size_t i = 0; i < controls.size(); ++i)
    EXPECT_EQ(controls[i]->BoundsRect(), cases[i].before) << "case " << i << " back";
}

TEST_F(ControlsTest, ParentColorAndFontFollowTheParent) {
  form->Font()->SetHeight(-20);
  auto* label = Add<TLabel>(form, 0, 0, 50, 20);
  auto* own = Add<TLabel>(form, 0, 30, 50, 20);
  own->Font()->SetName(u"Verdana");
  EXPECT_FALSE(own->ParentFont()) << "changing the font clears ParentFont";
  EXPECT_TRUE(label->ParentColor());
  EXPECT_EQ(label->Color(), clWhite);
  EXPECT_EQ(label->Font()->Height(), -20);

  form->SetColor(clYellow);
  form->Font()->SetHeight(-9);
  EXPECT_EQ(label->Color(), clYellow);
  EXPECT_EQ(label->Font()->Height(), -9);
  EXPECT_TRUE(label->ParentFont());
  EXPECT_EQ(own->Font()->Height(), -20);

  label->SetColor(clRed);
  EXPECT_FALSE(label->ParentColor());
  form->SetColor(clBlue);
  EXPECT_EQ(label->Color(), clRed);
  label->SetParentColor(true);
  EXPECT_EQ(label->Color(), clBlue);
}

TEST_F(ControlsTest, RightClickOpensThePopupMenuUnlessHandled) {
  auto* g = Add<TGraphicProbe>(form, 10, 10, 50, 50);
  auto* menu = new TPopupMenu(form);
  auto* item = new TMenuItem(form);
  item->SetCaption(u"Item");
  menu->Items()->Add(item);
  g->SetPopupMenu(menu);
  ShowForm();
  kx::headless::Click(20, 20, kx::headless::Button::Right);
  EXPECT_TRUE(menu->IsOpen());
  EXPECT_EQ(menu->PopupComponent(), g);
  menu->CloseMenu();

  g->SetOnContextPopup(TContextPopupEvent([](TObject*, TPoint, bool& handled) { handled = true; }));
  kx::headless::Click(20, 20, kx::headless::Button::Right);
  EXPECT_FALSE(menu->IsOpen());

  delete menu;
  EXPECT_EQ(g->PopupMenu(), nullptr) << "the reference is cleared when the menu goes";
}

TEST_F(ControlsTest, DestroyingAChildRemovesItFromItsParent) {
  auto* panel = Add<TPanel>(form, 0, 0, 100, 100);
  auto* g = new TGraphicProbe(form);
  g->SetParent(panel);
  auto* e = new TEdit(form);
  e->SetParent(panel);
  ShowForm();
  EXPECT_EQ(panel->ControlCount(), 2);
  delete g;
  EXPECT_EQ(panel->ControlCount(), 1);
  delete panel;  // the edit survives without a parent or a window
  EXPECT_EQ(e->Parent(), nullptr);
  EXPECT_FALSE(e->HandleAllocated());
  kx::headless::Tick(0);
}

}  // namespace
}  // namespace kx::test
