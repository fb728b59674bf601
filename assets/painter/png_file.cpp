#include "assets/painter/png_file.h"

#include <png.h>

#include <csetjmp>
#include <stdexcept>
#include <string>

namespace morvane::painter {

namespace {

void append(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flush(png_structp) {}

// libpng reports failures by jumping back here; nothing between the jump and its target
// owns resources, so the jump skips no destructor.
bool write(png_structp png, png_infop info, int width, int height, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::vector<std::uint8_t> encode_png_rgba(int width, int height, const std::vector<std::uint32_t>& pixels) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    throw std::invalid_argument("PNG image size does not match its pixels");
  }
  std::vector<png_byte> bytes;
  bytes.reserve(pixels.size() * 4);
  for (const std::uint32_t pixel : pixels) {
    bytes.push_back(static_cast<png_byte>(pixel >> 16));
    bytes.push_back(static_cast<png_byte>(pixel >> 8));
    bytes.push_back(static_cast<png_byte>(pixel));
    bytes.push_back(static_cast<png_byte>(pixel >> 24));
  }
  std::vector<png_bytep> rows;
  for (int y = 0; y < height; ++y) rows.push_back(bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4);

  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) throw std::runtime_error("cannot start the PNG writer");
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("cannot start the PNG writer");
  }
  png_set_write_fn(png, &out, append, flush);
  const bool written = write(png, info, width, height, rows.data());
  png_destroy_write_struct(&png, &info);
  if (!written) throw std::runtime_error("writing the PNG image failed");
  return out;
}

}  // namespace morvane::painter
