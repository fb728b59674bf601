// Everything the painter writes, as named files in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/painter/pictures.h"
#include "assets/painter/typesetter.h"

namespace morvane::painter {

struct OutputFile {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// enzyme.bmp, substrate.bmp, product.bmp, complex.bmp, morvane.ico and morvane.png.
std::vector<OutputFile> paint_outputs(const Typesetter& typesetter);

// The four pictures alone, with one language's words.
std::vector<OutputFile> paint_picture_files(WordSetter& words);

}  // namespace morvane::painter
