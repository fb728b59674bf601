// The system's three-dimensional looks, built on the painter's primitives, in the
// colours that the system colour table gives at the moment of painting.
#pragma once

#include "runtime/core/paint/painter.h"
#include "runtime/core/paint/system_colors.h"

namespace morvane::runtime {

// The picture box's single sunken border, two pixels wide: shadow and dark shadow on
// the top and left, highlight and light on the bottom and right.
void sunken_border(const Painter& p, PixelRect r, const SystemColors& colors);
// A push button's edge, two pixels wide: raised (highlight and light at the top and
// left, dark shadow and shadow at the bottom and right), or pushed (a dark frame with
// the shadow inside it at the top and left).
void button_edge(const Painter& p, PixelRect r, bool pushed, const SystemColors& colors);
// The ring around a focused control, on the form's background `back`: white on a dark
// background, black on a light one.
void focus_ring(const Painter& p, PixelRect ring, int width, std::uint32_t back);

}  // namespace morvane::runtime
