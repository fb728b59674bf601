#include "assets/painter/icon.h"

#include <cstdint>
#include <stdexcept>

#include "formats/little_endian.h"

namespace morvane::painter {

namespace {

// The window as seen at an angle: its left side is tall, its right side short, and its top
// and bottom edges run as straight stepped lines between them. Each size has its own
// drawing so that the lines stay one pixel thick.
struct WindowShape {
  int size;
  int left, right;                 // outline columns
  int top_left, top_right;         // outline rows of the top edge at the two sides
  int bottom_left, bottom_right;   // outline rows of the bottom edge
  int title_rows;                  // rows of title bar colour under the top edge
  int shadow;                      // offset of the shadow, right and down
};

constexpr WindowShape large_window{32, 2, 26, 3, 7, 27, 22, 4, 3};
constexpr WindowShape small_window{16, 1, 12, 2, 4, 13, 10, 2, 2};

// Rounds a / b to the nearest integer for b > 0, halves up.
int round_div(int a, int b) { return a >= 0 ? (2 * a + b) / (2 * b) : -((-2 * a + b - 1) / (2 * b)); }

int edge_row(int x, const WindowShape& shape, int at_left, int at_right) {
  return at_left + round_div((at_right - at_left) * (x - shape.left), shape.right - shape.left);
}

enum class Part { ground, shadow, outline, title, client };

Part window_part(const WindowShape& shape, int x, int y) {
  if (x < shape.left || x > shape.right) return Part::ground;
  const int top = edge_row(x, shape, shape.top_left, shape.top_right);
  const int bottom = edge_row(x, shape, shape.bottom_left, shape.bottom_right);
  if (y < top || y > bottom) return Part::ground;
  if (x == shape.left || x == shape.right || y == top || y == bottom) return Part::outline;
  if (y <= top + shape.title_rows) return Part::title;
  if (y == top + shape.title_rows + 1) return Part::outline;  // the line under the title bar
  return Part::client;
}

Part part_at(const WindowShape& shape, int x, int y) {
  const Part part = window_part(shape, x, y);
  if (part != Part::ground) return part;
  return window_part(shape, x - shape.shadow, y - shape.shadow) == Part::ground ? Part::ground : Part::shadow;
}

IconImage paint(const WindowShape& shape, int bits_per_pixel) {
  const int size = shape.size;
  IconImage image;
  image.size = size;
  image.bits_per_pixel = bits_per_pixel;
  const bool two_colour = bits_per_pixel == 1;
  if (two_colour) {
    image.palette.assign(two_colour_palette.begin(), two_colour_palette.end());
  } else {
    image.palette.assign(standard_palette.begin(), standard_palette.end());
  }
  constexpr std::uint8_t black_index = 0;
  const std::uint8_t white_index = two_colour ? 1 : 15;
  constexpr std::uint8_t cyan_index = 14;
  constexpr std::uint8_t grey_index = 8;

  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      std::uint8_t index = black_index;
      std::uint8_t transparent = 0;
      switch (part_at(shape, x, y)) {
        case Part::ground:
          transparent = 1;  // black under a set mask bit leaves the ground as it is
          break;
        case Part::shadow:
          // Two colours have no grey: a checkerboard of black and white stands for it.
          index = two_colour ? ((x + y) % 2 == 0 ? black_index : white_index) : grey_index;
          break;
        case Part::outline:
          break;
        case Part::title:
          index = two_colour ? black_index : cyan_index;
          break;
        case Part::client:
          index = white_index;
          break;
      }
      image.index.push_back(index);
      image.transparent.push_back(transparent);
    }
  }
  return image;
}

std::size_t row_bytes(int width, int bits_per_pixel) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits_per_pixel) + 31) / 32 * 4;
}

// Packs rows bottom-up, leftmost pixel in the high bits of each byte.
void put_rows(std::vector<std::uint8_t>& out, const IconImage& image, int bits_per_pixel,
              const std::vector<std::uint8_t>& values) {
  const std::size_t stride = row_bytes(image.size, bits_per_pixel);
  for (int y = image.size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(stride, 0);
    for (int x = 0; x < image.size; ++x) {
      const std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(bits_per_pixel);
      const unsigned value = values[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.size) + static_cast<std::size_t>(x)];
      row[bit / 8] = static_cast<std::uint8_t>(row[bit / 8] | value << (8 - bits_per_pixel - bit % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
}

std::vector<std::uint8_t> encode_image(const IconImage& image) {
  if (image.bits_per_pixel != 1 && image.bits_per_pixel != 4) throw std::invalid_argument("icons here use 1 or 4 bits per pixel");
  if (image.palette.size() != (std::size_t{1} << image.bits_per_pixel)) throw std::invalid_argument("palette size does not match the depth");
  const std::size_t pixels = static_cast<std::size_t>(image.size) * static_cast<std::size_t>(image.size);
  if (image.index.size() != pixels || image.transparent.size() != pixels) throw std::invalid_argument("icon image is incomplete");

  const std::size_t colour_bytes = row_bytes(image.size, image.bits_per_pixel) * static_cast<std::size_t>(image.size);
  const std::size_t mask_bytes = row_bytes(image.size, 1) * static_cast<std::size_t>(image.size);
  std::vector<std::uint8_t> out;
  formats::append_le32(out, 40);
  formats::append_le32(out, static_cast<std::uint32_t>(image.size));
  formats::append_le32(out, static_cast<std::uint32_t>(2 * image.size));  // colour rows and mask rows together
  formats::append_le16(out, 1);
  formats::append_le16(out, static_cast<std::uint16_t>(image.bits_per_pixel));
  formats::append_le32(out, 0);  // no compression
  formats::append_le32(out, static_cast<std::uint32_t>(colour_bytes + mask_bytes));
  formats::append_le32(out, static_cast<std::uint32_t>(0));
  formats::append_le32(out, static_cast<std::uint32_t>(0));
  formats::append_le32(out, 0);
  formats::append_le32(out, 0);
  for (const Rgb colour : image.palette) {
    out.push_back(static_cast<std::uint8_t>(colour));
    out.push_back(static_cast<std::uint8_t>(colour >> 8));
    out.push_back(static_cast<std::uint8_t>(colour >> 16));
    out.push_back(0);
  }
  put_rows(out, image, image.bits_per_pixel, image.index);
  put_rows(out, image, 1, image.transparent);
  return out;
}

}  // namespace

std::vector<std::uint32_t> rgba_pixels(const IconImage& image) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < image.size; ++y) {
    for (int x = 0; x < image.size; ++x) {
      pixels.push_back(image.is_transparent(x, y) ? 0u : 0xFF000000u | image.colour(x, y));
    }
  }
  return pixels;
}

std::vector<IconImage> paint_icon_images() { return {paint(large_window, 1), paint(large_window, 4), paint(small_window, 4)}; }

std::vector<std::uint8_t> encode_ico(const std::vector<IconImage>& images) {
  if (images.empty() || images.size() > 0xFFFF) throw std::invalid_argument("an icon holds 1 to 65535 images");
  std::vector<std::vector<std::uint8_t>> encoded;
  for (const IconImage& image : images) {
    if (image.size <= 0 || image.size > 255) throw std::invalid_argument("icon images here are 1 to 255 pixels");
    encoded.push_back(encode_image(image));
  }
  std::vector<std::uint8_t> out;
  formats::append_le16(out, 0);  // reserved
  formats::append_le16(out, 1);  // an icon, not a cursor
  formats::append_le16(out, static_cast<std::uint16_t>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const IconImage& image = images[i];
    out.push_back(static_cast<std::uint8_t>(image.size));
    out.push_back(static_cast<std::uint8_t>(image.size));
    out.push_back(static_cast<std::uint8_t>(image.palette.size()));  // 2 or 16 colours
    out.push_back(0);
    formats::append_le16(out, 1);  // planes
    formats::append_le16(out, static_cast<std::uint16_t>(image.bits_per_pixel));
    formats::append_le32(out, static_cast<std::uint32_t>(encoded[i].size()));
    formats::append_le32(out, offset);
    offset += static_cast<std::uint32_t>(encoded[i].size());
  }
  for (const auto& image : encoded) out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace morvane::painter
