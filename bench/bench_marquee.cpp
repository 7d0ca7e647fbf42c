// The busy animation's costs on the headless display (virtual clock).
//
// The "core_pct" counters give the CPU time of one 10 ms tick as a share of one core at
// the timer's nominal rate: 100 ticks a second. They are CPU-time rates, so they do not
// depend on how fast the virtual clock is advanced.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <time.h>

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Register.h"
#include "marquee/GPGraphics.h"
#include "marquee/Marquee.h"
#include "marquee/Register.h"
#include "platform/display/Headless.h"

namespace {

void WizardStyle(TMarquee* m) {
  TBackgroundFill* f = m->Fill();
  f->SetColor(clWhite);
  f->SetGradientType(gtSolid);
  f->SetBorderColor(clWhite);
  m->Bullets()->SetColor(clBlack);
}

// The wizard's window: 445 x 592 with the overlay panel over the steps, the marquee
// filling it.
struct Overlay {
  Overlay() {
    static bool started = [] {
      kx::headless::Start();
      RegisterFrameworkClasses();
      RegisterMarqueeClasses();
      return true;
    }();
    (void)started;
    form = new TForm(nullptr);
    form->SetColor(clWhite);
    form->SetClientWidth(445);
    form->SetClientHeight(592);
    panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 175, 445, 417);
    marquee = new TMarquee(form);
    marquee->SetParent(panel);
    marquee->SetAlign(alClient);
    WizardStyle(marquee);
    form->Show();
    kx::headless::Tick(0);
  }
  ~Overlay() {
    delete form;
    kx::headless::Tick(0);
  }
  TForm* form;
  TPanel* panel;
  TMarquee* marquee;
};

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// CPU seconds per tick / 0.01 s, in percent of one core.
void SetCorePercent(benchmark::State& state, double cpuSeconds) {
  state.counters["core_pct"] = cpuSeconds / double(state.iterations()) / 0.010 * 100.0;
}

// Fill and dots drawn into an off-screen surface of the control's size.
void BM_MarqueePaintTo(benchmark::State& state) {
  Overlay o;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 445, 417);
  float p = -261;
  for (auto _ : state) {
    o.marquee->SetPosition(p);
    p = p > 261 ? -261 : p + 3.3333333f;
    TGPGraphics g(s);
    o.marquee->PaintTo(&g);
  }
  cairo_surface_destroy(s);
}
BENCHMARK(BM_MarqueePaintTo)->Unit(benchmark::kMicrosecond);

// The whole paint message: off-screen bitmap, erase, parent background, fill, dots, block
// copy to the window, presentation of the back buffer.
void BM_MarqueePaintMessage(benchmark::State& state) {
  Overlay o;
  for (auto _ : state) {
    o.marquee->Invalidate();
    kx::headless::Tick(0);
  }
}
BENCHMARK(BM_MarqueePaintMessage)->Unit(benchmark::kMicrosecond);

// One tick of the overlay animating: the timer message, the step and its repaint.
void BM_OverlayAnimatingTick(benchmark::State& state) {
  Overlay o;
  const double start = ThreadCpuSeconds();
  for (auto _ : state)
    kx::headless::Tick(10);
  SetCorePercent(state, ThreadCpuSeconds() - start);
}
BENCHMARK(BM_OverlayAnimatingTick)->Unit(benchmark::kMicrosecond);

// One tick of a hidden marquee: the panel is hidden as between downloads.
void BM_HiddenMarqueeTick(benchmark::State& state) {
  Overlay o;
  o.panel->SetVisible(false);
  kx::headless::Tick(0);
  const double start = ThreadCpuSeconds();
  for (auto _ : state)
    kx::headless::Tick(10);
  SetCorePercent(state, ThreadCpuSeconds() - start);
}
BENCHMARK(BM_HiddenMarqueeTick)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
