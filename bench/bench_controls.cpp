// The controls' performance: painting the wizard's field (< 300 us), painting a step label
// (< 500 us), and a typed character from key event to the presented repaint (< 2 ms).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "controls/FlatEdit.h"
#include "controls/HTMLLabel.h"
#include "controls/Register.h"
#include "framework/Forms.h"
#include "framework/Register.h"
#include "framework/Streaming.h"
#include "platform/display/Headless.h"
#include "platform/user/User.h"

namespace {

constexpr char kLayout[] =
    "object Form1: TForm\n"
    "  BorderStyle = bsDialog\n  ClientHeight = 592\n  ClientWidth = 445\n"
    "  Color = clWhite\n  Font.Height = -13\n  Font.Name = 'Verdana'\n"
    "  object HTMLLabel4: THTMLLabel\n"
    "    Left = 16\n    Top = 212\n    Width = 411\n    Height = 92\n    AutoSize = False\n"
    "    Caption = '<B><U>Schritt 2:</U></B><br><br>Geben Sie die Kundennummer ein, die Sie "
    "nach der Registrierung per E-Mail erhalten haben:'\n"
    "    ThemeMode = ttmNone\n    WordWrap = True\n"
    "  end\n"
    "  object FlatEdit1: TFlatEdit\n"
    "    Left = 126\n    Top = 314\n    Width = 193\n    Height = 24\n"
    "    BorderColorDkShadow = clWhite\n    BorderColorFace = clWhite\n"
    "    BorderColorHighlight = 12283648\n    BorderColorShadow = 12283648\n"
    "    BorderColorWindow = 12283648\n    Flat = True\n    ThemeMode = ttmNone\n"
    "  end\n"
    "end\n";

// The wizard's field, counting its paints so the figures prove that a paint ran.
class TCountedEdit : public TFlatEdit {
 public:
  using TFlatEdit::TFlatEdit;
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    TFlatEdit::Paint();
  }
};

struct Wizard {
  Wizard() {
    kx::headless::Start();
    RegisterFrameworkClasses();
    RegisterControlsClasses();
    form = new TForm(nullptr);
    TLayoutError err;
    if (!ReadComponentText(kLayout, form, &err)) std::abort();
    form->Show();
    kx::headless::Tick(0);
    auto* loaded = dynamic_cast<TFlatEdit*>(form->FindComponent("FlatEdit1"));
    edit = new TCountedEdit(form);
    edit->SetParent(form);
    edit->SetBoundsRect(loaded->BoundsRect());
    edit->SetFlat(true);
    edit->SetBorderColorDkShadow(clWhite);
    edit->SetBorderColorFace(clWhite);
    edit->SetBorderColorHighlight(12283648);
    edit->SetBorderColorShadow(12283648);
    edit->SetBorderColorWindow(12283648);
    edit->SetThemeMode(ttmNone);
    delete loaded;
    form->FocusControl(edit);
    kx::headless::Tick(0);
    label = dynamic_cast<THTMLLabel*>(form->FindComponent("HTMLLabel4"));
  }
  TForm* form = nullptr;
  TCountedEdit* edit = nullptr;
  THTMLLabel* label = nullptr;
};

Wizard& W() {
  static Wizard w;
  return w;
}

void BM_PaintWizardField(benchmark::State& state) {
  Wizard& w = W();
  w.edit->SetText(u"  12345 ");
  kx::headless::Tick(0);
  const int before = w.edit->paints;
  for (auto _ : state) {
    w.edit->Invalidate();
    UpdateWindow(w.edit->Handle());
  }
  state.counters["paints"] =
      benchmark::Counter(double(w.edit->paints - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PaintWizardField)->Unit(benchmark::kMicrosecond);

void BM_PaintStepLabel(benchmark::State& state) {
  Wizard& w = W();
  for (auto _ : state) {
    w.label->Invalidate();
    UpdateWindow(w.form->Handle());
  }
}
BENCHMARK(BM_PaintStepLabel)->Unit(benchmark::kMicrosecond);

void BM_TypedCharacterToPresentedRepaint(benchmark::State& state) {
  Wizard& w = W();
  kx::headless::Click(200, 326);
  const int before = w.edit->paints;
  int n = 0;
  for (auto _ : state) {
    kx::headless::TypeText(u"7");
    if (++n == 16) {
      state.PauseTiming();
      w.edit->SetText(u"");
      kx::headless::Tick(0);
      n = 0;
      state.ResumeTiming();
    }
  }
  state.counters["paints"] =
      benchmark::Counter(double(w.edit->paints - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TypedCharacterToPresentedRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("FONTCONFIG_FILE", KX_TEST_FONTCONFIG, 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
