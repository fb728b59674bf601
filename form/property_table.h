// The property codes of each kind of record in the form description stream: which code
// carries which field of the window model, in which encoding, and the kind's defaults.
// The writer, the reader and formdump all work from these tables.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "form/window_model.h"

namespace morvane::form {

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

// The codes of a kind, in rising order.
std::span<const PropertySpec> property_table(ControlKind kind);
const PropertySpec* find_property(ControlKind kind, std::uint8_t code);
const PropertySpec* find_field(ControlKind kind, Field field);

// Whether `kind` is a kind of control record (the form's kind is not).
bool is_control_kind(std::uint8_t kind);

// A decoded property value; the alternative follows the encoding: byte → uint8_t,
// int16 → int16_t, word32 and colour → uint32_t, rectangles → Rect, narrow string →
// string, wide string → u16string, font → Font, picture → the image data.
using PropertyValue = std::variant<std::uint8_t, std::int16_t, std::uint32_t, Rect, std::string,
                                   std::u16string, Font, PictureBytes>;

// The value a field holds, or nothing when it is absent (or not a field of the record).
std::optional<PropertyValue> get_field(const FormSettings& form, Field field);
std::optional<PropertyValue> get_field(const ControlRecord& control, Field field);
// Stores a value decoded by the field's encoding.
void set_field(FormSettings& form, Field field, PropertyValue value);
void set_field(ControlRecord& control, Field field, PropertyValue value);

// True when `value` is what an absent property of `kind` stands for, so the writer leaves
// it out: a picture box's background colour 0x8000000F, visible, manual drag mode, empty tag.
bool is_kind_default(ControlKind kind, Field field, const PropertyValue& value);

// The start-up visibility after the kind's default has been applied.
bool starts_visible(const ControlRecord& control);

}  // namespace morvane::form
