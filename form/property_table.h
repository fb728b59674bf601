// The property codes of each kind of record in the form description stream (each kind's
// row of the control kind catalogue holds its codes), and how a code's value goes into
// and out of the window model's fields. The writer, the reader and formdump all work
// from these.
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
#include "formats/stream_properties.h"

namespace morvane::form {

using formats::Encoding;
using formats::Field;
using formats::PropertySpec;
using formats::all_fields;
using formats::field_name;

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
