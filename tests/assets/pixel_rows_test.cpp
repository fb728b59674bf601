// Row unpacking of 24-bit pixels: every unpacker this processor runs gives the same
// words as the plain byte-by-byte reading, for every row length around its step sizes,
// reads nothing past the row (the row ends at an unreadable page) and writes nothing
// past its words; and the decoder, which uses the fastest, reads rows of those lengths.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "runtime/image/bitmap.h"
#include "runtime/image/pixel_rows.h"

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

}  // namespace
}  // namespace morvane::test
