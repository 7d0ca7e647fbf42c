#include "platform/display/SdlX11.h"

#include <SDL_syswm.h>
#include <dlfcn.h>
#include <errno.h>
#include <unistd.h>

#include <cstdio>

namespace kx::display {
namespace {

// The server went away (its session ended, it was killed). Xlib's own handler would call
// exit(), whose clean-up destroys the window through the dead connection and waits there
// for an answer forever, at full speed. The window is gone with the server: end now.
int ConnectionLost(Display*) {
  std::fprintf(stderr, "%s: the connection to the display was lost\n",
               program_invocation_short_name);
  _exit(1);
}

}  // namespace

bool X11Connection::Attach(SDL_Window* window) {
  display_ = nullptr;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
    return false;
  // SDL has loaded libX11 already; this only looks it up.
  void* lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
  if (!lib) return false;
  flush_ = reinterpret_cast<int (*)(void*)>(dlsym(lib, "XFlush"));
  using IOErrorHandler = int (*)(Display*);
  auto setIOErrorHandler =
      reinterpret_cast<IOErrorHandler (*)(IOErrorHandler)>(dlsym(lib, "XSetIOErrorHandler"));
  dlclose(lib);  // SDL keeps its own reference
  if (!flush_) return false;
  if (setIOErrorHandler) setIOErrorHandler(&ConnectionLost);
  display_ = info.info.x11.display;
  return display_ != nullptr;
}

int X11Connection::Fd() const {
  return ConnectionNumber(static_cast<Display*>(display_));
}

bool X11Connection::HasQueuedEvents() const {
  return QLength(static_cast<Display*>(display_)) > 0;
}

void X11Connection::Flush() const {
  flush_(display_);
}

}  // namespace kx::display
