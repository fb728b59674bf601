// A project image as a language resource of the executable: the image laid out at
// address 0 with its reference places and its routine places (formats/relocatable_image.h),
// which the runtime places and relocates itself, since no linker resolves a resource.
#pragma once

#include <cstdint>
#include <vector>

#include "app/image_writer.h"

namespace morvane::app {

// Throws std::logic_error for an external field that names no handler routine.
std::vector<std::uint8_t> relocatable_image(const ImageWriter& image);

}  // namespace morvane::app
