// The headers of a Windows bitmap file, read with every field checked against the file's size.
#pragma once

#include <cstdint>
#include <span>

namespace morvane::form {

struct BitmapInfo {
  std::uint32_t file_size = 0;
  std::uint32_t pixel_offset = 0;
  std::uint32_t info_size = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;   // positive: rows stored bottom-up
  std::uint16_t planes = 0;
  std::uint16_t bits_per_pixel = 0;
  std::uint32_t compression = 0;
};

// Throws std::invalid_argument saying what is wrong: too short for its headers, no "BM",
// a file size field that disagrees with the bytes given, an information header shorter
// than 40 bytes or running past the file, pixel rows starting past the file.
BitmapInfo read_bitmap_info(std::span<const std::uint8_t> file);

// The check the build applies to the pictures it embeds: an uncompressed 24-bit bitmap
// with a positive size whose pixel rows (padded to 4 bytes) fit in the file.
void require_embeddable_bitmap(const BitmapInfo& info);

}  // namespace morvane::form
