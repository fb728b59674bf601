#include "app/windows/icon_resources.h"

#include <stdexcept>
#include <string>

#include "app/image_writer.h"

namespace morvane::app {
namespace {

std::uint32_t le(std::span<const std::uint8_t> b, std::size_t o, int width) {
  if (o + static_cast<std::size_t>(width) > b.size()) throw std::runtime_error("icon file: cut short");
  std::uint32_t v = 0;
  for (int i = 0; i < width; ++i) v |= static_cast<std::uint32_t>(b[o + static_cast<std::size_t>(i)]) << (8 * i);
  return v;
}

}  // namespace

// The file: a 6-byte header (0, type 1, count), 16-byte entries (width, height,
// colours, reserved, planes, bits, size, file offset), the images. The group: the same
// header, 14-byte entries with the resource name in place of the file offset.
IconResources icon_resources(std::span<const std::uint8_t> ico, std::uint16_t first_name) {
  if (le(ico, 0, 2) != 0 || le(ico, 2, 2) != 1) throw std::runtime_error("icon file: not an icon");
  const auto count = static_cast<std::uint16_t>(le(ico, 4, 2));
  if (count == 0) throw std::runtime_error("icon file: no images");
  IconResources out;
  ImageWriter group(0);
  group.u16(0);
  group.u16(1);
  group.u16(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::size_t e = 6 + 16 * std::size_t{i};
    const std::uint32_t size = le(ico, e + 8, 4), offset = le(ico, e + 12, 4);
    if (offset > ico.size() || size > ico.size() - offset)
      throw std::runtime_error("icon file: image " + std::to_string(i) + " lies outside the file");
    group.raw(ico.subspan(e, 8));  // width, height, colours, reserved, planes, bits
    group.u32(size);
    group.u16(static_cast<std::uint16_t>(first_name + i));
    out.images.emplace_back(ico.begin() + offset, ico.begin() + offset + size);
  }
  out.group = group.take();
  return out;
}

}  // namespace morvane::app
