// UTF-16 text (the runtime's strings, the stream's wide strings) as UTF-8 and back.
#pragma once

#include <string>
#include <string_view>

namespace morvane::formats {

// Unpaired surrogates become U+FFFD.
std::string utf16_to_utf8(std::u16string_view text);
// Malformed sequences become U+FFFD, one byte at a time.
std::u16string utf8_to_utf16(std::string_view text);
// ASCII case-insensitive equality, used for member names.
bool equal_ignoring_ascii_case(std::u16string_view a, std::u16string_view b);

}  // namespace morvane::formats
