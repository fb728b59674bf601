#include "runtime/backends/desktop/window_presenter.h"

#include <cstdint>
#include <vector>

namespace morvane::runtime {

WindowPresenter::WindowPresenter(SDL_Window* window, X11ShmPresenter::PreparedSegment ready)
    : window_(window), direct_(X11ShmPresenter::open(window, std::move(ready))) {}

bool WindowPresenter::present(const Framebuffer& fb, std::span<const PixelRect> rects) {
  if (rects.empty()) return false;
  if (direct_) {
    if (direct_->present(fb, rects)) return true;
    direct_.reset();  // the server refused memory for a new size: SDL's way from now on
  }
  return present_through_surface(fb, rects);
}

// Converts the rectangles into SDL's window surface and shows them.
bool WindowPresenter::present_through_surface(const Framebuffer& fb, std::span<const PixelRect> rects) {
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (!surface) return false;
  const PixelRect bounds = fb.bounds().intersect({0, 0, surface->w, surface->h});
  std::vector<SDL_Rect> shown;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  for (const PixelRect& r : rects) {
    const PixelRect c = r.intersect(bounds);
    if (c.empty()) continue;
    auto* dst = static_cast<std::uint8_t*>(surface->pixels) + static_cast<std::ptrdiff_t>(c.y) * surface->pitch +
                static_cast<std::ptrdiff_t>(c.x) * surface->format->BytesPerPixel;
    SDL_ConvertPixels(c.w, c.h, SDL_PIXELFORMAT_RGB888, fb.row(c.y) + c.x, fb.width * 4, surface->format->format, dst,
                      surface->pitch);
    shown.push_back({c.x, c.y, c.w, c.h});
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  if (shown.empty()) return false;
  SDL_UpdateWindowSurfaceRects(window_, shown.data(), static_cast<int>(shown.size()));
  return true;
}

}  // namespace morvane::runtime
