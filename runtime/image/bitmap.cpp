#include "runtime/image/bitmap.h"

#include "runtime/image/pixel_rows.h"

namespace morvane::runtime {

namespace {

constexpr std::size_t file_header_size = 14;

std::uint16_t u16(std::span<const std::uint8_t> data, std::size_t at) {
  return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
}

std::uint32_t u32(std::span<const std::uint8_t> data, std::size_t at) {
  return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
         static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
}

std::int32_t i32(std::span<const std::uint8_t> data, std::size_t at) { return static_cast<std::int32_t>(u32(data, at)); }

std::string found(std::uint64_t value) { return ", found " + std::to_string(value); }
std::string found_signed(std::int64_t value) { return ", found " + std::to_string(value); }

// Unpacks blue-green-red-unused pixels into 0x00RRGGBB, top row first.
void copy_rows_32(const std::uint8_t* rows, std::size_t stride, bool bottom_up, Image& image) {
  const auto width = static_cast<std::size_t>(image.width);
  const auto height = static_cast<std::size_t>(image.height);
  std::uint32_t* out = image.pixels.data();
  for (std::size_t y = 0; y < height; ++y, out += width) {
    const std::uint8_t* p = rows + (bottom_up ? height - 1 - y : y) * stride;
    for (std::size_t x = 0; x < width; ++x, p += 4)
      out[x] = static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
  }
}

// Unpacks blue-green-red pixels into 0x00RRGGBB, top row first.
void copy_rows_24(const std::uint8_t* rows, std::size_t stride, bool bottom_up, Image& image) {
  const auto width = static_cast<std::size_t>(image.width);
  const auto height = static_cast<std::size_t>(image.height);
  const BgrRowUnpacker unpack = bgr_row_unpacker();
  std::uint32_t* out = image.pixels.data();
  for (std::size_t y = 0; y < height; ++y, out += width)
    unpack(rows + (bottom_up ? height - 1 - y : y) * stride, width, out);
}

}  // namespace

BitmapError::BitmapError(std::size_t offset, std::string what_expected)
    : std::runtime_error("bitmap, byte offset " + std::to_string(offset) + ": expected " + what_expected),
      offset_(offset) {}

Image decode_bmp(std::span<const std::uint8_t> data) {
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

  const std::int32_t width = i32(data, 18);
  if (width <= 0 || width > max_bitmap_side) {
    throw BitmapError(18, "a width from 1 to " + std::to_string(max_bitmap_side) + found_signed(width));
  }
  const std::int32_t stored_height = i32(data, 22);
  if (stored_height == 0 || stored_height < -max_bitmap_side || stored_height > max_bitmap_side) {
    throw BitmapError(22, "a height from 1 to " + std::to_string(max_bitmap_side) + " (negative for top-down rows)" +
                              found_signed(stored_height));
  }
  const bool bottom_up = stored_height > 0;
  const int height = bottom_up ? stored_height : -stored_height;
  const std::uint16_t planes = u16(data, 26);
  if (planes != 1) throw BitmapError(26, "1 colour plane" + found(planes));
  const std::uint16_t bits = u16(data, 28);
  if (bits != 24 && bits != 32) throw BitmapError(28, "24 or 32 bits per pixel" + found(bits));
  const std::uint32_t compression = u32(data, 30);
  if (compression != 0) throw BitmapError(30, "compression 0 (none)" + found(compression));

  const std::size_t bytes_per_pixel = bits / 8u;
  const std::size_t stride = (static_cast<std::size_t>(width) * bytes_per_pixel + 3) / 4 * 4;
  const std::size_t rows_size = stride * static_cast<std::size_t>(height);  // at most 4 GiB: both sides are bounded
  if (rows_size > size - pixel_offset) {
    throw BitmapError(size, std::to_string(height) + " rows of " + std::to_string(stride) + " bytes from offset " +
                                std::to_string(pixel_offset) + ", " + std::to_string(pixel_offset + rows_size) +
                                " bytes in all (data ends here)");
  }

  Image image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  if (bytes_per_pixel == 3) {
    copy_rows_24(data.data() + pixel_offset, stride, bottom_up, image);
  } else {
    copy_rows_32(data.data() + pixel_offset, stride, bottom_up, image);
  }
  return image;
}

}  // namespace morvane::runtime
