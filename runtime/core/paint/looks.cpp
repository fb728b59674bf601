#include "runtime/core/paint/looks.h"

namespace morvane::runtime {

void sunken_border(const Painter& p, PixelRect r, const SystemColors& colors) {
  p.edge_ring(r, 0, colors.rgb(syscolor::button_shadow), colors.rgb(syscolor::button_highlight));
  p.edge_ring(r, 1, colors.rgb(syscolor::dark_shadow), colors.rgb(syscolor::light));
}

void button_edge(const Painter& p, PixelRect r, bool pushed, const SystemColors& colors) {
  const std::uint32_t dark = colors.rgb(syscolor::dark_shadow);
  const std::uint32_t shadow = colors.rgb(syscolor::button_shadow);
  if (pushed) {
    p.edge_ring(r, 0, dark, dark);
    p.edge_ring(r, 1, shadow, std::nullopt);
    return;
  }
  p.edge_ring(r, 0, colors.rgb(syscolor::button_highlight), dark);
  p.edge_ring(r, 1, colors.rgb(syscolor::light), shadow, 1);
}

void focus_ring(const Painter& p, PixelRect ring, int width, std::uint32_t back) {
  const std::uint32_t r = (back >> 16) & 0xFF, g = (back >> 8) & 0xFF, b = back & 0xFF;
  const bool dark = 299 * r + 587 * g + 114 * b < 128000;
  p.solid_frame(ring, width, dark ? 0xFFFFFFu : 0x000000u);
}

}  // namespace morvane::runtime
