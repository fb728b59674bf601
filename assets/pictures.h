// The demonstration pictures and the application icon, carried in the executable.
// Each picture is a complete 24-bit Windows bitmap file of 203 x 203 pixels; the icon is
// the 32 x 32 image as a PNG file.
#pragma once

#include <cstdint>
#include <span>

namespace morvane::assets {

extern const std::span<const std::uint8_t> enzyme_bmp;     // the free enzyme
extern const std::span<const std::uint8_t> substrate_bmp;  // the two substrate pieces
extern const std::span<const std::uint8_t> product_bmp;    // the product
extern const std::span<const std::uint8_t> complex_bmp;    // the enzyme-substrate complex
extern const std::span<const std::uint8_t> icon_png;

}  // namespace morvane::assets
