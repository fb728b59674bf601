// An icon file split the way an executable carries it: one resource per image and a
// group resource whose entries name the images by their resource names.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace morvane::app {

struct IconResources {
  std::vector<std::uint8_t> group;                // type 14
  std::vector<std::vector<std::uint8_t>> images;  // type 3, named first_name, first_name + 1, ...
};

// Throws std::runtime_error on a file that is no well-formed icon file.
IconResources icon_resources(std::span<const std::uint8_t> ico, std::uint16_t first_name);

}  // namespace morvane::app
