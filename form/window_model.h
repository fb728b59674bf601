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

// Settings of the form itself. An absent optional takes the runtime's default.
struct FormSettings {
  std::string name;                           // "Form1"
  std::uint8_t header_version = 6;            // header byte after the header length
  std::array<Guid, 3> header_ids{};           // form id, object id, form class id
  std::array<std::uint8_t, 5> record_bytes{}; // the five bytes after the form record length
  std::optional<std::string> caption;         // window title
  std::optional<std::uint32_t> back_color;
  std::uint32_t flags = 0;                    // form flag word, always carried
  std::optional<std::uint32_t> setting_23;
  std::optional<std::string> link_topic;
  std::optional<Rect> client_area;
  std::optional<std::uint8_t> startup_position;
  friend bool operator==(const FormSettings&, const FormSettings&) = default;
};

// One control record. Which fields a kind can carry is fixed by the stream's code
// table for that kind; an absent optional takes the kind's default.
struct ControlRecord {
  std::uint8_t number = 0;                    // 1 upwards, place in the child list
  std::string name;
  ControlKind kind = ControlKind::picture_box;
  std::optional<std::string> caption;         // label, command button
  std::optional<std::uint32_t> back_color;    // picture box (code 0x01), label
  std::optional<std::uint32_t> fore_color;    // label text colour
  std::optional<PictureBytes> picture;        // the bitmap file's bytes
  std::optional<Rect> bounds;
  std::optional<bool> visible;
  std::int16_t tab_index = 0;                 // always carried
  std::optional<std::uint32_t> flags;         // picture box flag word, always carried there
  std::optional<Font> font;
  std::optional<std::uint8_t> drag_mode;      // picture box: 1 = automatic
  std::optional<std::uint8_t> setting_2a;     // picture box setting 0x2A, kept unchanged
  std::optional<std::u16string> tag;
  friend bool operator==(const ControlRecord&, const ControlRecord&) = default;
};

struct WindowModel {
  FormSettings form;
  std::vector<ControlRecord> controls;        // in stream order (control numbers 1..n)
  friend bool operator==(const WindowModel&, const WindowModel&) = default;
};

}  // namespace morvane::form
