// The encodings of property values in the form description stream. Which property a
// code carries, per kind, is its row's in the property table (form/properties.cpp).
#pragma once

#include <cstdint>

namespace morvane::formats {

enum class Encoding : std::uint8_t {
  byte,
  int16,
  word32,
  colour,
  rectangle16,
  rectangle32,
  narrow_string,
  wide_string,
  font,
  picture,
};

}  // namespace morvane::formats
