// Paints a window's form and controls into a framebuffer from their properties,
// one painter per control kind, clipped to each control and to the area asked for.
#pragma once

#include "runtime/core/framebuffer.h"
#include "runtime/core/system_colors.h"
#include "runtime/core/window.h"

namespace morvane::runtime {

class TextRasterizer;  // draws captions; without one, captions are left out

class Renderer {
 public:
  explicit Renderer(const SystemColors& colors, TextRasterizer* text = nullptr) : colors_(colors), text_(text) {}

  // Repaints `area` (client pixels) of the window into `fb`.
  void paint(const Window& window, Framebuffer& fb, PixelRect area) const;
  // Repaints everything the window marked dirty; returns the rectangles painted.
  std::vector<PixelRect> paint_dirty(Window& window, Framebuffer& fb) const;

 private:
  void paint_control(const Window& window, const Control& c, Framebuffer& fb, PixelRect clip) const;
  void paint_picture_box(const Control& c, Framebuffer& fb, PixelRect clip) const;
  void paint_label(const Control& c, Framebuffer& fb, PixelRect clip) const;
  void paint_button(const Control& c, bool pressed, bool focused, Framebuffer& fb, PixelRect clip) const;

  const SystemColors& colors_;
  TextRasterizer* text_;
};

// Fills `r` (clipped to `clip` and the framebuffer) with an RGB colour.
void fill_rect(Framebuffer& fb, PixelRect r, PixelRect clip, std::uint32_t rgb);
// Inverts the pixels of a frame `width` pixels wide around the inside of `r`.
void invert_frame(Framebuffer& fb, PixelRect r, int width, PixelRect clip);

}  // namespace morvane::runtime
