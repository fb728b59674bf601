// Paints a window's form and controls into a framebuffer from their properties,
// one painter per control kind, clipped to each control and to the area asked for.
// Colour values are resolved against the system colour table at the moment of
// painting, so a change of that table shows at the next repaint.
#pragma once

#include <string_view>
#include <vector>

#include "runtime/core/paint/framebuffer.h"
#include "runtime/core/paint/painter.h"
#include "runtime/core/paint/system_colors.h"
#include "runtime/core/paint/text_rasterizer.h"
#include "runtime/core/window/form_window.h"

namespace morvane::runtime {

class Renderer {
 public:
  // Without a text rasterizer, captions are left out.
  explicit Renderer(const SystemColors& colors, TextRasterizer* text = nullptr) : colors_(colors), text_(text) {}

  TextRasterizer* text() const { return text_; }

  // Repaints `area` (client pixels) of the window into `fb`.
  void paint(const FormWindow& window, Framebuffer& fb, PixelRect area) const;
  // Repaints everything the window marked dirty; returns the rectangles painted.
  std::vector<PixelRect> paint_dirty(FormWindow& window, Framebuffer& fb) const;

  // Geometry of the push button's parts, for painting and for tests.
  static constexpr int kButtonEdge = 2;        // raised or sunken edge, each side
  static constexpr int kFocusInset = 3;        // dotted focus rectangle, from the outer edge

 private:
  // Each with a painter clipped to the control.
  void paint_control(const FormWindow& window, const Control& c, const Painter& p) const;
  void paint_picture_box(const Control& c, const Painter& p) const;
  void paint_label(const Control& c, const Painter& p) const;
  void paint_button(const Control& c, bool pressed, bool focused, const Painter& p) const;

  const SystemColors& colors_;
  TextRasterizer* text_;
};

}  // namespace morvane::runtime
