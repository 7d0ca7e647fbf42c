// The HTML text engine's performance targets: every wizard caption parsed and laid out
// warm (< 50 us), plain text of 4/16/64 KB wrapped at 411 px (linear; 64 KB < 50 ms), and
// a step caption drawn into a 411 x 92 bitmap (< 300 us).
#include <benchmark/benchmark.h>

#include <string>

#include "framework/Graphics.h"
#include "htmltext/HTMLRender.h"
#include "platform/kernel/Unicode.h"

namespace {

struct Caption {
  const char* name;
  const char* markup;
  int width;
  int height;
};

const Caption kCaptions[] = {
    {"de_headline",
     "Kostenlose Registrierung f\xC3\xBCr die <br><b>Vollversion von <font "
     "size=22>Parvel</b></font>",
     411, -15},
    {"en_headline", "Free registration for <br><b><font size=22>Parvel</font> (full version)</b>",
     411, -15},
    {"de_step1",
     "<B><U>Schritt 1:</U></B><br><br>Klicken Sie den folgenden Link und registrieren Sie sich:",
     411, -13},
    {"en_step1", "<B><U>Step 1:</U></B><br><br>Click the following link and register:", 411, -13},
    {"de_step2",
     "<B><U>Schritt 2:</U></B><br><br>Geben Sie die Kundennummer ein, die Sie nach der "
     "Registrierung per E-Mail erhalten haben:",
     411, -13},
    {"en_step2",
     "<B><U>Step 2:</U></B><br><br>Enter your customer ID received by e-mail once your "
     "registration succeeded:",
     411, -13},
    {"de_step3",
     "<B><U>Schritt 3:</U></B><br><br>Laden Sie die Vollversion herunter und installieren Sie "
     "diese auf Ihrem Computer:",
     411, -13},
    {"en_step3",
     "<B><U>Step 3:</U></B><br><br>Download and install full version on your computer:", 411, -13},
    {"de_note",
     "Bitte achten Sie auf die <B>korrekte Eingabe</B> Ihrer Daten, da eine Registrierung sonst "
     "nicht m\xC3\xB6glich ist!",
     413, -13},
    {"en_note",
     "Please pay attention to the <B>correct input of your data</B>, otherwise registration will "
     "fail!",
     413, -13},
};

void Setup(THTMLRender& r, int height) {
  r.Data()->SetDefaultFont(u"Verdana");
  r.Data()->SetDefaultHeight(height);
}

void BM_ParseCaption(benchmark::State& state) {
  const Caption& c = kCaptions[state.range(0)];
  THTMLRender r;
  Setup(r, c.height);
  const std::u16string text = kx::Utf8ToUtf16(c.markup);
  r.PrepareText(text, c.width, true);  // warm: fonts measured once
  for (auto _ : state) {
    r.PrepareText(text, c.width, true);
    benchmark::DoNotOptimize(r.Data()->TextSize());
  }
  state.SetLabel(c.name);
}
BENCHMARK(BM_ParseCaption)
    ->DenseRange(0, int(std::size(kCaptions)) - 1)
    ->Unit(benchmark::kMicrosecond);

void BM_WrapPlainText(benchmark::State& state) {
  const size_t bytes = size_t(state.range(0)) * 1024;
  const std::string words =
      "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
      "incididunt ut labore et dolore magna aliqua. ";
  std::string text;
  while (text.size() < bytes)
    text += words;
  text.resize(bytes);
  const std::u16string u = kx::Utf8ToUtf16(text);
  THTMLRender r;
  Setup(r, -13);
  r.PrepareText(u, 411, true);
  for (auto _ : state) {
    r.PrepareText(u, 411, true);
    benchmark::DoNotOptimize(r.Data()->TextSize());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}
BENCHMARK(BM_WrapPlainText)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

void BM_DrawStepCaption(benchmark::State& state) {
  THTMLRender r;
  Setup(r, -13);
  r.PrepareText(kx::Utf8ToUtf16(kCaptions[4].markup), 411, true);
  TBitmap bitmap(411, 92);
  TCanvas* canvas = bitmap.Canvas();
  for (auto _ : state) {
    r.DrawText(canvas, Point(0, 0), Rect(0, 0, 411, 92), clNone);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DrawStepCaption)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
