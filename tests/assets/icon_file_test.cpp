// The committed application icon: its directory, its three images and what they show, and
// the PNG copy of the large one, with the pixels decoded from it for the window.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <vector>

#include "assets/pictures.h"
#include "formats/little_endian.h"
#include "tests/assets/picture_files.h"

#ifdef MORVANE_TESTS_HAVE_PNG
#include <algorithm>
#include <stdexcept>

#include "assets/icon_pixels.h"
#include "assets/png_image.h"
#endif

namespace morvane::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t le32(const Bytes& b, std::size_t at) { return formats::le32(&b.at(at + 3) - 3); }
std::uint16_t le16(const Bytes& b, std::size_t at) { return formats::le16(&b.at(at + 1) - 1); }

constexpr std::uint32_t transparent = 0xFF000000;  // marks the ground in decoded images

struct IconImage {
  int size = 0;
  int bits = 0;
  std::vector<std::uint32_t> palette;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, or `transparent`; top row first
  std::uint32_t at(int x, int y) const { return pixels.at(static_cast<std::size_t>(y * size + x)); }
};

// Reads one image of an icon file, checking its header against its directory entry.
IconImage read_image(const Bytes& file, std::size_t entry) {
  IconImage image;
  image.size = file.at(entry);
  EXPECT_EQ(file.at(entry + 1), image.size);
  image.bits = le16(file, entry + 6);
  EXPECT_EQ(le16(file, entry + 4), 1);
  const std::size_t colours = std::size_t{1} << image.bits;
  EXPECT_EQ(file.at(entry + 2), colours);
  const std::size_t length = le32(file, entry + 8);
  const std::size_t start = le32(file, entry + 12);
  const std::size_t colour_stride = (static_cast<std::size_t>(image.size * image.bits) + 31) / 32 * 4;
  const std::size_t mask_stride = (static_cast<std::size_t>(image.size) + 31) / 32 * 4;
  const std::size_t rows = static_cast<std::size_t>(image.size);
  EXPECT_EQ(length, 40 + 4 * colours + (colour_stride + mask_stride) * rows);
  EXPECT_LE(start + length, file.size());

  EXPECT_EQ(le32(file, start), 40u);
  EXPECT_EQ(le32(file, start + 4), static_cast<std::uint32_t>(image.size));
  EXPECT_EQ(le32(file, start + 8), static_cast<std::uint32_t>(2 * image.size));
  EXPECT_EQ(le16(file, start + 12), 1);
  EXPECT_EQ(le16(file, start + 14), image.bits);
  EXPECT_EQ(le32(file, start + 16), 0u);
  for (std::size_t i = 0; i < colours; ++i) image.palette.push_back(le32(file, start + 40 + 4 * i));

  const std::size_t colour_rows = start + 40 + 4 * colours;
  const std::size_t mask_rows = colour_rows + colour_stride * rows;
  for (int y = 0; y < image.size; ++y) {
    const std::size_t stored = static_cast<std::size_t>(image.size - 1 - y);
    for (int x = 0; x < image.size; ++x) {
      const std::size_t bit = static_cast<std::size_t>(x * image.bits);
      const unsigned index = (file.at(colour_rows + stored * colour_stride + bit / 8) >> (8 - image.bits - bit % 8)) &
                             ((1u << image.bits) - 1);
      const bool masked = (file.at(mask_rows + stored * mask_stride + static_cast<std::size_t>(x) / 8) >> (7 - x % 8)) & 1;
      // The ground must be black under the mask, so that it shows through unchanged.
      if (masked) {
        EXPECT_EQ(image.palette.at(index), 0u) << x << "," << y;
      }
      image.pixels.push_back(masked ? transparent : image.palette.at(index));
    }
  }
  return image;
}

std::vector<IconImage> read_icon() {
  const Bytes file = read_asset("morvane.ico");
  EXPECT_EQ(le16(file, 0), 0);
  EXPECT_EQ(le16(file, 2), 1);
  EXPECT_EQ(le16(file, 4), 3);
  std::vector<IconImage> images;
  for (std::size_t i = 0; i < 3; ++i) images.push_back(read_image(file, 6 + 16 * i));
  return images;
}

const std::vector<std::uint32_t> standard_palette{
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

TEST(IconFile, HoldsTheThreeImagesInTheirPalettes) {
  const std::vector<IconImage> images = read_icon();
  ASSERT_EQ(images.size(), 3u);
  EXPECT_EQ(images[0].size, 32);
  EXPECT_EQ(images[0].bits, 1);
  EXPECT_EQ(images[0].palette, (std::vector<std::uint32_t>{0x000000, 0xFFFFFF}));
  EXPECT_EQ(images[1].size, 32);
  EXPECT_EQ(images[1].bits, 4);
  EXPECT_EQ(images[1].palette, standard_palette);
  EXPECT_EQ(images[2].size, 16);
  EXPECT_EQ(images[2].bits, 4);
  EXPECT_EQ(images[2].palette, standard_palette);
}

struct Extent {
  int count = 0;
  double mean_x = 0, mean_y = 0;
};

std::map<std::uint32_t, Extent> colour_extents(const IconImage& image) {
  std::map<std::uint32_t, Extent> extents;
  for (int y = 0; y < image.size; ++y) {
    for (int x = 0; x < image.size; ++x) {
      Extent& e = extents[image.at(x, y)];
      e.mean_x += (x - e.mean_x) / ++e.count;
      e.mean_y += (y - e.mean_y) / e.count;
    }
  }
  return extents;
}

// Rows of the window (anything but ground and shadow) in a column.
int window_rows(const IconImage& image, int x, std::uint32_t shadow) {
  int rows = 0;
  for (int y = 0; y < image.size; ++y) rows += image.at(x, y) != transparent && image.at(x, y) != shadow ? 1 : 0;
  return rows;
}

TEST(IconFile, ColourImagesShowASlantedWindowWithItsShadow) {
  const std::vector<IconImage> images = read_icon();
  for (const IconImage* image : {&images[1], &images[2]}) {
    SCOPED_TRACE(image->size);
    const auto extents = colour_extents(*image);
    // Ground, outline, title bar, client area and shadow, and nothing else.
    ASSERT_EQ(extents.size(), 5u);
    for (const std::uint32_t colour : {transparent, 0x000000u, 0x00FFFFu, 0xFFFFFFu, 0x808080u}) {
      ASSERT_EQ(extents.count(colour), 1u) << std::hex << colour;
    }
    const int last = image->size - 1;
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{last, 0}, std::pair{0, last}, std::pair{last, last}}) {
      EXPECT_EQ(image->at(x, y), transparent) << x << "," << y;
    }
    // The title bar is above the client area; the shadow lies to the lower right of both.
    const Extent& title = extents.at(0x00FFFF);
    const Extent& client = extents.at(0xFFFFFF);
    const Extent& shadow = extents.at(0x808080);
    EXPECT_LT(title.mean_y, client.mean_y);
    EXPECT_GT(shadow.mean_x, client.mean_x);
    EXPECT_GT(shadow.mean_y, client.mean_y);
    // Slanting away to the right: the window is taller at its left side than at its right.
    int left = 0;
    while (window_rows(*image, left, 0x808080) == 0) ++left;
    int right = last;
    while (window_rows(*image, right, 0x808080) == 0) --right;
    EXPECT_GT(window_rows(*image, left, 0x808080), window_rows(*image, right, 0x808080) + 2);
  }
}

TEST(IconFile, TwoColourImageFollowsTheColourOne) {
  const std::vector<IconImage> images = read_icon();
  const IconImage& two = images[0];
  const IconImage& colour = images[1];
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const std::uint32_t c = colour.at(x, y);
      const std::uint32_t t = two.at(x, y);
      if (c == transparent || c == 0x000000 || c == 0xFFFFFF) {
        EXPECT_EQ(t, c) << x << "," << y;
      } else if (c == 0x00FFFF) {
        EXPECT_EQ(t, 0x000000u) << x << "," << y;  // the title bar in black
      } else {
        EXPECT_NE(t, transparent) << x << "," << y;  // the shadow in a black and white pattern
      }
    }
  }
}

TEST(IconFile, EmbeddedPngIsTheCommittedOne) {
  const Bytes committed = read_asset("morvane.png");
  EXPECT_TRUE(std::equal(assets::icon_png.begin(), assets::icon_png.end(), committed.begin(), committed.end()));
}

#ifdef MORVANE_TESTS_HAVE_PNG
// The PNG copy shows the colour image, and the pixels the build decoded from it for the
// window are exactly what it shows.
TEST(IconFile, PngShowsTheLargeColourImage) {
  const assets::RgbaImage png = assets::decode_png(assets::icon_png);
  ASSERT_EQ(png.width, assets::icon_side);
  ASSERT_EQ(png.height, assets::icon_side);
  const std::vector<std::uint8_t>& rgba = png.rgba;
  EXPECT_TRUE(std::equal(rgba.begin(), rgba.end(), assets::icon_rgba.begin(), assets::icon_rgba.end()));
  const IconImage colour = read_icon()[1];
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const std::uint8_t* p = &rgba[static_cast<std::size_t>((y * 32 + x) * 4)];
      const std::uint32_t want = colour.at(x, y);
      if (want == transparent) {
        EXPECT_EQ(p[3], 0) << x << "," << y;
      } else {
        EXPECT_EQ(p[3], 255) << x << "," << y;
        EXPECT_EQ(static_cast<std::uint32_t>(p[0] << 16 | p[1] << 8 | p[2]), want) << x << "," << y;
      }
    }
  }
}

TEST(IconFile, BrokenPngFilesAreRefusedWithAMessage) {
  const std::vector<std::uint8_t> garbage(100, 0x42);
  EXPECT_THROW(assets::decode_png(garbage), std::runtime_error);
  EXPECT_THROW(assets::decode_png({}), std::runtime_error);
  const std::vector<std::uint8_t> cut(assets::icon_png.begin(), assets::icon_png.begin() + std::ssize(assets::icon_png) / 2);
  EXPECT_THROW(assets::decode_png(cut), std::runtime_error);
}
#endif

}  // namespace
}  // namespace morvane::test
