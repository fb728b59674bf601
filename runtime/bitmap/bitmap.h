// Reads Windows bitmap files: uncompressed 24-bit (and 32-bit) pixels, rows stored
// bottom-up or top-down. Every header field the reader relies on is checked against the
// data's length before a pixel is read. A bitmap can be decoded into memory, or viewed:
// its rows read in place, a row at a time, as they are drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <variant>
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
  const std::string& expected() const { return expected_; }

 private:
  std::size_t offset_;
  std::string expected_;
};

// The largest width or height accepted.
inline constexpr int max_bitmap_side = 32768;

// A bitmap file's pixels where they lie in the file. The file's bytes must outlive the view.
class BitmapView {
 public:
  int width() const { return width_; }
  int height() const { return height_; }
  int bits_per_pixel() const { return bytes_per_pixel_ * 8; }
  // Writes pixels [x, x + count) of row y, counted from the top, as 0x00RRGGBB.
  // Throws std::out_of_range for pixels outside the bitmap.
  void read_row(int y, int x, int count, std::uint32_t* out) const;

 private:
  friend BitmapView view_bmp(std::span<const std::uint8_t> data);
  const std::uint8_t* top_row_ = nullptr;
  std::ptrdiff_t row_step_ = 0;  // from a row to the one below it; negative for bottom-up files
  int bytes_per_pixel_ = 3;
  int width_ = 0;
  int height_ = 0;
};

// `data` must be exactly one bitmap file. Both throw BitmapError, for the same faults.
BitmapView view_bmp(std::span<const std::uint8_t> data);
Image decode_bmp(std::span<const std::uint8_t> data);

// What a picture box shows: pixels decoded into memory, or a bitmap file's rows read in
// place (no copy; the file must outlive the picture).
class Picture {
 public:
  explicit Picture(Image decoded);
  explicit Picture(BitmapView in_place) : pixels_(in_place) {}

  int width() const;
  int height() const;
  bool in_place() const { return std::holds_alternative<BitmapView>(pixels_); }
  // As BitmapView::read_row.
  void read_row(int y, int x, int count, std::uint32_t* out) const;

 private:
  std::variant<Image, BitmapView> pixels_;
};

}  // namespace morvane::runtime
