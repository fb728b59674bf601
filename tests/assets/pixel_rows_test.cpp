// Row unpacking of 24-bit pixels: every unpacker this processor runs gives the same
// words as the plain byte-by-byte reading, for every row length around its step sizes,
// reads nothing past the row (the row ends at an unreadable page) and writes nothing
// past its words; the decoder, which uses the fastest, reads rows of those lengths; and
// a bitmap viewed in place reads as it decodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

#include "runtime/bitmap/bitmap.h"
#include "runtime/bitmap/pixel_rows.h"

#if defined(__unix__) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#include <unistd.h>
#define MORVANE_TEST_GUARD_PAGE 1
#endif

namespace morvane::test {
namespace {

using runtime::available_bgr_row_unpackers;

std::uint32_t reference(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

constexpr std::size_t kLongest = 100;

std::vector<std::uint8_t> noise(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::vector<std::uint8_t> bytes(n);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(gen());
  return bytes;
}

TEST(PixelRows, ThePortableUnpackerIsAlwaysThere) {
  const auto all = available_bgr_row_unpackers();
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all.front().name, "portable");
}

TEST(PixelRows, EveryUnpackerGivesTheBytewiseWords) {
  const std::vector<std::uint8_t> in = noise(3 * kLongest, 7);
  for (const auto& u : available_bgr_row_unpackers()) {
    for (std::size_t count = 0; count <= kLongest; ++count) {
      std::vector<std::uint32_t> out(count + 8, 0xDEADBEEF);
      u.unpack(in.data(), count, out.data());
      for (std::size_t x = 0; x < count; ++x)
        ASSERT_EQ(out[x], reference(in.data() + 3 * x)) << u.name << ", " << count << " pixels, pixel " << x;
      for (std::size_t x = count; x < out.size(); ++x)
        ASSERT_EQ(out[x], 0xDEADBEEF) << u.name << " wrote past " << count << " pixels";
    }
  }
}

#ifdef MORVANE_TEST_GUARD_PAGE
// Two pages, the second unreadable: a row placed to end at the boundary faults on any
// read past its last byte.
class GuardedRow {
 public:
  GuardedRow() {
    page_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* p = mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return;
    base_ = static_cast<std::uint8_t*>(p);
    if (mprotect(base_ + page_, page_, PROT_NONE) != 0) {
      munmap(base_, 2 * page_);
      base_ = nullptr;
    }
  }
  ~GuardedRow() {
    if (base_) munmap(base_, 2 * page_);
  }
  GuardedRow(const GuardedRow&) = delete;
  GuardedRow& operator=(const GuardedRow&) = delete;
  bool ok() const { return base_ != nullptr; }
  // `bytes` copied to end exactly at the unreadable page.
  const std::uint8_t* place(const std::vector<std::uint8_t>& bytes) {
    std::uint8_t* at = base_ + page_ - bytes.size();
    std::memcpy(at, bytes.data(), bytes.size());
    return at;
  }

 private:
  std::size_t page_ = 0;
  std::uint8_t* base_ = nullptr;
};

TEST(PixelRows, NoUnpackerReadsPastTheRow) {
  GuardedRow guard;
  ASSERT_TRUE(guard.ok());
  for (const auto& u : available_bgr_row_unpackers()) {
    for (std::size_t count = 1; count <= kLongest; ++count) {
      const std::vector<std::uint8_t> row = noise(3 * count, static_cast<unsigned>(count));
      const std::uint8_t* in = guard.place(row);
      std::vector<std::uint32_t> out(count);
      u.unpack(in, count, out.data());  // a read past the row ends the test with a fault
      ASSERT_EQ(out.back(), reference(row.data() + 3 * (count - 1))) << u.name << ", " << count << " pixels";
    }
  }
}
#endif

// A 24-bit bitmap file, rows bottom-up, whose pixel (x, y) from the top is colour(x, y).
std::vector<std::uint8_t> bitmap_24(int width, int height, std::uint32_t (*colour)(int, int)) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> file(54 + stride * static_cast<std::size_t>(height), 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = 24;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t at = 54 + static_cast<std::size_t>(height - 1 - y) * stride + static_cast<std::size_t>(x) * 3;
      const std::uint32_t rgb = colour(x, y);
      file[at] = static_cast<std::uint8_t>(rgb);
      file[at + 1] = static_cast<std::uint8_t>(rgb >> 8);
      file[at + 2] = static_cast<std::uint8_t>(rgb >> 16);
    }
    // Padding that is not zero must stay out of the pixels.
    for (std::size_t p = static_cast<std::size_t>(width) * 3; p < stride; ++p)
      file[54 + static_cast<std::size_t>(height - 1 - y) * stride + p] = 0xA5;
  }
  return file;
}

std::uint32_t stripes(int x, int y) { return static_cast<std::uint32_t>(x * 0x030507 + y * 0x110D0B) & 0xFFFFFF; }

TEST(PixelRows, TheDecoderReadsRowsOfEveryLength) {
  for (int width = 1; width <= 70; ++width) {
    const auto file = bitmap_24(width, 3, stripes);
    const runtime::Image image = runtime::decode_bmp(file);
    ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(image.pixels[static_cast<std::size_t>(y * width + x)], stripes(x, y))
            << "width " << width << ", pixel " << x << "," << y;
  }
}

// Viewing a file reads the same rows as decoding it, for both row orders and both
// pixel sizes, from any starting pixel; reads outside the bitmap are refused.
TEST(BitmapView, ReadsWhatTheDecoderDecodes) {
  for (const bool bottom_up : {true, false}) {
    for (const int width : {1, 5, 17, 40}) {
      std::vector<std::uint8_t> file = bitmap_24(width, 4, stripes);
      if (!bottom_up) {
        // The same pixels stored top row first: a negative height and the rows reversed.
        const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
        std::vector<std::uint8_t> rows(file.begin() + 54, file.end());
        for (int y = 0; y < 4; ++y)
          std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>((3 - y) * stride), stride,
                      file.begin() + 54 + static_cast<std::ptrdiff_t>(y * stride));
        const std::uint32_t h = static_cast<std::uint32_t>(-4);
        for (int i = 0; i < 4; ++i) file[22 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(h >> (8 * i));
      }
      const runtime::Image decoded = runtime::decode_bmp(file);
      const runtime::BitmapView view = runtime::view_bmp(file);
      ASSERT_EQ(view.width(), width);
      ASSERT_EQ(view.height(), 4);
      for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < width; ++x) {
          std::vector<std::uint32_t> row(static_cast<std::size_t>(width - x));
          view.read_row(y, x, width - x, row.data());
          for (int i = x; i < width; ++i)
            ASSERT_EQ(row[static_cast<std::size_t>(i - x)], decoded.pixels[static_cast<std::size_t>(y * width + i)])
                << (bottom_up ? "bottom-up" : "top-down") << ", width " << width << ", row " << y << " from " << x;
        }
        ASSERT_EQ(decoded.pixels[static_cast<std::size_t>(y * width)], stripes(0, y));
      }
      std::uint32_t sink[64];
      EXPECT_THROW(view.read_row(4, 0, 1, sink), std::out_of_range);
      EXPECT_THROW(view.read_row(-1, 0, 1, sink), std::out_of_range);
      EXPECT_THROW(view.read_row(0, 0, width + 1, sink), std::out_of_range);
      EXPECT_THROW(view.read_row(0, width, 1, sink), std::out_of_range);
      EXPECT_THROW(view.read_row(0, -1, 1, sink), std::out_of_range);
      EXPECT_NO_THROW(view.read_row(0, width, 0, sink));
    }
  }
}

TEST(BitmapView, RefusesWhatTheDecoderRefuses) {
  std::vector<std::uint8_t> file = bitmap_24(3, 3, stripes);
  file[28] = 16;  // 16 bits per pixel
  EXPECT_THROW(runtime::view_bmp(file), runtime::BitmapError);
  file = bitmap_24(3, 3, stripes);
  file.pop_back();
  EXPECT_THROW(runtime::view_bmp(file), runtime::BitmapError);
}

TEST(Picture, DecodedOrInPlaceReadsTheSame) {
  const auto file = bitmap_24(9, 2, stripes);
  const runtime::Picture decoded(runtime::decode_bmp(file));
  const runtime::Picture in_place(runtime::view_bmp(file));
  EXPECT_FALSE(decoded.in_place());
  EXPECT_TRUE(in_place.in_place());
  EXPECT_EQ(decoded.width(), 9);
  EXPECT_EQ(in_place.height(), 2);
  std::uint32_t a[9], b[9];
  for (int y = 0; y < 2; ++y) {
    decoded.read_row(y, 2, 7, a);
    in_place.read_row(y, 2, 7, b);
    EXPECT_TRUE(std::equal(a, a + 7, b)) << "row " << y;
  }
  EXPECT_THROW(decoded.read_row(0, 3, 7, a), std::out_of_range);
  runtime::Image short_of_pixels;
  short_of_pixels.width = short_of_pixels.height = 2;
  short_of_pixels.pixels.assign(3, 0);
  EXPECT_THROW(runtime::Picture{std::move(short_of_pixels)}, std::invalid_argument);
}

}  // namespace
}  // namespace morvane::test
