// Writes the window icon's pixels, decoded at build time from its PNG file, as 32 x 32
// pixels of 8-bit RGBA, top row first: the program then shows its icon without a PNG
// decoder of its own, and without loading libpng at every start.
//   icon_pixels IN.png OUT.rgba
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "assets/icon_pixels.h"
#include "assets/png_image.h"

int main(int argc, char** argv) {
  using namespace morvane::assets;
  if (argc != 3) {
    std::fprintf(stderr, "usage: icon_pixels IN.png OUT.rgba\n");
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) throw std::runtime_error("cannot be read");
    const std::vector<std::uint8_t> png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const RgbaImage icon = decode_png(png);
    if (icon.width != icon_side || icon.height != icon_side)
      throw std::runtime_error("is " + std::to_string(icon.width) + " x " + std::to_string(icon.height) +
                               " pixels, not " + std::to_string(icon_side) + " x " + std::to_string(icon_side));
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(icon.rgba.data()), static_cast<std::streamsize>(icon.rgba.size()));
    if (!out.flush()) {
      std::fprintf(stderr, "icon_pixels: %s cannot be written\n", argv[2]);
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "icon_pixels: %s %s\n", argv[1], e.what());
    return 1;
  }
  return 0;
}
