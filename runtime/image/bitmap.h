// Decodes Windows bitmap files: uncompressed 24-bit (and 32-bit) pixels, rows stored
// bottom-up or top-down. Every header field the decoder relies on is checked against the
// data's length before a pixel is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvane::runtime {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// A bitmap the decoder refuses: the byte offset where it found something else than it
// expected, and what that was.
class BitmapError : public std::runtime_error {
 public:
  BitmapError(std::size_t offset, std::string what_expected);
  std::size_t offset() const { return offset_; }

 private:
  std::size_t offset_;
};

// The largest width or height accepted.
inline constexpr int max_bitmap_side = 32768;

// `data` must be exactly one bitmap file. Throws BitmapError.
Image decode_bmp(std::span<const std::uint8_t> data);

}  // namespace morvane::runtime
