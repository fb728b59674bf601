#include "assets/png_image.h"

#include <png.h>

#include <string>

namespace morvane::assets {

RgbaImage decode_png(std::span<const std::uint8_t> png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size()))
    throw std::runtime_error(std::string("not a readable PNG file: ") + image.message);
  image.format = PNG_FORMAT_RGBA;
  RgbaImage out;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) {
    const std::string message = image.message;
    png_image_free(&image);
    throw std::runtime_error("PNG file cannot be decoded: " + message);
  }
  return out;
}

}  // namespace morvane::assets
