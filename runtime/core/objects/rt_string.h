// The runtime's strings: UTF-16, carrying their length in front of the text.
// Constant strings live in static storage and are never freed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/utf16.h"

namespace morvane::runtime {

// A constant string of the runtime. The length prefix (in bytes) precedes the text.
struct ConstString {
  std::uint32_t byte_length;
  std::u16string_view text;
};

// Makes a constant string from a literal: the object is static and never freed.
#define MORVANE_CONST_STRING(name, literal) \
  inline constexpr ::morvane::runtime::ConstString name{sizeof(literal) - sizeof(char16_t), literal}

// An owned runtime string.
class RtString {
 public:
  RtString() = default;
  explicit RtString(std::u16string_view text) : text_(text) {}
  std::uint32_t byte_length() const { return static_cast<std::uint32_t>(text_.size() * sizeof(char16_t)); }
  std::u16string_view view() const { return text_; }
  friend bool operator==(const RtString&, const RtString&) = default;

 private:
  std::u16string text_;
};

// UTF-16 to UTF-8 for messages (unpaired surrogates become U+FFFD).
inline std::string to_utf8(std::u16string_view text) { return formats::utf16_to_utf8(text); }
// UTF-8 (assumed valid; invalid bytes become U+FFFD) to UTF-16.
inline std::u16string to_utf16(std::string_view text) { return formats::utf8_to_utf16(text); }
using formats::equal_ignoring_ascii_case;

}  // namespace morvane::runtime
