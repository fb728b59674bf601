// Captions are stored in the stream as narrow strings in their language's code page
// (formats/languages.h): the build encodes them from the catalogue's UTF-8, and refuses
// a character the code page cannot hold rather than storing a stand-in for it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace morvane::app {

class CodePageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `utf8` in code page `code_page` (1252, 1251, 1256, 936, or 65001 for UTF-8 itself).
// Throws CodePageError naming the first character the code page lacks (as U+XXXX), or
// saying that this system cannot encode to the code page at all. The result decodes
// back to `utf8` exactly (checked).
std::string encode_code_page(std::string_view utf8, std::uint16_t code_page);

// The way back, for checking what was stored; throws CodePageError for bytes that are no
// text in the code page.
std::string decode_code_page(std::string_view bytes, std::uint16_t code_page);

}  // namespace morvane::app
