// Kestrix: the upgrade wizard's entry. It takes no command line and reads no files.
#include <cstdio>
#include <cstdlib>

#include "framework/Forms.h"
#include "platform/display/Display.h"
#include "wizard/Form1.h"

namespace {

// The wizard is its window: without a display to show it on, it says so and ends.
bool OpenDisplay() {
  if (!kx::DisplayAvailable()) {
    std::fprintf(stderr, "kestrix: no display to show the window on (DISPLAY is not set)\n");
    return false;
  }
  if (kx::InitDisplay(kx::DisplayKind::Sdl)) return true;
  const char* x = std::getenv("DISPLAY");
  const char* name = x && *x ? x : std::getenv("WAYLAND_DISPLAY");
  std::fprintf(stderr, "kestrix: cannot open the display \"%s\"\n", name);
  return false;
}

}  // namespace

int main() {
  if (!OpenDisplay()) return 1;
  Application->Initialize();
  Application->SetMainFormOnTaskBar(true);
  Application->SetTitle(u"Kestrix");
  TForm1* Form1 = nullptr;
  Application->CreateForm(Form1);
  Application->Run();
  return 0;
}
