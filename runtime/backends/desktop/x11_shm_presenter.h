// Shows framebuffer rectangles in an SDL window on an X11 display through the
// shared-memory extension (MIT-SHM), without waiting for the server after each frame.
//
// SDL's window surface does the same put and then waits for a round trip to the server
// (XSync) at every frame, so that the next frame cannot be written into the shared
// pixels while the server still reads them; during a drag that round trip is most of
// the processor time a frame costs. Here the put is only sent. The server reads the
// shared pixels while it carries out the put, and every event or reply it sends after
// that carries the put's sequence number or a later one; a drag brings a pointer event
// every few milliseconds, so the next frame almost always finds the put confirmed and
// writes at once. Only when nothing has come back from the server since the last put
// does the next frame wait for the round trip first.
#pragma once

#include <SDL.h>

#include <memory>
#include <span>

#include "runtime/core/objects/geometry.h"
#include "runtime/core/paint/framebuffer.h"

namespace morvane::runtime {

class X11ShmPresenter {
 public:
  // Shared memory for an image, made and faulted in before the display is reached, on
  // any thread: the first frame is then copied into pages that are already there
  // instead of faulting them in on the way to the screen.
  struct Segment;
  struct SegmentDeleter {
    void operator()(Segment* s) const;
  };
  using PreparedSegment = std::unique_ptr<Segment, SegmentDeleter>;

  // Memory for a width x height image; nullptr where it cannot be had, and always
  // where built without X support.
  static PreparedSegment prepare(int width, int height);

  // A presenter for `window`, or nullptr where this way cannot show it: another video
  // driver than X11, a server without MIT-SHM, one that cannot attach this process's
  // memory (a display on another machine), or a window whose pixels are not 24-bit
  // colour in 32-bit 0x00RRGGBB words. Built without X support it is always nullptr.
  // `ready` is used when it has the window's size in pixels, and dropped otherwise.
  static std::unique_ptr<X11ShmPresenter> open(SDL_Window* window, PreparedSegment ready = {});
  ~X11ShmPresenter();
  X11ShmPresenter(const X11ShmPresenter&) = delete;
  X11ShmPresenter& operator=(const X11ShmPresenter&) = delete;

  // Copies the rectangles of `fb` into the shared pixels and sends them to the window.
  // The shared image follows the framebuffer's size. False when the server refuses
  // memory for a new size: the presenter is then unusable and the caller shows the
  // frame another way.
  bool present(const Framebuffer& fb, std::span<const PixelRect> rects);

 private:
  struct State;
  explicit X11ShmPresenter(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace morvane::runtime
