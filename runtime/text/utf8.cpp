#include "runtime/text/utf8.h"

namespace morvane::runtime::text {

char32_t next_code_point(std::string_view s, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    cp = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    cp = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    cp = lead & 0x07;
    minimum = 0x10000;
  } else {
    ++pos;
    return kReplacementCharacter;
  }
  if (pos + static_cast<std::size_t>(length) > s.size()) {
    ++pos;
    return kReplacementCharacter;
  }
  for (int i = 1; i < length; ++i) {
    const unsigned char b = byte(pos + static_cast<std::size_t>(i));
    if ((b & 0xC0) != 0x80) {
      ++pos;
      return kReplacementCharacter;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return kReplacementCharacter;
  }
  pos += static_cast<std::size_t>(length);
  return cp;
}

}  // namespace morvane::runtime::text
