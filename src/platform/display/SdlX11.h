// The X connection under SDL's window, for waiting on it directly. SDL's own wait asks the
// server for news several times per call; a loop that wakes a hundred times a second
// (an animation timer) would spend most of its time there. Kept apart from the SDL back
// end because Xlib's headers define names (Window, None, Status) that clash with ours.
#pragma once

#include <SDL.h>

namespace kx::display {

class X11Connection {
 public:
  // Takes the connection of `window` when SDL drives it through X11 and libX11 gives its
  // flush function; false otherwise (another driver: use SDL's wait).
  bool Attach(SDL_Window* window);
  void Detach() { display_ = nullptr; }
  bool Attached() const { return display_ != nullptr; }

  int Fd() const;
  // Events Xlib has already read and queued (no system call).
  bool HasQueuedEvents() const;
  // Sends the requests Xlib still holds, so the server acts on them before we sleep.
  void Flush() const;

 private:
  void* display_ = nullptr;
  int (*flush_)(void*) = nullptr;
};

}  // namespace kx::display
