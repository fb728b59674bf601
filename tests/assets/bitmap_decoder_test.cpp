// The runtime's bitmap decoder: the committed pictures, small hand-made files in each
// accepted layout, and a table of damaged files that it must refuse at the right byte.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/bitmap_file.h"
#include "runtime/bitmap/bitmap.h"
#include "tests/assets/picture_files.h"

namespace morvane::test {
namespace {

using runtime::BitmapError;
using runtime::decode_bmp;
using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& bytes, std::size_t at, std::uint32_t value) { formats::store_le32(&bytes.at(at + 3) - 3, value); }
void put16(Bytes& bytes, std::size_t at, std::uint16_t value) { formats::store_le16(&bytes.at(at + 1) - 1, value); }

// A bitmap file whose pixel (x, y), counted from the top, is colour(x, y).
Bytes make_bitmap(int width, int height, int bits, bool top_down, const std::function<std::uint32_t(int, int)>& colour) {
  return morvane::testing::bitmap_file(width, height, bits, top_down, colour);
}

std::uint32_t pattern(int x, int y) { return static_cast<std::uint32_t>((x * 37 + y * 101) * 0x010203) & 0xFFFFFF; }

TEST(BitmapDecoder, CommittedPicturesDecodeWhiteAtTopAndBottom) {
  for (const char* name : {"enzyme.bmp", "substrate.bmp", "product.bmp", "complex.bmp"}) {
    const Bytes file = read_asset(name);
    const runtime::Image image = decode_bmp(file);
    ASSERT_EQ(image.width, 203) << name;
    ASSERT_EQ(image.height, 203) << name;
    ASSERT_EQ(image.pixels.size(), 203u * 203u);
    // The first stored row is the picture's bottom row; both it and row 0 are white.
    for (int x = 0; x < 203; ++x) {
      EXPECT_EQ(pixel(image, x, 0), 0xFFFFFFu) << name;
      EXPECT_EQ(pixel(image, x, 202), 0xFFFFFFu) << name;
    }
    // Every pixel is the stored blue-green-red triple of its row.
    for (int y = 0; y < 203; ++y) {
      for (int x = 0; x < 203; ++x) {
        const std::size_t at = 54 + static_cast<std::size_t>(202 - y) * 612 + static_cast<std::size_t>(x) * 3;
        const std::uint32_t stored = static_cast<std::uint32_t>(file[at + 2]) << 16 | file[at + 1] << 8 | file[at];
        ASSERT_EQ(pixel(image, x, y), stored) << name << " " << x << "," << y;
      }
    }
  }
}

TEST(BitmapDecoder, ReadsEveryLayoutItAccepts) {
  for (const int bits : {24, 32}) {
    for (const bool top_down : {false, true}) {
      for (const int width : {1, 2, 3, 4, 5, 7}) {
        const int height = 3;
        const Bytes file = make_bitmap(width, height, bits, top_down, pattern);
        const runtime::Image image = decode_bmp(file);
        ASSERT_EQ(image.width, width);
        ASSERT_EQ(image.height, height);
        for (int y = 0; y < height; ++y) {
          for (int x = 0; x < width; ++x) {
            ASSERT_EQ(pixel(image, x, y), pattern(x, y)) << bits << " bits, " << (top_down ? "top-down" : "bottom-up")
                                                         << ", width " << width << ", pixel " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST(BitmapDecoder, LargerInformationHeadersAndGapsBeforeTheRowsAreSkipped) {
  Bytes file = make_bitmap(2, 2, 24, false, pattern);
  // Move the rows 84 bytes on, as a 124-byte information header would.
  file.insert(file.begin() + 54, 84, 0xEE);
  put32(file, 2, static_cast<std::uint32_t>(file.size()));
  put32(file, 14, 124);
  put32(file, 10, 138);
  const runtime::Image image = decode_bmp(file);
  EXPECT_EQ(pixel(image, 1, 1), pattern(1, 1));
  EXPECT_EQ(pixel(image, 0, 0), pattern(0, 0));
}

struct Damage {
  const char* name;
  std::function<void(Bytes&)> apply;
  std::size_t offset;  // where the decoder must say it found something unexpected
};

Bytes truncated(const Bytes& file, std::size_t length) { return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)); }

TEST(BitmapDecoder, RefusesDamagedFilesNamingTheOffset) {
  const Bytes good = read_asset("enzyme.bmp");
  const std::size_t size = good.size();
  const auto resize_to = [](std::size_t length) {
    return [length](Bytes& b) {
      b.resize(length);
      if (length >= 6) put32(b, 2, static_cast<std::uint32_t>(length));  // claim the length that is there
    };
  };
  const std::vector<Damage> table{
      {"empty", [](Bytes& b) { b.clear(); }, 0},
      {"one byte", [&](Bytes& b) { b = truncated(good, 1); }, 1},
      {"file header only", [&](Bytes& b) { b = truncated(good, 14); }, 14},
      {"cut inside the information header", [&](Bytes& b) { b = truncated(good, 40); }, 2},
      {"cut inside the rows", [&](Bytes& b) { b = truncated(good, size - 1); }, 2},
      {"cut in the information header, size field agreeing", resize_to(40), 40},
      {"cut in the rows, size field agreeing", resize_to(size - 1), size - 1},
      {"headers without rows, size field agreeing", resize_to(54), 54},
      {"signature", [](Bytes& b) { b[1] = 'N'; }, 0},
      {"file size one too large", [&](Bytes& b) { put32(b, 2, static_cast<std::uint32_t>(size + 1)); }, 2},
      {"file size zero", [](Bytes& b) { put32(b, 2, 0); }, 2},
      {"bytes beyond the file size", [](Bytes& b) { b.push_back(0); }, 2},
      {"pixel offset inside the headers", [](Bytes& b) { put32(b, 10, 53); }, 10},
      {"pixel offset past the end", [&](Bytes& b) { put32(b, 10, static_cast<std::uint32_t>(size + 1)); }, 10},
      {"pixel offset leaves too few bytes", [](Bytes& b) { put32(b, 10, 58); }, size},
      {"information header of 12 bytes", [](Bytes& b) { put32(b, 14, 12); }, 14},
      {"information header of 41 bytes", [](Bytes& b) { put32(b, 14, 41); }, 14},
      {"information header larger than the file", [](Bytes& b) { put32(b, 14, 0xFFFFFFF0u); }, 14},
      {"width zero", [](Bytes& b) { put32(b, 18, 0); }, 18},
      {"width negative", [](Bytes& b) { put32(b, 18, static_cast<std::uint32_t>(-203)); }, 18},
      {"width huge", [](Bytes& b) { put32(b, 18, 0x7FFFFFFF); }, 18},
      {"width too large for the rows", [](Bytes& b) { put32(b, 18, 205); }, size},
      {"height zero", [](Bytes& b) { put32(b, 22, 0); }, 22},
      {"height most negative", [](Bytes& b) { put32(b, 22, 0x80000000u); }, 22},
      {"height too large for the rows", [](Bytes& b) { put32(b, 22, 204); }, size},
      {"two planes", [](Bytes& b) { put16(b, 26, 2); }, 26},
      {"8 bits per pixel", [](Bytes& b) { put16(b, 28, 8); }, 28},
      {"16 bits per pixel", [](Bytes& b) { put16(b, 28, 16); }, 28},
      {"32 bits per pixel, rows too short", [](Bytes& b) { put16(b, 28, 32); }, size},
      {"run-length compression", [](Bytes& b) { put32(b, 30, 1); }, 30},
      {"bit-field compression", [](Bytes& b) { put32(b, 30, 3); }, 30},
  };
  for (const Damage& damage : table) {
    Bytes file = good;
    damage.apply(file);
    // A copy of exactly the damaged length, so that any read past it is caught by the sanitizers.
    const Bytes exact(file.begin(), file.end());
    try {
      decode_bmp(exact);
      ADD_FAILURE() << damage.name << ": accepted";
    } catch (const BitmapError& error) {
      EXPECT_EQ(error.offset(), damage.offset) << damage.name << ": " << error.what();
      EXPECT_NE(std::string(error.what()).find("offset " + std::to_string(damage.offset) + ": expected"), std::string::npos)
          << damage.name << ": " << error.what();
    }
  }
}

TEST(BitmapDecoder, EveryTruncationIsRefused) {
  const Bytes good = make_bitmap(5, 4, 24, false, pattern);
  for (std::size_t length = 0; length < good.size(); ++length) {
    Bytes file(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    if (length >= 6) put32(file, 2, static_cast<std::uint32_t>(length));
    EXPECT_THROW(decode_bmp(file), BitmapError) << "length " << length;
  }
}

TEST(BitmapDecoder, PaddingMayHoldAnything) {
  Bytes file = make_bitmap(1, 2, 24, false, pattern);
  file[54 + 3] = 0xFF;  // the padding byte after the bottom row's one pixel
  const runtime::Image image = decode_bmp(file);
  EXPECT_EQ(pixel(image, 0, 1), pattern(0, 1));
  EXPECT_EQ(pixel(image, 0, 0), pattern(0, 0));
}

}  // namespace
}  // namespace morvane::test
