// A full repaint of a 445 x 592 form with ten controls, presented on the headless display.
#include <benchmark/benchmark.h>

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Register.h"
#include "framework/StdCtrls.h"
#include "platform/display/Headless.h"
#include "platform/user/User.h"

namespace {

template <class T>
T* Add(TForm* form, TWinControl* parent, int l, int t, int w, int h) {
  T* c = new T(form);
  c->SetParent(parent);
  c->SetBounds(l, t, w, h);
  return c;
}

TLabel* Text(TForm* form, TWinControl* parent, int l, int t, int w, int h, const char16_t* s) {
  auto* label = Add<TLabel>(form, parent, l, t, w, h);
  label->SetAutoSize(false);
  label->SetWordWrap(true);
  label->SetCaption(s);
  return label;
}

void BM_FullRepaint(benchmark::State& state) {
  kx::headless::Start();
  RegisterFrameworkClasses();
  auto* form = new TForm(nullptr);
  form->SetBorderStyle(bsDialog);
  form->SetClientWidth(445);
  form->SetClientHeight(592);
  form->SetColor(clWhite);
  form->Font()->SetName(u"Verdana");
  form->Font()->SetHeight(-13);
  auto* band = Add<TPanel>(form, form, 0, 0, 445, 65);
  band->SetBevelOuter(bvNone);
  band->SetColor(TColor(13531904));
  Text(form, band, 16, 3, 411, 59, u"Kostenlose Registrierung f\u00fcr die Vollversion");
  Text(form, form, 16, 82, 411, 70,
       u"Schritt 1: Klicken Sie den folgenden Link und registrieren Sie sich:");
  Text(form, form, 16, 152, 411, 27, u"Jetzt registrieren");
  Text(form, form, 16, 212, 411, 92,
       u"Schritt 2: Geben Sie die Kundennummer ein, die Sie nach der Registrierung per "
       u"E-Mail erhalten haben:");
  Text(form, form, 0, 318, 120, 16, u"Kundennummer:");
  Add<TEdit>(form, form, 126, 314, 193, 24);
  Text(form, form, 16, 375, 411, 74,
       u"Schritt 3: Laden Sie die Vollversion herunter und installieren Sie diese auf Ihrem "
       u"Computer:");
  Add<TButton>(form, form, 126, 461, 193, 38)->SetCaption(u"Vollversion herunterladen");
  auto* note = Add<TPanel>(form, form, 0, 527, 445, 65);
  note->SetBevelOuter(bvNone);
  note->SetColor(TColor(13892094));
  note->SetCaption(u"Bitte achten Sie auf die korrekte Eingabe Ihrer Daten.");
  form->Show();
  kx::headless::Tick(0);

  for (auto _ : state) {
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    kx::headless::Tick(0);  // paints everything and presents the back buffer
  }
  delete form;
  kx::headless::Tick(0);
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
