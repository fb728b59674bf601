// Form1 as the form description stream carries it, laid out from its declaration
// (form1.h) and the four bitmap files.
#pragma once

#include <cstdint>
#include <vector>

#include "form/window_model.h"

namespace morvane::app {

// The bitmap files of the four pictures, each a complete BMP file image.
struct Form1Pictures {
  std::vector<std::uint8_t> enzyme;
  std::vector<std::uint8_t> substrate;
  std::vector<std::uint8_t> product;
  std::vector<std::uint8_t> complex;
};

// Form1's model; pictures that are empty are left out.
form::WindowModel form1_model(const Form1Pictures& pictures);

// Form1's identifier, by which its stream's header and the project image name it.
form::Guid form1_id();

}  // namespace morvane::app
