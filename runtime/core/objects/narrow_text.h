// Text stored as a narrow string in a Windows code page (a caption in the form's
// stream: 1252, 1251, 936, 1256, or 65001 for UTF-8), turned into UTF-8, the text that
// the runtime paints, names windows with and reads aloud. The code page comes from the
// font's character set (formats::code_page_of_charset).
//
// Each platform's library defines it with the system's own conversion (iconv on Linux,
// MultiByteToWideChar on Windows, the page's TextDecoder in a browser): the runtime
// carries no code page tables. A byte sequence the code page does not define becomes
// U+FFFD; it never fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace morvane::runtime {

std::string narrow_to_utf8(std::string_view bytes, std::uint16_t code_page);

}  // namespace morvane::runtime
