#include "form/property_table.h"

#include <algorithm>
#include <stdexcept>

#include "formats/control_kinds.h"
#include "formats/utf16.h"

namespace morvane::form {
namespace {

// The kind's place in the catalogue of kinds.
std::size_t slot(ControlKind kind) { return static_cast<std::size_t>(&formats::kind_facts(kind) - formats::control_kinds().data()); }

std::size_t member_count(ByName by_name) {
  switch (by_name) {
    case ByName::none: return 0;
    case ByName::rectangle: return 4;
    case ByName::font: return 2;
    default: return 1;
  }
}

}  // namespace

const KindEntry* PropertyRow::entry(ControlKind kind) const {
  for (const KindEntry& e : kinds)
    if (e.kind == kind) return &e;
  return nullptr;
}

std::string_view PropertyRow::name_for(ControlKind kind) const {
  const KindEntry* e = entry(kind);
  return e && !e->name.empty() ? e->name : std::string_view(name);
}

std::optional<std::uint8_t> PropertyRow::code(ControlKind kind) const {
  const KindEntry* e = entry(kind);
  return e ? e->code : std::nullopt;
}

bool PropertyRow::is_default(ControlKind kind, const PropertyValue& value) const {
  const KindEntry* e = entry(kind);
  return e && e->default_value && *e->default_value == value;
}

PropertyTable::PropertyTable(std::vector<PropertyRow> rows)
    : rows_(std::move(rows)), coded_(formats::control_kinds().size()) {
  for (const PropertyRow& row : rows_) {
    if (field(row.field) != &row) throw std::logic_error("two property rows for the field " + row.field);
    for (const KindEntry& e : row.kinds) {
      if (!e.code) continue;
      if (code(e.kind, *e.code))
        throw std::logic_error("two " + std::string(formats::kind_name(e.kind)) + " properties with the code " +
                               std::to_string(*e.code));
      coded_[slot(e.kind)].push_back(&row);
    }
  }
  for (const formats::KindFacts& facts : formats::control_kinds()) {
    const ControlKind kind = facts.kind;
    std::sort(coded_[slot(kind)].begin(), coded_[slot(kind)].end(),
              [kind](const PropertyRow* a, const PropertyRow* b) { return *a->code(kind) < *b->code(kind); });
  }
}

PropertyTable PropertyTable::with(std::vector<PropertyRow> more) const {
  std::vector<PropertyRow> all = rows_;
  all.insert(all.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  return PropertyTable(std::move(all));
}

const PropertyRow* PropertyTable::field(std::string_view field) const {
  for (const PropertyRow& row : rows_)
    if (row.field == field) return &row;
  return nullptr;
}

const PropertyRow* PropertyTable::code(ControlKind kind, std::uint8_t code) const {
  for (const PropertyRow* row : coded_[slot(kind)])
    if (row->code(kind) == code) return row;
  return nullptr;
}

std::span<const PropertyRow* const> PropertyTable::coded(ControlKind kind) const { return coded_[slot(kind)]; }

PropertyTable::Member PropertyTable::member(ControlKind kind, std::u16string_view name) const {
  for (const PropertyRow& row : rows_) {
    const KindEntry* e = row.entry(kind);
    if (!e || !e->by_name) continue;
    for (std::size_t part = 0; part < member_count(row.by_name); ++part)
      if (formats::equal_ignoring_ascii_case(row.members[part], name)) return {&row, part};
  }
  return {};
}

PropertyValue empty_value(Encoding encoding) {
  switch (encoding) {
    case Encoding::byte: return std::uint8_t{0};
    case Encoding::int16: return std::int16_t{0};
    case Encoding::word32:
    case Encoding::colour: return std::uint32_t{0};
    case Encoding::rectangle16:
    case Encoding::rectangle32: return Rect{};
    case Encoding::narrow_string: return std::string{};
    case Encoding::wide_string: return std::u16string{};
    case Encoding::font: return Font{};
    case Encoding::picture: return PictureBytes{};
  }
  return std::uint8_t{0};
}

bool fits(Encoding encoding, const PropertyValue& value) { return value.index() == empty_value(encoding).index(); }

bool is_control_kind(std::uint8_t kind) {
  const formats::KindFacts* facts = formats::kind_of_stream_code(kind);
  return facts && facts->kind != ControlKind::form;
}

bool starts_visible(const ControlRecord& control) {
  const auto visible = control.properties.get<std::uint8_t>("visible");
  return !visible || *visible != 0;
}

}  // namespace morvane::form
