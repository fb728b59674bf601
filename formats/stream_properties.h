// The properties a record of the form description stream can carry: their encodings,
// the fields of the window's model they fill, and one code table entry. Each control
// kind's codes stand in its row of the control kind catalogue.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

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

// A field of FormSettings or ControlRecord that a property code carries.
enum class Field : std::uint8_t {
  caption,
  back_color,
  fore_color,
  picture,
  bounds,
  visible,
  tab_index,
  flags,
  setting_23,
  link_topic,
  client_area,
  startup_position,
  font,
  drag_mode,
  setting_2a,
  tag,
};

inline constexpr std::array<Field, 16> all_fields = {
    Field::caption,   Field::back_color, Field::fore_color,  Field::picture,
    Field::bounds,    Field::visible,    Field::tab_index,   Field::flags,
    Field::setting_23, Field::link_topic, Field::client_area, Field::startup_position,
    Field::font,      Field::drag_mode,  Field::setting_2a,  Field::tag,
};

std::string_view field_name(Field field);

struct PropertySpec {
  std::uint8_t code;
  Field field;
  Encoding encoding;
  bool always_carried;    // written even when it holds the kind's default
  std::string_view name;  // for messages and dumps
};

}  // namespace morvane::formats
