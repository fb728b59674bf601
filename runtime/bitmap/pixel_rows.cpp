#include "runtime/bitmap/pixel_rows.h"

#include <bit>
#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define MORVANE_X86_VECTORS 1
#include <immintrin.h>
#endif

namespace morvane::runtime {

namespace {

std::uint32_t pixel_at(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

void unpack_bytewise(const std::uint8_t* in, std::size_t count, std::uint32_t* out) {
  for (std::size_t x = 0; x < count; ++x, in += 3) out[x] = pixel_at(in);
}

void unpack_portable(const std::uint8_t* in, std::size_t count, std::uint32_t* out) {
  std::size_t x = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // Whole 32-bit loads, masked; the last pixel is read bytewise so that no load
    // reaches past the row.
    for (; x + 1 < count; ++x, in += 3) {
      std::uint32_t word;
      std::memcpy(&word, in, sizeof word);
      out[x] = word & 0xFFFFFFu;
    }
  }
  unpack_bytewise(in, count - x, out + x);
}

#ifdef MORVANE_X86_VECTORS

// Eight pixels a step: 24 bytes spread over the two 128-bit lanes (bytes 0-15 and
// 8-23), then each lane's 12 bytes widened to four words. A step loads 32 bytes, so it
// runs while at least 11 pixels are left; the rest go bytewise.
__attribute__((target("avx2"))) void unpack_avx2(const std::uint8_t* in, std::size_t count, std::uint32_t* out) {
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 2, 3, 4, 5);
  const __m256i widen = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                                         4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
  std::size_t x = 0;
  for (; x + 11 <= count; x += 8, in += 24, out += 8) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(v, lanes), widen));
  }
  unpack_bytewise(in, count - x, out);
}

// Sixteen pixels a step: 48 bytes, loaded under a mask, widened by one byte permute that
// takes the zero bytes from a second, zero register. The last step is masked to the
// pixels that are left, so nothing past the row is read or written.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void unpack_avx512(const std::uint8_t* in, std::size_t count,
                                                                           std::uint32_t* out) {
  alignas(64) static constexpr std::uint8_t kWiden[64] = {
      0,  1,  2,  64, 3,  4,  5,  64, 6,  7,  8,  64, 9,  10, 11, 64, 12, 13, 14, 64, 15, 16,
      17, 64, 18, 19, 20, 64, 21, 22, 23, 64, 24, 25, 26, 64, 27, 28, 29, 64, 30, 31, 32, 64,
      33, 34, 35, 64, 36, 37, 38, 64, 39, 40, 41, 64, 42, 43, 44, 64, 45, 46, 47, 64};
  const __m512i widen = _mm512_load_si512(kWiden);
  const __m512i zero = _mm512_setzero_si512();
  std::size_t x = 0;
  for (; x + 16 <= count; x += 16, in += 48, out += 16) {
    const __m512i v = _mm512_maskz_loadu_epi8(0xFFFFFFFFFFFFull, in);
    _mm512_storeu_si512(out, _mm512_permutex2var_epi8(v, widen, zero));
  }
  if (const std::size_t left = count - x; left > 0) {
    const __m512i v = _mm512_maskz_loadu_epi8((std::uint64_t{1} << (3 * left)) - 1, in);
    _mm512_mask_storeu_epi32(out, static_cast<__mmask16>((1u << left) - 1), _mm512_permutex2var_epi8(v, widen, zero));
  }
}

bool has_avx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

bool has_avx512() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vbmi");
}

#endif

BgrRowUnpacker choose() {
#ifdef MORVANE_X86_VECTORS
  if (has_avx512()) return unpack_avx512;
  if (has_avx2()) return unpack_avx2;
#endif
  return unpack_portable;
}

}  // namespace

BgrRowUnpacker bgr_row_unpacker() {
  static const BgrRowUnpacker chosen = choose();
  return chosen;
}

std::vector<NamedBgrRowUnpacker> available_bgr_row_unpackers() {
  std::vector<NamedBgrRowUnpacker> all{{"portable", unpack_portable}};
#ifdef MORVANE_X86_VECTORS
  if (has_avx2()) all.push_back({"avx2", unpack_avx2});
  if (has_avx512()) all.push_back({"avx512vbmi", unpack_avx512});
#endif
  return all;
}

}  // namespace morvane::runtime
