// A window as data: the form and its controls with every setting that differs from its
// kind's default, plus the words that every record of a kind carries. The build lays
// the form description stream out from such a model; the runtime reads the stream back
// into the same model and creates the controls from it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "formats/control_kinds.h"

namespace morvane::form {

// A 16-byte identifier in the usual byte order (first three groups little-endian).
struct Guid {
  std::array<std::uint8_t, 16> bytes{};

  // Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; throws std::invalid_argument.
  static Guid parse(std::string_view text);
  std::string to_string() const;
  friend bool operator==(const Guid&, const Guid&) = default;
};

// Positions and sizes in twips, from the top-left of the containing client area.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The persisted form of a font object.
struct Font {
  std::uint8_t version = 1;
  std::uint16_t charset = 0;
  std::uint8_t style = 0;          // 0: upright, not underlined, not struck out
  std::uint16_t weight = 400;
  std::uint32_t size_e4 = 0;       // size in ten-thousandths of a point
  std::string name;
  friend bool operator==(const Font&, const Font&) = default;
};

// A bitmap file's bytes as a record carries them. A model built from pictures holds its
// own copy; a model read from a stream views the stream's bytes (no copy), and the stream
// must then outlive every copy of the model: held() gives bytes that stand alone.
class PictureBytes {
 public:
  PictureBytes() = default;
  // Holds `bytes`. Implicit, so that a record's picture can be set from a vector.
  PictureBytes(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  // Views bytes that live elsewhere.
  static PictureBytes view(std::span<const std::uint8_t> bytes);

  std::span<const std::uint8_t> bytes() const;
  std::size_t size() const { return bytes().size(); }
  bool empty() const { return bytes().empty(); }
  bool is_view() const { return std::holds_alternative<std::span<const std::uint8_t>>(bytes_); }
  PictureBytes held() const { return PictureBytes(to_vector()); }
  std::vector<std::uint8_t> to_vector() const;

  // Equal when the bytes are, whether held or viewed.
  friend bool operator==(const PictureBytes& a, const PictureBytes& b);

 private:
  std::variant<std::vector<std::uint8_t>, std::span<const std::uint8_t>> bytes_;
};

using formats::ControlKind;
using formats::kind_name;

// A decoded property value; the alternative follows the encoding: byte → uint8_t,
// int16 → int16_t, word32 and colour → uint32_t, rectangles → Rect, narrow string →
// string, wide string → u16string, font → Font, picture → the image data.
using PropertyValue = std::variant<std::uint8_t, std::int16_t, std::uint32_t, Rect, std::string,
                                   std::u16string, Font, PictureBytes>;

// The properties a record carries, by field ("caption"), each with its value. What a
// field is, and which kinds carry it, is its row's in the property table; an absent
// field takes the kind's default.
class PropertySet {
 public:
  const PropertyValue* find(std::string_view field) const;
  bool has(std::string_view field) const { return find(field) != nullptr; }
  // The value when it is present and holds a T.
  template <class T>
  std::optional<T> get(std::string_view field) const {
    const PropertyValue* v = find(field);
    if (const T* t = v ? std::get_if<T>(v) : nullptr) return *t;
    return std::nullopt;
  }
  // The value to change in place, when it is present and holds a T.
  template <class T>
  T* edit(std::string_view field) {
    const PropertyValue* v = find(field);
    return v ? std::get_if<T>(const_cast<PropertyValue*>(v)) : nullptr;
  }
  void set(std::string_view field, PropertyValue value);
  void erase(std::string_view field);
  bool empty() const { return items_.empty(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  friend bool operator==(const PropertySet&, const PropertySet&) = default;

 private:
  std::vector<std::pair<std::string, PropertyValue>> items_;  // sorted by field
};

// Settings of the form itself.
struct FormSettings {
  std::string name;                           // "Form1"
  std::uint8_t header_version = 6;            // header byte after the header length
  std::array<Guid, 3> header_ids{};           // form id, object id, form class id
  std::array<std::uint8_t, 5> record_bytes{}; // the five bytes after the form record length
  PropertySet properties;
  friend bool operator==(const FormSettings&, const FormSettings&) = default;
};

// One control record.
struct ControlRecord {
  std::uint8_t number = 0;                    // 1 upwards, place in the child list
  std::string name;
  ControlKind kind = ControlKind::picture_box;
  PropertySet properties;
  friend bool operator==(const ControlRecord&, const ControlRecord&) = default;
};

struct WindowModel {
  FormSettings form;
  std::vector<ControlRecord> controls;        // in stream order (control numbers 1..n)
  friend bool operator==(const WindowModel&, const WindowModel&) = default;
};

}  // namespace morvane::form
