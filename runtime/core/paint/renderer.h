// Paints a window's form and controls into a framebuffer from their properties,
// one painter per control kind, clipped to each control and to the area asked for.
// Colour values are resolved against the system colour table at the moment of
// painting, so a change of that table shows at the next repaint.
#pragma once

#include <vector>

#include "runtime/core/paint/framebuffer.h"
#include "runtime/core/paint/system_colors.h"
#include "runtime/core/paint/text_rasterizer.h"
#include "runtime/core/window/form_window.h"

namespace morvane::runtime {

class Renderer {
 public:
  // Without a text rasterizer, captions are left out.
  explicit Renderer(const SystemColors& colors, TextRasterizer* text = nullptr) : colors_(colors), text_(text) {}

  // Repaints `area` (client pixels) of the window into `fb`.
  void paint(const FormWindow& window, Framebuffer& fb, PixelRect area) const;
  // Repaints everything the window marked dirty; returns the rectangles painted.
  std::vector<PixelRect> paint_dirty(FormWindow& window, Framebuffer& fb) const;

  // Geometry of the push button's parts, for painting and for tests.
  static constexpr int kButtonEdge = 2;        // raised or sunken edge, each side
  static constexpr int kFocusInset = 3;        // dotted focus rectangle, from the outer edge

 private:
  void paint_control(const FormWindow& window, const Control& c, Framebuffer& fb, PixelRect clip) const;
  void paint_picture_box(const Control& c, Framebuffer& fb, PixelRect clip) const;
  void paint_label(const Control& c, Framebuffer& fb, PixelRect clip) const;
  void paint_button(const Control& c, bool pressed, bool focused, Framebuffer& fb, PixelRect clip) const;
  void draw_text(Framebuffer& fb, std::string_view text, const FontSpec& font, int x, int y, std::uint32_t rgb,
                 PixelRect clip) const;

  const SystemColors& colors_;
  TextRasterizer* text_;
};

// Fills `r` (clipped to `clip` and the framebuffer) with an RGB colour.
void fill_rect(Framebuffer& fb, PixelRect r, PixelRect clip, std::uint32_t rgb);
// Inverts the pixels of a frame `width` pixels wide around the inside of `r`.
void invert_frame(Framebuffer& fb, PixelRect r, int width, PixelRect clip);
// A solid frame of `width` pixels along the inside of r.
void solid_frame(Framebuffer& fb, PixelRect r, int width, std::uint32_t rgb, PixelRect clip);
// Sets every other pixel along the inside edge of `r`, starting at its top-left corner.
void dotted_frame(Framebuffer& fb, PixelRect r, std::uint32_t rgb, PixelRect clip);
// Blends `mask` in colour `rgb` with the pen's start at (x, y), the line's top-left.
void blend_mask(Framebuffer& fb, const TextMask& mask, int x, int y, std::uint32_t rgb, PixelRect clip);

}  // namespace morvane::runtime
