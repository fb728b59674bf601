#include "runtime/bitmap/bitmap.h"

#include <cstring>

#include "formats/little_endian.h"
#include "runtime/bitmap/pixel_rows.h"

namespace morvane::runtime {

namespace {

constexpr std::size_t file_header_size = 14;

std::uint16_t u16(std::span<const std::uint8_t> data, std::size_t at) { return formats::le16(data.data() + at); }
std::uint32_t u32(std::span<const std::uint8_t> data, std::size_t at) { return formats::le32(data.data() + at); }

std::int32_t i32(std::span<const std::uint8_t> data, std::size_t at) { return static_cast<std::int32_t>(u32(data, at)); }

std::string found(std::uint64_t value) { return ", found " + std::to_string(value); }
std::string found_signed(std::int64_t value) { return ", found " + std::to_string(value); }

}  // namespace

BitmapError::BitmapError(std::size_t offset, std::string what_expected)
    : std::runtime_error("bitmap, byte offset " + std::to_string(offset) + ": expected " + what_expected),
      offset_(offset),
      expected_(std::move(what_expected)) {}

namespace {

// The file header and the information header's size; returns where the pixels start.
std::size_t check_file_header(std::span<const std::uint8_t> data) {
  const std::size_t size = data.size();
  if (size < file_header_size + 4) {
    throw BitmapError(size, "a 14-byte file header and the information header's size (data ends here)");
  }
  if (data[0] != 'B' || data[1] != 'M') throw BitmapError(0, "the signature \"BM\"");
  const std::uint32_t file_size = u32(data, 2);
  if (file_size != size) throw BitmapError(2, "the file size " + std::to_string(size) + " (the data's length)" + found(file_size));

  const std::uint32_t info_size = u32(data, 14);
  if (info_size != 40 && info_size != 108 && info_size != 124) {
    throw BitmapError(14, "an information header size of 40, 108 or 124" + found(info_size));
  }
  if (file_header_size + info_size > size) {
    throw BitmapError(size, std::to_string(info_size) + " bytes of information header from offset 14 (data ends here)");
  }
  const std::size_t pixel_offset = u32(data, 10);
  if (pixel_offset < file_header_size + info_size || pixel_offset > size) {
    throw BitmapError(10, "a pixel offset from " + std::to_string(file_header_size + info_size) + " to " +
                              std::to_string(size) + found(pixel_offset));
  }
  return pixel_offset;
}

struct PixelFormat {
  std::int32_t width;
  std::int32_t stored_height;  // negative for top-down rows
  std::uint16_t bits;
};

// The information header: the size of the picture, its planes, depth and compression.
PixelFormat check_info_header(std::span<const std::uint8_t> data) {
  const std::int32_t width = i32(data, 18);
  if (width <= 0 || width > max_bitmap_side) {
    throw BitmapError(18, "a width from 1 to " + std::to_string(max_bitmap_side) + found_signed(width));
  }
  const std::int32_t stored_height = i32(data, 22);
  if (stored_height == 0 || stored_height < -max_bitmap_side || stored_height > max_bitmap_side) {
    throw BitmapError(22, "a height from 1 to " + std::to_string(max_bitmap_side) + " (negative for top-down rows)" +
                              found_signed(stored_height));
  }
  const std::uint16_t planes = u16(data, 26);
  if (planes != 1) throw BitmapError(26, "1 colour plane" + found(planes));
  const std::uint16_t bits = u16(data, 28);
  if (bits != 24 && bits != 32) throw BitmapError(28, "24 or 32 bits per pixel" + found(bits));
  const std::uint32_t compression = u32(data, 30);
  if (compression != 0) throw BitmapError(30, "compression 0 (none)" + found(compression));
  return {width, stored_height, bits};
}

}  // namespace

BitmapView view_bmp(std::span<const std::uint8_t> data) {
  const std::size_t size = data.size();
  const std::size_t pixel_offset = check_file_header(data);
  const PixelFormat format = check_info_header(data);

  const bool bottom_up = format.stored_height > 0;
  const int height = bottom_up ? format.stored_height : -format.stored_height;
  const std::size_t bytes_per_pixel = format.bits / 8u;
  const std::size_t stride = (static_cast<std::size_t>(format.width) * bytes_per_pixel + 3) / 4 * 4;
  const std::size_t rows_size = stride * static_cast<std::size_t>(height);  // at most 4 GiB: both sides are bounded
  if (rows_size > size - pixel_offset) {
    throw BitmapError(size, std::to_string(height) + " rows of " + std::to_string(stride) + " bytes from offset " +
                                std::to_string(pixel_offset) + ", " + std::to_string(pixel_offset + rows_size) +
                                " bytes in all (data ends here)");
  }

  BitmapView view;
  view.width_ = format.width;
  view.height_ = height;
  view.bytes_per_pixel_ = static_cast<int>(bytes_per_pixel);
  const std::uint8_t* rows = data.data() + pixel_offset;
  if (bottom_up) {
    view.top_row_ = rows + (static_cast<std::size_t>(height) - 1) * stride;
    view.row_step_ = -static_cast<std::ptrdiff_t>(stride);
  } else {
    view.top_row_ = rows;
    view.row_step_ = static_cast<std::ptrdiff_t>(stride);
  }
  return view;
}

void BitmapView::read_row(int y, int x, int count, std::uint32_t* out) const {
  if (y < 0 || y >= height_ || x < 0 || count < 0 || count > width_ - x)
    throw std::out_of_range("bitmap row " + std::to_string(y) + ", pixels " + std::to_string(x) + " to " +
                            std::to_string(x + count) + " of a " + std::to_string(width_) + " x " +
                            std::to_string(height_) + " bitmap");
  const std::uint8_t* p = top_row_ + row_step_ * y + static_cast<std::ptrdiff_t>(x) * bytes_per_pixel_;
  const auto n = static_cast<std::size_t>(count);
  if (bytes_per_pixel_ == 3) {
    bgr_row_unpacker()(p, n, out);
    return;
  }
  // Blue, green, red and a byte that is not used.
  for (std::size_t i = 0; i < n; ++i, p += 4)
    out[i] = static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

Image decode_bmp(std::span<const std::uint8_t> data) {
  const BitmapView view = view_bmp(data);
  Image image;
  image.width = view.width();
  image.height = view.height();
  const auto width = static_cast<std::size_t>(image.width);
  image.pixels.resize(width * static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    view.read_row(y, 0, image.width, image.pixels.data() + width * static_cast<std::size_t>(y));
  return image;
}

Picture::Picture(Image decoded) : pixels_(std::move(decoded)) {
  const Image& image = std::get<Image>(pixels_);
  if (image.width < 0 || image.height < 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
    throw std::invalid_argument("a picture's pixels must number its width times its height");
}

int Picture::width() const {
  if (const auto* view = std::get_if<BitmapView>(&pixels_)) return view->width();
  return std::get<Image>(pixels_).width;
}

int Picture::height() const {
  if (const auto* view = std::get_if<BitmapView>(&pixels_)) return view->height();
  return std::get<Image>(pixels_).height;
}

void Picture::read_row(int y, int x, int count, std::uint32_t* out) const {
  if (const auto* view = std::get_if<BitmapView>(&pixels_)) {
    view->read_row(y, x, count, out);
    return;
  }
  const Image& image = std::get<Image>(pixels_);
  if (y < 0 || y >= image.height || x < 0 || count < 0 || count > image.width - x)
    throw std::out_of_range("picture row " + std::to_string(y) + ", pixels " + std::to_string(x) + " to " +
                            std::to_string(x + count) + " of a " + std::to_string(image.width) + " x " +
                            std::to_string(image.height) + " picture");
  const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x);
  std::memcpy(out, image.pixels.data() + at, static_cast<std::size_t>(count) * sizeof(std::uint32_t));
}

}  // namespace morvane::runtime
