// Puts the framebuffer's changed rectangles on the window: straight to the X server
// through shared memory where that works (x11_shm_presenter.h), and through SDL's
// window surface everywhere else (Wayland, a server without MIT-SHM, a display on
// another machine) and from the first failure of the direct way on.
#pragma once

#include <SDL.h>

#include <memory>
#include <span>

#include "runtime/backends/desktop/x11_shm_presenter.h"
#include "runtime/core/objects/geometry.h"
#include "runtime/core/paint/framebuffer.h"

namespace morvane::runtime {

class WindowPresenter {
 public:
  // `window` must outlive the presenter; `ready` is memory for the direct way, made
  // ahead (X11ShmPresenter::prepare), or nullptr.
  explicit WindowPresenter(SDL_Window* window, X11ShmPresenter::PreparedSegment ready = {});

  // Shows the rectangles of `fb` (clipped to it and to the window). False when nothing
  // was shown: SDL has no surface for the window yet; the next expose brings the
  // frame again.
  bool present(const Framebuffer& fb, std::span<const PixelRect> rects);

 private:
  bool present_through_surface(const Framebuffer& fb, std::span<const PixelRect> rects);

  SDL_Window* window_;
  std::unique_ptr<X11ShmPresenter> direct_;
};

}  // namespace morvane::runtime
