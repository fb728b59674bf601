#include "runtime/backends/desktop/desktop_platform.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <locale.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef MORVANE_DESKTOP_X11
#include <X11/Xlib.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>
#include <utility>

#include "runtime/backends/desktop/access_host.h"
#include "runtime/backends/desktop/display_loss.h"
#include "runtime/backends/desktop/prefault.h"
#include "runtime/backends/desktop/sdl_keys.h"
#include "runtime/backends/desktop/start_thread.h"
#include "runtime/backends/desktop/window_manager.h"
#include "runtime/backends/desktop/window_presenter.h"
#include "runtime/backends/desktop/x11_errors.h"
#include "runtime/core/controls/caption_text.h"

namespace morvane::runtime {

namespace {

struct WindowDeleter {
  void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};

// Runs `init` with standard error held back in a temporary file: what the display
// libraries print while they look for a display is passed on when one is found, and
// dropped when none is (the caller then says so in one line of its own).
bool quietly_unless_successful(bool (*init)()) {
  std::fflush(stderr);
  std::FILE* held = std::tmpfile();
  const int saved = held ? dup(STDERR_FILENO) : -1;
  if (saved < 0 || dup2(fileno(held), STDERR_FILENO) < 0) {
    if (saved >= 0) close(saved);
    if (held) std::fclose(held);
    return init();
  }
  const bool ok = init();
  std::fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);
  if (ok) {
    std::rewind(held);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, held)) > 0) std::fwrite(buf, 1, n, stderr);
  }
  std::fclose(held);
  return ok;
}

// True when SDL settled on a driver that shows nothing, which it does when it finds
// no display, unless that driver was asked for by name.
bool invisible_driver() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0)) return false;
  const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  return !asked || std::strstr(asked, driver) == nullptr;
}

bool init_video() {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  if (!invisible_driver()) return true;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_Quit();
  SDL_SetError("no X11 or Wayland display was found");
  return false;
}

// The program takes no text, only keys, yet SDL opens the input method as it reaches the
// display, and the input method reads the locale's whole compose table: 9 ms of parsing
// in zh_CN.UTF-8, 0.6 ms in C. An empty table leaves the keys as they are. Set before
// any thread starts, since the environment is not safe to change beside a reader.
void leave_out_compose_table() { setenv("XCOMPOSEFILE", "/dev/null", 1); }

// Brings up the video subsystem on a real display; false (with SDL's error set) if there is none.
bool start_video() {
  // Draw through the plain window surface: the accelerated path costs time and
  // memory for nothing when the picture is already in a framebuffer.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // An ordinary window, not a game: the screen saver may come on as usual, and the
  // desktop's compositor keeps working while the window is shown.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  ignore_sends_to_destroyed_windows();
  return quietly_unless_successful(init_video);
}

struct NoDisplay : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Why no window can be opened. A display that the environment names but that cannot be
// reached is a fault of its own (a server that ended, a wrong number, a refused
// connection), told apart from no display at all by its name.
std::string no_display_reason() {
  std::string named;
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    named += (named.empty() ? "" : " or ") + std::string(value) + " named by " + variable;
  }
  if (named.empty()) return std::string("no display to open the window on: ") + SDL_GetError();
  return "the display " + named + " cannot be reached";
}

// The video subsystem, up for the life of a run.
class Video {
 public:
  Video() {
    if (!start_video()) throw NoDisplay(no_display_reason());
    end_cleanly_on_display_loss();
  }
  ~Video() {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
  }
  Video(const Video&) = delete;
  Video& operator=(const Video&) = delete;
};

void show_icon(SDL_Window* window, std::span<const std::uint8_t> rgba, int side) {
  if (rgba.empty()) return;
  if (side <= 0 || rgba.size() != static_cast<std::size_t>(side) * static_cast<std::size_t>(side) * 4) {
    std::fprintf(stderr, "morvane: the window icon is left out: %zu bytes are not %d x %d pixels\n", rgba.size(),
                 side, side);
    return;
  }
  // SDL reads the pixels through a pointer it may write to; it gets a copy.
  std::vector<std::uint8_t> pixels(rgba.begin(), rgba.end());
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), side, side, 32, side * 4, SDL_PIXELFORMAT_RGBA32);
  if (!s) {
    std::fprintf(stderr, "morvane: the window icon is left out: %s\n", SDL_GetError());
    return;
  }
  SDL_SetWindowIcon(window, s);
  SDL_FreeSurface(s);
}

// SDL's window position for the form's start-up placement.
std::pair<int, int> sdl_position(const WindowPlacement& placement) {
  switch (placement.mode) {
    case WindowPlacement::Mode::at: return {placement.x, placement.y};
    case WindowPlacement::Mode::centred: return {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED};
    case WindowPlacement::Mode::system_default: break;
  }
  return {SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED};
}

// The window's first frame, painted on a thread of its own while SDL connects to the
// display and makes the window. A first start without the font cache spends several
// milliseconds loading fontconfig and opening the faces, which then overlap with the
// round trips to the display server. Nothing else touches the shell or the window's
// model until take() has returned.
//
// The thread keeps a copy of the locale the process had when it started: SDL's X11
// keyboard set-up switches the process's locale for a moment, and fontconfig reads
// numbers in the locale's way.
class FirstFrame {
 public:
  FirstFrame(PlatformShell& shell, FormWindow& window)
      : shell_(shell),
        window_(window),
        width_(window.client_width()),
        height_(window.client_height()),
        segment_wanted_(names_x_display()) {
#ifdef __GLIBC__
    // Every thread allocates from the one arena: an arena of the thread's own would
    // keep about 250 KiB more at the peak of a program that is busy on two threads
    // only for its first few milliseconds.
    mallopt(M_ARENA_MAX, 1);
#endif
    locale_t locale = duplocale(LC_GLOBAL_LOCALE);
    try {
      painter_.emplace([this, locale] {
        if (locale) uselocale(locale);
        struct Free {  // once the thread no longer uses it, on every way out
          locale_t own;
          ~Free() {
            if (!own) return;
            uselocale(LC_GLOBAL_LOCALE);
            freelocale(own);
          }
        } free_locale{locale};
        paint();
      });
    } catch (const std::system_error&) {
      if (locale) freelocale(locale);  // no thread to be had: painted by take()
    }
  }
  FirstFrame(const FirstFrame&) = delete;
  FirstFrame& operator=(const FirstFrame&) = delete;

  // The shared memory that the window's first frame will be copied into on X11, faulted
  // in by the thread once it has painted, or here if this thread gets there first (a
  // first start, when the thread is still looking for the fonts); nullptr elsewhere.
  X11ShmPresenter::PreparedSegment segment() {
    if (!segment_wanted_) return nullptr;
    if (!segment_claimed_.exchange(true)) return X11ShmPresenter::prepare(width_, height_);
    take();  // the thread has it, or is making it
    return std::move(segment_);
  }

  // Waits for the frame (painting it here if no thread could be started); rethrows
  // what the painting threw.
  void take() {
    if (painter_) {
      painter_->join();
      painter_.reset();
    } else if (!done_) {
      paint();
    }
  }

 private:
  void paint() {
    // The framebuffer's pages are faulted in at once rather than one by one as the
    // first clear reaches them.
    const std::size_t pixels =
        static_cast<std::size_t>(std::max(width_, 0)) * static_cast<std::size_t>(std::max(height_, 0));
    std::vector<std::uint32_t>& storage = shell_.framebuffer().pixels;
    if (storage.capacity() < pixels) {
      storage.reserve(pixels);
      prefault_for_writing(storage.data(), pixels * sizeof(std::uint32_t));
    }
    shell_.fit(window_);
    shell_.paint_dirty(window_);
    done_ = true;
    if (segment_wanted_ && !segment_claimed_.exchange(true)) segment_ = X11ShmPresenter::prepare(width_, height_);
  }

  // Where the environment names an X display, the window will most likely be shown
  // there through shared memory.
  static bool names_x_display() {
#ifdef MORVANE_DESKTOP_X11
    const char* display = std::getenv("DISPLAY");
    return display && *display;
#else
    return false;
#endif
  }

  PlatformShell& shell_;
  FormWindow& window_;
  const int width_, height_;  // the client area's, read before the thread starts
  const bool segment_wanted_;
  std::atomic<bool> segment_claimed_{false};
  X11ShmPresenter::PreparedSegment segment_;  // made by the thread
  bool done_ = false;
  std::optional<StartThread> painter_;  // joined by its destructor, on every way out
};

}  // namespace

// One run: the window, the framebuffer behind it and the loop that feeds it.
class DesktopPlatform::Session {
 public:
  // `title` and `position` are the window's, worked out before `first_frame` began.
  Session(DesktopPlatform& platform, Runtime& runtime, const std::string& title, std::pair<int, int> position,
          FirstFrame& first_frame)
      : platform_(platform), runtime_(runtime) {
    const FormWindow& w = runtime.window();
    const auto [x, y] = position;
    window_.reset(SDL_CreateWindow(title.c_str(), x, y,
                                   std::max(1, w.client_width()), std::max(1, w.client_height()),
                                   SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN));
    if (!window_) throw std::runtime_error(std::string("cannot open the window (") + SDL_GetError() + ")");
    show_icon(window_.get(), platform.icon_rgba_, platform.icon_side_);
    SDL_StopTextInput();  // keys come as key events; no input method is needed
    presenter_.emplace(window_.get(), first_frame.segment());
    runtime.set_error_display([this](const std::string& m) {
      platform_.show_message("morvane", m, window_.get());
    });
    frame_interval_ = refresh_interval(window_.get());
    // The first frame is the whole picture, captions included.
    first_frame.take();
    SDL_ShowWindow(window_.get());
    present({fb().bounds()});
  }
  ~Session() { runtime_.set_error_display({}); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Sleeps until something happens, takes everything that is waiting, and paints and
  // shows what changed at most once per refresh of the display: a pointer moving faster
  // than the display (a drag at a 200 Hz mouse) costs one frame per refresh, and the
  // frame shown is never more than one refresh behind the pointer.
  //
  // Once something has changed, the loop sleeps until the frame is due without
  // listening to the display, then takes everything that came meanwhile at once and
  // shows the frame: a drag wakes the process about twice per refresh (the first move
  // after a frame, and the frame) instead of at every move.
  void loop() {
    SDL_Event e;
    while (!runtime_.finished()) {
      if (!access_tried_ && first_frame_shown_ && !frame_waiting_) {
        if (TextRasterizer* text = platform_.shell_.text()) text->keep_for_next_run();
        join_access_bus();
      }
      if (frame_waiting_) {
        std::this_thread::sleep_until(last_present_ + frame_interval_);
        SDL_PumpEvents();
      } else if (access_) {
        wait_with_bus();
      } else {
        if (!SDL_WaitEvent(&e)) throw std::runtime_error(std::string("lost the display (") + SDL_GetError() + ")");
        handle(e);
      }
      while (!runtime_.finished() && take_queued(e)) handle(e);
      if (runtime_.finished()) break;
      if (access_) access_->after_input();
      // What the window system lost (an expose) is shown again at once, or when the frame
      // held back is due if it came while the loop slept.
      if (!frame_waiting_ || (!full_repaint_ && Clock::now() < last_present_ + frame_interval_)) continue;
      frame_waiting_ = false;
      if (full_repaint_) {
        repaint_all();
      } else {
        present(platform_.shell_.paint_dirty(runtime_.window()));
      }
    }
  }

 private:
  using Clock = std::chrono::steady_clock;

  FormWindow& window() { return runtime_.window(); }
  Framebuffer& fb() { return platform_.shell_.framebuffer(); }

  // The next event that SDL has already read from the display, if any. A wait marks the
  // end of what it read with SDL's poll-cycle marker, which is left in the queue: the
  // next wait then takes it and waits at once, where asking for events until none comes
  // (SDL_PollEvent) would read the display once more for every wake-up.
  static bool take_queued(SDL_Event& e) {
    return SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_POLLSENTINEL - 1) == 1;
  }

  // The accessibility bus, joined once the first frame is shown and the loop has nothing
  // else to do (the font cache is written then too), so that the start pays nothing for it.
  void join_access_bus() {
    access_tried_ = true;
    display_fd_ = display_connection(window_.get());
    if (display_fd_ < 0) return;  // a display whose events cannot be waited on with the bus's
    access_ = AccessHost::start(runtime_, window_.get());
  }

  // The display's connection, to wait on, or -1 where it is not an X11 one.
  static int display_connection(SDL_Window* w) {
#ifdef MORVANE_DESKTOP_X11
    SDL_SysWMinfo wm;
    SDL_VERSION(&wm.version);
    if (SDL_GetWindowWMInfo(w, &wm) && wm.subsystem == SDL_SYSWM_X11) return ConnectionNumber(wm.info.x11.display);
#else
    (void)w;
#endif
    return -1;
  }

  // Sleeps until the display or the accessibility bus has something; the bus's work is
  // done here, and whatever it changed is shown like any input.
  void wait_with_bus() {
    SDL_PumpEvents();
    if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_POLLSENTINEL - 1) > 0) return;
    if (access_->wait(display_fd_)) frame_waiting_ = true;
    SDL_PumpEvents();
  }

  // One refresh of the display the window is on (60 Hz where it does not say).
  static Clock::duration refresh_interval(SDL_Window* w) {
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(w);
    int hz = 60;
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0) hz = mode.refresh_rate;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / std::clamp(hz, 24, 1000)));
  }

  void handle(const SDL_Event& e) {
    frame_waiting_ = true;  // whatever changed is painted when the next frame is due
    switch (e.type) {
      case SDL_QUIT: window().close(); break;
      case SDL_WINDOWEVENT: handle_window(e.window); break;
      case SDL_MOUSEBUTTONDOWN:
        if (const int b = runtime_button(e.button.button))
          window().pointer_down(e.button.x, e.button.y, b, e.button.timestamp);
        break;
      case SDL_MOUSEBUTTONUP:
        if (const int b = runtime_button(e.button.button)) window().pointer_up(e.button.x, e.button.y, b);
        break;
      case SDL_MOUSEMOTION: window().pointer_move(e.motion.x, e.motion.y); break;
      case SDL_KEYDOWN:
        if (const int k = runtime_key(e.key.keysym.sym)) window().key_down(k, runtime_shift(e.key.keysym.mod));
        break;
      case SDL_KEYUP:
        if (const int k = runtime_key(e.key.keysym.sym)) window().key_up(k, runtime_shift(e.key.keysym.mod));
        break;
      default: break;
    }
  }

  void handle_window(const SDL_WindowEvent& e) {
    switch (e.event) {
      case SDL_WINDOWEVENT_CLOSE: window().close(); break;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        window().focus_lost();
        if (access_) access_->window_activated(false);
        break;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (access_) access_->window_activated(true);
        break;
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (e.data1 != window().client_width() || e.data2 != window().client_height()) {
          window().resize(e.data1, e.data2);
          platform_.shell_.fit(window());
        }
        full_repaint_ = true;
        break;
      // Whatever the window system may have lost: X11 drops a picture shown before
      // the window is mapped, and uncovered parts come back empty.
      case SDL_WINDOWEVENT_SHOWN:
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_RESIZED:
      case SDL_WINDOWEVENT_MAXIMIZED:
      case SDL_WINDOWEVENT_RESTORED: full_repaint_ = true; break;
      default: break;
    }
  }

  void repaint_all() {
    full_repaint_ = false;
    first_frame_shown_ = true;
    platform_.shell_.paint_all(window());
    present({fb().bounds()});
  }

  void present(const std::vector<PixelRect>& rects) {
    if (presenter_->present(fb(), rects)) last_present_ = Clock::now();
  }

  DesktopPlatform& platform_;
  Runtime& runtime_;
  std::unique_ptr<SDL_Window, WindowDeleter> window_;
  std::optional<WindowPresenter> presenter_;  // destroyed before the window
  bool full_repaint_ = false;
  bool frame_waiting_ = false;  // events came since the last frame was painted
  Clock::time_point last_present_{};
  Clock::duration frame_interval_{};
  bool first_frame_shown_ = false;  // a frame went out after the window was shown
  bool access_tried_ = false;
  int display_fd_ = -1;
  std::unique_ptr<AccessHost> access_;
};

DesktopPlatform::DesktopPlatform(TextRasterizer* text) : shell_(text) {}

int DesktopPlatform::run(Runtime& runtime) {
  // Read from the form before its first frame is painted beside this thread.
  const std::string title = title_text(runtime.form(), runtime.project_info().locale);
  const std::pair<int, int> position = sdl_position(runtime.form().placement());
  leave_out_compose_table();
  FirstFrame first_frame(shell_, runtime.window());
  std::optional<Video> video;
  try {
    video.emplace();
  } catch (const NoDisplay&) {
    no_display_ = true;  // nowhere to show a message either
    throw;
  }
  {
    Session session(*this, runtime, title, position, first_frame);
    session.loop();
  }
  return runtime.exit_code();
}

void DesktopPlatform::show_message(const std::string& title, const std::string& message, void* parent) {
  if (!message_boxes_can_be_shown()) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(), static_cast<SDL_Window*>(parent));
}

void DesktopPlatform::show_fatal(const std::string& message) {
  // Called when the run could not start; the display may not be there at all.
  if (no_display_) return;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
    if (!start_video()) return;
    show_message("morvane", message, nullptr);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
    return;
  }
  show_message("morvane", message, nullptr);
}

bool message_boxes_can_be_shown() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver) return false;
  if (std::strcmp(driver, "x11") == 0) return x11_window_manager_running();
  // Wayland always has its compositor; other drivers say for themselves whether
  // they can show a box (SDL returns an error at once where they cannot).
  return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

}  // namespace morvane::runtime
