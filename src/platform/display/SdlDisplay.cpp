// The SDL2 back end: one top-level window, a fixed-size dialog centred on the primary
// screen. SDL events become window-system input; the composed back buffer is copied to the
// window surface.
#include <SDL.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>

#include "platform/display/DisplayBackend.h"
#include "platform/display/SdlX11.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/User.h"
#include "platform/user/WindowSystem.h"

namespace kx::display {
namespace {

UINT VirtualKey(SDL_Keycode k) {
  if (k >= SDLK_a && k <= SDLK_z) return UINT('A' + (k - SDLK_a));
  if (k >= SDLK_0 && k <= SDLK_9) return UINT('0' + (k - SDLK_0));
  if (k >= SDLK_F1 && k <= SDLK_F12) return UINT(VK_F1 + (k - SDLK_F1));
  switch (k) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_END:
      return VK_END;
    case SDLK_PAGEUP:
      return VK_PRIOR;
    case SDLK_PAGEDOWN:
      return VK_NEXT;
    case SDLK_INSERT:
      return VK_INSERT;
    case SDLK_DELETE:
      return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
      return VK_MENU;
    case SDLK_APPLICATION:
      return VK_APPS;
    default:
      return 0;
  }
}

unsigned Modifiers(Uint16 mod) {
  unsigned m = 0;
  if (mod & KMOD_SHIFT) m |= 1;
  if (mod & KMOD_CTRL) m |= 2;
  if (mod & KMOD_ALT) m |= 4;
  return m;
}

bool German() {
  return PRIMARYLANGID(GetSystemDefaultLangID()) == 0x07;
}

const char* NamedDrivers() {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  const bool onX = x && *x, onWayland = w && *w;
  if (onX && onWayland) return "x11,wayland";
  return onWayland ? "wayland" : "x11";
}

class SdlBackend : public Backend {
 public:
  bool Init() {
    // SIGINT and SIGTERM arrive as SDL_QUIT, which asks the window to close like its close
    // button does; closing the window itself sends no second request.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // The window's pixels come from cairo and go straight to the window surface. Left to
    // itself, SDL would first open an OpenGL context only to decide how to present them,
    // which loads the whole GL driver: tens of megabytes and a tenth of a second.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // When the display cannot be reached SDL falls back to drivers that show nothing, and
    // the program would run where nobody sees it. Only the drivers of the displays named
    // in the environment are tried, unless SDL_VIDEODRIVER names one.
    if (!std::getenv("SDL_VIDEODRIVER")) SDL_SetHint(SDL_HINT_VIDEODRIVER, NamedDrivers());
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    wakeEvent_ = SDL_RegisterEvents(1);
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return wakeEvent_ != Uint32(-1) && wakeFd_ >= 0;
  }

  ~SdlBackend() override {
    CloseWindow();
    for (auto& [id, c] : cursors_)
      SDL_FreeCursor(c);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (wakeFd_ >= 0) close(wakeFd_);
  }

  DisplayKind Kind() const override { return DisplayKind::Sdl; }

  SIZE ScreenSize() override {
    SDL_Rect r;
    if (SDL_GetDisplayBounds(0, &r) != 0) return SIZE{1024, 768};
    return SIZE{r.w, r.h};
  }

  bool OpenWindow(int width, int height, std::u16string_view title) override {
    if (window_) return true;
    window_ = SDL_CreateWindow(kx::Utf16ToUtf8(title).c_str(), SDL_WINDOWPOS_CENTERED,
                               SDL_WINDOWPOS_CENTERED, std::max(width, 1), std::max(height, 1),
                               SDL_WINDOW_HIDDEN);
    if (!window_) return false;
    SDL_StartTextInput();
    waitOnX11_ = x11_.Attach(window_);
    Touch();
    return true;
  }

  void CloseWindow() override {
    if (!window_) return;
    SDL_StopTextInput();
    waitOnX11_ = false;
    x11_.Detach();
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    lastTarget_ = nullptr;
    shown_ = false;
  }

  void ShowWindow(bool show) override {
    if (!window_) return;
    Touch();
    if (show) {
      SDL_ShowWindow(window_);
      SDL_RaiseWindow(window_);
    } else {
      SDL_HideWindow(window_);
    }
    shown_ = show;
  }

  void ResizeWindow(int width, int height) override {
    if (!window_) return;
    Touch();
    SDL_SetWindowSize(window_, std::max(width, 1), std::max(height, 1));
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }

  void SetTitle(std::u16string_view title) override {
    if (!window_) return;
    Touch();
    SDL_SetWindowTitle(window_, kx::Utf16ToUtf8(title).c_str());
  }

  POINT WindowPosition(POINT centred) override {
    if (!window_) return centred;
    Touch();
    int x = 0, y = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    return POINT{x, y};
  }

  void Present(cairo_surface_t* image, RECT area) override {
    if (!window_) return;
    Touch();
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target) return;
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(
        cairo_image_surface_get_data(image), cairo_image_surface_get_width(image),
        cairo_image_surface_get_height(image), 32, cairo_image_surface_get_stride(image),
        SDL_PIXELFORMAT_ARGB8888);
    if (!src) return;
    SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
    // A new window surface (first present, resize) is shown whole.
    SDL_Rect r{area.left, area.top, area.right - area.left, area.bottom - area.top};
    if (target != lastTarget_) r = SDL_Rect{0, 0, src->w, src->h};
    lastTarget_ = target;
    SDL_Rect dst = r;
    SDL_BlitSurface(src, &r, target, &dst);
    SDL_FreeSurface(src);
    SDL_UpdateWindowSurfaceRects(window_, &r, 1);
    if (!firstFrameReported_) ReportFirstFrame();
  }

  void Pump() override {
    if (PumpDue()) PumpNow();
    HandleFetched();
  }

  bool Wait(int timeoutMs) override {
    // SDL blocks in the video driver only with a shown window to wake; otherwise it would
    // poll, and the caller's condition variable is the better wait.
    if (!window_ || !shown_) return false;
    if (!x11_.Attached()) {
      SDL_Event e;
      int got = timeoutMs < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeoutMs);
      if (got) Handle(e);
      return true;
    }
    if (PumpDue()) PumpNow();
    if (HandleFetched()) return true;
    // Nothing is waiting on our side of the connection: sleep on it and on Wake.
    if (unflushed_) {
      unflushed_ = false;
      x11_.Flush();
    }
    pollfd fds[2] = {{x11_.Fd(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    int limit = kPumpAtLeastEveryMs;
    if (timeoutMs >= 0 && timeoutMs < limit) limit = timeoutMs;
    const int ready = poll(fds, 2, limit);
    if (fds[1].revents & POLLIN) {
      wakePending_ = false;
      eventfd_t n;
      (void)eventfd_read(wakeFd_, &n);
    }
    // A signal (SDL turns SIGINT and SIGTERM into a quit event while pumping) or news from
    // the server: pump now. A time-out pumps only when the periodic pump is due.
    if (ready < 0 || (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) touched_ = true;
    if (PumpDue()) PumpNow();
    HandleFetched();
    return true;
  }

  void Wake() override {
    if (wakePending_.exchange(true)) return;
    if (waitOnX11_) {
      if (eventfd_write(wakeFd_, 1) != 0) wakePending_ = false;
      return;
    }
    SDL_Event e;
    SDL_zero(e);
    e.type = wakeEvent_;
    if (SDL_PushEvent(&e) != 1) wakePending_ = false;
  }

  void SetCursorShape(int idc) override {
    Touch();
    SDL_SystemCursor id = SDL_SYSTEM_CURSOR_ARROW;
    switch (idc) {
      case IDC_IBEAM:
        id = SDL_SYSTEM_CURSOR_IBEAM;
        break;
      case IDC_HAND:
        id = SDL_SYSTEM_CURSOR_HAND;
        break;
      case IDC_WAIT:
        id = SDL_SYSTEM_CURSOR_WAIT;
        break;
      case IDC_CROSS:
        id = SDL_SYSTEM_CURSOR_CROSSHAIR;
        break;
      case IDC_SIZEALL:
        id = SDL_SYSTEM_CURSOR_SIZEALL;
        break;
      case IDC_NO:
        id = SDL_SYSTEM_CURSOR_NO;
        break;
      default:
        break;
    }
    SDL_Cursor*& c = cursors_[int(id)];
    if (!c) c = SDL_CreateSystemCursor(id);
    if (c) SDL_SetCursor(c);
  }

  void SetTextInputRect(RECT r) override {
    Touch();
    SDL_Rect s{r.left, r.top, r.right - r.left, r.bottom - r.top};
    SDL_SetTextInputRect(&s);
  }

  void WarpMouse(int x, int y) override {
    if (!window_) return;
    Touch();
    SDL_WarpMouseInWindow(window_, x, y);
  }

  bool SetClipboardText(const std::string& utf8) override {
    Touch();
    return SDL_SetClipboardText(utf8.c_str()) == 0;
  }

  bool GetClipboardText(std::string* utf8) override {
    Touch();
    if (!SDL_HasClipboardText()) return false;
    char* t = SDL_GetClipboardText();
    if (!t) return false;
    *utf8 = t;
    SDL_free(t);
    return true;
  }

  bool HasClipboardText() override {
    Touch();
    return SDL_HasClipboardText() == SDL_TRUE;
  }

  int MessageBox(std::u16string_view text, std::u16string_view caption, UINT type, HWND) override {
    Touch();
    const bool de = German();
    std::string t = kx::Utf16ToUtf8(text);
    std::string c = kx::Utf16ToUtf8(caption);
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    switch (type & 0xF0) {
      case MB_ICONHAND:
        flags = SDL_MESSAGEBOX_ERROR;
        break;
      case MB_ICONEXCLAMATION:
        flags = SDL_MESSAGEBOX_WARNING;
        break;
      default:
        break;
    }
    std::vector<SDL_MessageBoxButtonData> buttons;
    const Uint32 enter = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    const Uint32 escape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    int closed = IDOK;
    switch (type & 0x0F) {
      case MB_OKCANCEL:
        buttons = {{enter, IDOK, "OK"}, {escape, IDCANCEL, de ? "Abbrechen" : "Cancel"}};
        closed = IDCANCEL;
        break;
      case MB_YESNO:
        buttons = {{enter, IDYES, de ? "Ja" : "Yes"}, {escape, IDNO, de ? "Nein" : "No"}};
        closed = IDNO;
        break;
      default:
        buttons = {{enter | escape, IDOK, "OK"}};
        break;
    }
    SDL_MessageBoxData data{};
    data.flags = flags;
    data.window = window_;
    data.title = c.c_str();
    data.message = t.c_str();
    data.numbuttons = int(buttons.size());
    data.buttons = buttons.data();
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
      // No box could be shown (an X server without core fonts, say): the message still
      // reaches the user's terminal rather than vanishing.
      std::fprintf(stderr, "%s: %s\n(message box unavailable: %s)\n", c.c_str(), t.c_str(),
                   SDL_GetError());
      return 0;
    }
    // Everything under the box needs a fresh present.
    kx::ws::InputExposed();
    return pressed < 0 ? closed : pressed;
  }

  bool RecordShellRequest(HWND, const std::string&, const std::string&, const std::string&,
                          const std::string&, int) override {
    return false;
  }

 private:
  // Benchmarks put the wall-clock nanoseconds at which they started the program into
  // KX_LAUNCH_NS; the first presented frame then tells how long after that it went out.
  void ReportFirstFrame() {
    firstFrameReported_ = true;
    const char* launch = std::getenv("KX_LAUNCH_NS");
    if (!launch) return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long ns = (long long)now.tv_sec * 1000000000LL + now.tv_nsec - std::atoll(launch);
    std::fprintf(stderr, "kestrix: first frame presented %.1f ms after launch\n", double(ns) / 1e6);
  }

  // SDL's own housekeeping (delayed focus changes, signals turned into quit events) runs
  // only while it pumps, so it pumps at least this often.
  static constexpr int kPumpAtLeastEveryMs = 100;

  // Whether reading the connection can find anything: Xlib or its transport may hold
  // events read while one of our calls waited for a reply (touched_), the socket may be
  // readable, or the periodic pump is due. Without X11 every look pumps.
  bool PumpDue() {
    if (!x11_.Attached()) return true;
    const Uint64 now = SDL_GetTicks64();
    if (touched_ || x11_.HasQueuedEvents() || now - lastPumpMs_ >= Uint64(kPumpAtLeastEveryMs))
      return true;
    // The socket is looked at once a millisecond at most; Wait's poll sees it at once.
    if (now == lastLookMs_) return false;
    lastLookMs_ = now;
    pollfd fd{x11_.Fd(), POLLIN, 0};
    return poll(&fd, 1, 0) != 0;
  }

  // Our call may wait for a reply (reading events off the connection on the way) or leave
  // requests in Xlib's buffer.
  void Touch() {
    touched_ = true;
    unflushed_ = true;
  }

  void PumpNow() {
    touched_ = false;
    unflushed_ = true;
    lastPumpMs_ = SDL_GetTicks64();
    SDL_PumpEvents();
  }

  // Hands out the events SDL has already fetched, without reading the connection.
  bool HandleFetched() {
    bool any = false;
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
      Handle(e);
      any = true;
    }
    return any;
  }

  void Handle(const SDL_Event& e) {
    if (e.type == wakeEvent_) {
      wakePending_ = false;
      return;
    }
    switch (e.type) {
      case SDL_MOUSEMOTION:
        kx::ws::InputMouseMove(e.motion.x, e.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        kx::ws::MouseButton b = kx::ws::MouseButton::Left;
        if (e.button.button == SDL_BUTTON_RIGHT)
          b = kx::ws::MouseButton::Right;
        else if (e.button.button == SDL_BUTTON_MIDDLE)
          b = kx::ws::MouseButton::Middle;
        else if (e.button.button != SDL_BUTTON_LEFT)
          break;
        kx::ws::InputMouseButton(e.button.x, e.button.y, b, e.type == SDL_MOUSEBUTTONDOWN);
        break;
      }
      case SDL_MOUSEWHEEL: {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        int dy = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        if (dy) kx::ws::InputMouseWheel(x, y, dy * WHEEL_DELTA);
        break;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (UINT vk = VirtualKey(e.key.keysym.sym))
          kx::ws::InputKey(vk, e.type == SDL_KEYDOWN, Modifiers(e.key.keysym.mod));
        break;
      case SDL_TEXTINPUT:
        kx::ws::InputText(kx::Utf8ToUtf16(e.text.text));
        break;
      case SDL_QUIT:
        kx::ws::InputClose();
        break;
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE:
            kx::ws::InputClose();
            break;
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            kx::ws::InputExposed();
            break;
          case SDL_WINDOWEVENT_LEAVE:
            kx::ws::InputMouseOutside();
            break;
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            kx::ws::InputActivate(true);
            break;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            kx::ws::InputActivate(false);
            break;
          default:
            break;
        }
        break;
      default:
        break;
    }
  }

  SDL_Window* window_ = nullptr;
  bool firstFrameReported_ = false;
  X11Connection x11_;
  bool touched_ = true;    // one of our calls may have read events off the connection
  bool unflushed_ = true;  // requests may wait in Xlib's buffer
  Uint64 lastPumpMs_ = 0;
  Uint64 lastLookMs_ = 0;
  int wakeFd_ = -1;
  std::atomic<bool> waitOnX11_{false};  // Wake is called from any thread
  SDL_Surface* lastTarget_ = nullptr;
  bool shown_ = false;
  Uint32 wakeEvent_ = 0;
  std::atomic<bool> wakePending_{false};
  std::map<int, SDL_Cursor*> cursors_;
};

}  // namespace

Backend* CreateSdlBackend() {
  auto* b = new SdlBackend;
  if (!b->Init()) {
    delete b;
    return nullptr;
  }
  return b;
}

}  // namespace kx::display
