#include "assets/painter/bmp_file.h"

#include <stdexcept>

#include "formats/little_endian.h"

namespace morvane::painter {

std::vector<std::uint8_t> encode_bmp24(const Canvas& canvas) {
  constexpr std::uint32_t headers = 14 + 40;
  const std::uint64_t stride = (static_cast<std::uint64_t>(canvas.width()) * 3 + 3) / 4 * 4;
  const std::uint64_t rows_size = stride * static_cast<std::uint64_t>(canvas.height());
  if (headers + rows_size > 0xFFFFFFFFu) throw std::length_error("bitmap too large for its file header");
  const auto file_size = static_cast<std::uint32_t>(headers + rows_size);

  std::vector<std::uint8_t> out;
  out.reserve(file_size);
  out.push_back('B');
  out.push_back('M');
  formats::append_le32(out, file_size);
  formats::append_le16(out, 0);  // reserved
  formats::append_le16(out, 0);
  formats::append_le32(out, headers);  // offset of the pixel rows
  formats::append_le32(out, 40);       // information header size
  formats::append_le32(out, static_cast<std::uint32_t>(canvas.width()));
  formats::append_le32(out, static_cast<std::uint32_t>(canvas.height()));  // positive: bottom row first
  formats::append_le16(out, 1);                // planes
  formats::append_le16(out, 24);               // bits per pixel
  formats::append_le32(out, 0);                // no compression
  formats::append_le32(out, static_cast<std::uint32_t>(rows_size));
  formats::append_le32(out, static_cast<std::uint32_t>(0));  // resolutions unstated
  formats::append_le32(out, static_cast<std::uint32_t>(0));
  formats::append_le32(out, 0);  // colours used: none, there is no palette
  formats::append_le32(out, 0);  // important colours

  for (int y = canvas.height() - 1; y >= 0; --y) {
    const std::size_t row_start = out.size();
    for (int x = 0; x < canvas.width(); ++x) {
      const Rgb colour = canvas.at(x, y);
      out.push_back(static_cast<std::uint8_t>(colour));        // blue
      out.push_back(static_cast<std::uint8_t>(colour >> 8));   // green
      out.push_back(static_cast<std::uint8_t>(colour >> 16));  // red
    }
    out.resize(row_start + stride, 0);
  }
  return out;
}

}  // namespace morvane::painter
