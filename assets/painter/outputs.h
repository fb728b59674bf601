// Everything the painter writes, as named files in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/painter/typesetter.h"

namespace morvane::painter {

struct OutputFile {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// enzyme.bmp, substrate.bmp, product.bmp, complex.bmp, morvane.ico and morvane.png.
std::vector<OutputFile> paint_outputs(const Typesetter& typesetter);

}  // namespace morvane::painter
