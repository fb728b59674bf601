// Writes a canvas as a 24-bit bottom-up Windows bitmap file: a 14-byte file header, a
// 40-byte information header, no palette, and rows of blue-green-red pixels padded with
// zero bytes to a multiple of four.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/painter/canvas.h"

namespace morvane::painter {

std::vector<std::uint8_t> encode_bmp24(const Canvas& canvas);

}  // namespace morvane::painter
