// Decoding of UTF-8 text into code points.
#pragma once

#include <cstddef>
#include <string_view>

namespace morvane::runtime::text {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the code point that starts at byte `pos` of `s` and moves `pos` past it.
// A malformed sequence (bad lead or continuation byte, overlong form, surrogate,
// value past U+10FFFF, cut off at the end) yields U+FFFD and consumes one byte.
// `pos` must be less than s.size().
char32_t next_code_point(std::string_view s, std::size_t& pos);

}  // namespace morvane::runtime::text
