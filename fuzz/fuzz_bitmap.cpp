// Bitmap decoder: any bytes are either decoded or refused with a BitmapError; a decoded
// image has exactly width × height pixels, each within 24 bits.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "runtime/bitmap/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  morvane::runtime::Image image;
  try {
    image = morvane::runtime::decode_bmp(std::span<const std::uint8_t>(data, size));
  } catch (const morvane::runtime::BitmapError&) {
    return 0;
  }
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
    std::fprintf(stderr, "decoded %d x %d with %zu pixels\n", image.width, image.height, image.pixels.size());
    std::abort();
  }
  for (std::uint32_t p : image.pixels)
    if (p > 0xFFFFFFu) {
      std::fprintf(stderr, "pixel 0x%08X carries more than 24 bits\n", p);
      std::abort();
    }
  return 0;
}
