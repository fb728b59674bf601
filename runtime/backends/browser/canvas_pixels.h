// The framebuffer's pixels in the byte order of a canvas's image data: R, G, B, A
// for each pixel, rows top first, fully opaque.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/core/paint/framebuffer.h"

namespace morvane::runtime {

// Bytes an image of the framebuffer's size takes as canvas image data.
std::size_t canvas_bytes(const Framebuffer& fb);

// Writes the pixels of `area` (clipped to the framebuffer) into `rgba`, an image of the
// framebuffer's size; the bytes outside `area` are left as they are. Throws
// std::invalid_argument when `rgba` is not canvas_bytes(fb) long.
void copy_to_canvas(const Framebuffer& fb, PixelRect area, std::span<std::uint8_t> rgba);

}  // namespace morvane::runtime
