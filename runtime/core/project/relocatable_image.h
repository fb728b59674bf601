// Reads and places a project image carried as data (formats/relocatable_image.h):
// every field is checked before a byte is placed, so that a damaged image is refused
// with the offset of what is wrong and never half-relocated.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace morvane::runtime {

struct RoutinePlace {
  std::uint32_t place = 0;
  std::uint32_t native_index = 0;
};

struct RelocatableImage {
  std::span<const std::uint8_t> image;        // laid out at address 0
  std::vector<std::uint32_t> references;      // places, rising
  std::vector<RoutinePlace> routines;         // places, rising
};

// Throws ImageError (offset into `data`) on a header, list or reference that breaks the
// layout: a count that overruns the data, a place that is out of order, overlaps
// another or leaves the image, a reference that points outside the image, or a
// routine index at or above `routine_count`.
RelocatableImage read_relocatable_image(std::span<const std::uint8_t> data, std::uint32_t routine_count);

// Copies the image into `target` (image.size() bytes), adds `base` to every reference
// and writes `routines[native_index]` into every routine place. Throws ImageError when
// the image would reach past 4 GiB at `base`.
void place_image(const RelocatableImage& image, std::uint32_t base, std::span<const std::uint32_t> routines,
                 std::span<std::uint8_t> target);

}  // namespace morvane::runtime
