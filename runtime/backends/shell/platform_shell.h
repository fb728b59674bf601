// What every platform has and does alike: the system colours, the renderer and the
// framebuffer of the form window's client area. A platform feeds the window its input,
// has the shell paint what the window marked dirty, and presents the rectangles painted
// in its own way.
#pragma once

#include <vector>

#include "runtime/core/paint/framebuffer.h"
#include "runtime/core/paint/renderer.h"
#include "runtime/core/paint/system_colors.h"
#include "runtime/core/window/form_window.h"

namespace morvane::runtime {

class PlatformShell {
 public:
  // Without a text rasterizer the captions are left out.
  explicit PlatformShell(TextRasterizer* text = nullptr) : renderer_(colors_, text) {}
  PlatformShell(const PlatformShell&) = delete;
  PlatformShell& operator=(const PlatformShell&) = delete;

  SystemColors& colors() { return colors_; }
  Framebuffer& framebuffer() { return fb_; }
  TextRasterizer* text() const { return renderer_.text(); }  // null: captions left out
  const Framebuffer& framebuffer() const { return fb_; }

  // The framebuffer takes the window's client size (each side at least `min_side`),
  // and all of it is to be painted.
  void fit(FormWindow& window, int min_side = 0);
  // Paints what the window marked dirty; returns the rectangles painted, to present.
  std::vector<PixelRect> paint_dirty(FormWindow& window);
  // Paints everything (the system colours changed, or the window system lost the picture).
  std::vector<PixelRect> paint_all(FormWindow& window);

 private:
  SystemColors colors_;
  Renderer renderer_;
  Framebuffer fb_;
};

}  // namespace morvane::runtime
