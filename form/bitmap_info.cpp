#include "form/bitmap_info.h"

#include <stdexcept>
#include <string>

namespace morvane::form {
namespace {

constexpr std::size_t file_header_size = 14;
constexpr std::uint32_t min_info_size = 40;

std::uint32_t u32_at(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t u16_at(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

[[noreturn]] void refuse(const std::string& what) { throw std::invalid_argument("not a usable bitmap: " + what); }

}  // namespace

BitmapInfo read_bitmap_info(std::span<const std::uint8_t> file) {
  if (file.size() < file_header_size + min_info_size)
    refuse(std::to_string(file.size()) + " bytes are too few for the 54 bytes of its headers");
  if (file[0] != 'B' || file[1] != 'M') refuse("it does not start with \"BM\"");
  BitmapInfo info;
  info.file_size = u32_at(file, 2);
  if (info.file_size != file.size())
    refuse("its header gives a file size of " + std::to_string(info.file_size) + " bytes, but it has " +
           std::to_string(file.size()));
  info.pixel_offset = u32_at(file, 10);
  info.info_size = u32_at(file, 14);
  if (info.info_size < min_info_size || info.info_size > file.size() - file_header_size)
    refuse("an information header of " + std::to_string(info.info_size) + " bytes");
  if (info.pixel_offset < file_header_size + info.info_size || info.pixel_offset > file.size())
    refuse("pixel rows at offset " + std::to_string(info.pixel_offset));
  info.width = static_cast<std::int32_t>(u32_at(file, 18));
  info.height = static_cast<std::int32_t>(u32_at(file, 22));
  info.planes = u16_at(file, 26);
  info.bits_per_pixel = u16_at(file, 28);
  info.compression = u32_at(file, 30);
  return info;
}

void require_embeddable_bitmap(const BitmapInfo& info) {
  if (info.bits_per_pixel != 24 || info.compression != 0 || info.planes != 1)
    refuse(std::to_string(info.bits_per_pixel) + " bits per pixel, compression " + std::to_string(info.compression) +
           ", " + std::to_string(info.planes) + " planes (wanted 24, 0, 1)");
  if (info.width <= 0 || info.height == 0 || info.width > 0x8000 || info.height > 0x8000 || info.height < -0x8000)
    refuse("a size of " + std::to_string(info.width) + " x " + std::to_string(info.height));
  const std::uint64_t row = (static_cast<std::uint64_t>(info.width) * 3 + 3) / 4 * 4;
  const std::uint64_t rows = static_cast<std::uint64_t>(info.height < 0 ? -static_cast<std::int64_t>(info.height)
                                                                         : info.height);
  if (info.pixel_offset + row * rows > info.file_size)
    refuse("pixel rows of " + std::to_string(row * rows) + " bytes from offset " + std::to_string(info.pixel_offset) +
           " run past the file's " + std::to_string(info.file_size) + " bytes");
}

}  // namespace morvane::form
