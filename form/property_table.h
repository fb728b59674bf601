// The properties a form or control carries, one row each: its field in the window's
// model, its encoding, and for each kind its code in the stream, whether every record
// of the kind carries it, the value an absent property stands for and whether access
// by name reaches it. The stream's reader and writer, formdump, the runtime's loader and
// its access by name all work from a PropertyTable; form_properties() is the program's.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "form/window_model.h"
#include "formats/stream_properties.h"

namespace morvane::form {

using formats::Encoding;

// How access by name shows a property: one member, or for a rectangle four (left, top,
// width, height) and for a font two (name, size).
enum class ByName : std::uint8_t {
  none,
  boolean,  // a byte, 0 false; read as -1 or 0, set from any value (non-zero: 0xFF)
  integer,  // a byte or int16 within `least`..`most`
  colour,   // a colour value as a 32-bit signed integer
  text,     // a narrow or wide string
  rectangle,
  font,
};

// What a property is for one kind.
struct KindEntry {
  ControlKind kind;
  std::optional<std::uint8_t> code = std::nullopt;  // none: never in the stream
  bool always_carried = false;                      // written even when it holds the default
  std::optional<PropertyValue> default_value = std::nullopt;  // what an absent property stands for
  bool by_name = false;                             // access by name reaches it
  std::string_view name = {};                       // the kind's own name for it (else the row's)
};

struct PropertyRow {
  std::string field;      // the model's field: "caption"
  std::string name;       // for messages and dumps: "background colour"
  Encoding encoding;
  std::vector<KindEntry> kinds;
  ByName by_name = ByName::none;
  std::array<std::u16string_view, 4> members{};  // the member names, as many as `by_name` has
  std::int32_t least = 0, most = 0;              // the range of an integer member

  const KindEntry* entry(ControlKind kind) const;
  std::string_view name_for(ControlKind kind) const;
  std::optional<std::uint8_t> code(ControlKind kind) const;
  // Whether `value` is what an absent property of `kind` stands for.
  bool is_default(ControlKind kind, const PropertyValue& value) const;
};

// The rows, with each kind's coded rows in rising code order. Refuses (std::logic_error)
// two rows of one field, or two of one kind with the same code.
class PropertyTable {
 public:
  explicit PropertyTable(std::vector<PropertyRow> rows);
  // The kinds' lists point into the rows: a table moves but is not copied.
  PropertyTable(PropertyTable&&) = default;
  PropertyTable(const PropertyTable&) = delete;
  PropertyTable& operator=(const PropertyTable&) = delete;
  // This table and `more` rows.
  PropertyTable with(std::vector<PropertyRow> more) const;

  std::span<const PropertyRow> rows() const { return rows_; }
  const PropertyRow* field(std::string_view field) const;
  const PropertyRow* code(ControlKind kind, std::uint8_t code) const;
  // The rows a kind carries in the stream, by rising code.
  std::span<const PropertyRow* const> coded(ControlKind kind) const;
  // The row whose member `name` (ASCII case-insensitive) the kind reaches by name, and
  // the member's place among the row's members.
  struct Member {
    const PropertyRow* row = nullptr;
    std::size_t part = 0;
  };
  Member member(ControlKind kind, std::u16string_view name) const;

 private:
  std::vector<PropertyRow> rows_;
  std::vector<std::vector<const PropertyRow*>> coded_;  // by the kind's place in the catalogue
};

// Whether `value` holds what `encoding` decodes to.
bool fits(Encoding encoding, const PropertyValue& value);

// The empty value of an encoding: 0, an empty string, a zero rectangle, a default font.
PropertyValue empty_value(Encoding encoding);

// The program's properties.
const PropertyTable& form_properties();

// Whether `kind` is a kind of control record (the form's kind is not).
bool is_control_kind(std::uint8_t kind);

// The start-up visibility after the kind's default has been applied.
bool starts_visible(const ControlRecord& control);

}  // namespace morvane::form
