#include "runtime/backends/browser/canvas_pixels.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace morvane::runtime {
namespace {

std::vector<std::uint8_t> pixel_at(const std::vector<std::uint8_t>& rgba, int width, int x, int y) {
  const auto at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
  return {rgba.begin() + static_cast<std::ptrdiff_t>(at), rgba.begin() + static_cast<std::ptrdiff_t>(at + 4)};
}

TEST(CanvasPixels, WritesRedGreenBlueOpaqueInRowOrder) {
  Framebuffer fb(3, 2);
  fb.row(0)[0] = 0x112233;
  fb.row(0)[2] = 0xFF0000;
  fb.row(1)[1] = 0x0000FE;
  std::vector<std::uint8_t> rgba(canvas_bytes(fb), 7);
  copy_to_canvas(fb, fb.bounds(), rgba);
  EXPECT_EQ(pixel_at(rgba, 3, 0, 0), (std::vector<std::uint8_t>{0x11, 0x22, 0x33, 0xFF}));
  EXPECT_EQ(pixel_at(rgba, 3, 2, 0), (std::vector<std::uint8_t>{0xFF, 0x00, 0x00, 0xFF}));
  EXPECT_EQ(pixel_at(rgba, 3, 1, 1), (std::vector<std::uint8_t>{0x00, 0x00, 0xFE, 0xFF}));
  EXPECT_EQ(pixel_at(rgba, 3, 0, 1), (std::vector<std::uint8_t>{0, 0, 0, 0xFF}));
}

TEST(CanvasPixels, LeavesTheBytesOutsideTheAreaAndClipsIt) {
  Framebuffer fb(4, 3);
  for (auto& p : fb.pixels) p = 0xABCDEF;
  std::vector<std::uint8_t> rgba(canvas_bytes(fb), 7);
  copy_to_canvas(fb, {2, 1, 10, 10}, rgba);  // reaches past the right and bottom edges
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool inside = x >= 2 && y >= 1;
      EXPECT_EQ(pixel_at(rgba, 4, x, y), inside ? (std::vector<std::uint8_t>{0xAB, 0xCD, 0xEF, 0xFF})
                                                : (std::vector<std::uint8_t>{7, 7, 7, 7}))
          << x << "," << y;
    }
  copy_to_canvas(fb, {-5, -5, 3, 3}, rgba);  // wholly outside: nothing
  EXPECT_EQ(pixel_at(rgba, 4, 0, 0), (std::vector<std::uint8_t>{7, 7, 7, 7}));
}

TEST(CanvasPixels, RefusesAnImageOfAnotherSize) {
  Framebuffer fb(4, 3);
  std::vector<std::uint8_t> short_image(canvas_bytes(fb) - 1);
  EXPECT_THROW(copy_to_canvas(fb, fb.bounds(), short_image), std::invalid_argument);
  std::vector<std::uint8_t> none;
  EXPECT_THROW(copy_to_canvas(fb, {}, none), std::invalid_argument);
}

}  // namespace
}  // namespace morvane::runtime
