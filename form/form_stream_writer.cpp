#include "form/form_stream_writer.h"

#include <limits>
#include <stdexcept>
#include <string>

#include "form/property_table.h"
#include "form/stream_bytes.h"
#include "form/stream_format.h"

namespace morvane::form {
namespace {

[[noreturn]] void refuse(const std::string& who, const std::string& what) {
  throw std::invalid_argument("cannot lay out " + who + ": " + what);
}

std::uint16_t string_length(std::size_t n, const std::string& who, std::string_view name) {
  if (n > 0xFFFF)
    refuse(who, std::string(name) + " has " + std::to_string(n) + " units, more than the 65535 a length holds");
  return static_cast<std::uint16_t>(n);
}

void write_narrow(ByteWriter& out, const std::string& text, const std::string& who, std::string_view name) {
  out.u16(string_length(text.size(), who, name));
  out.append(text);
  out.u8(0);
}

std::uint16_t int16_bits(std::int32_t v, const std::string& who, std::string_view name) {
  if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
    refuse(who, std::string(name) + " value " + std::to_string(v) + " does not fit in 16 bits");
  return static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
}

void write_value(ByteWriter& out, const PropertyRow& property, const PropertyValue& value, const std::string& who) {
  switch (property.encoding) {
    case Encoding::byte: out.u8(std::get<std::uint8_t>(value)); return;
    case Encoding::int16: out.u16(static_cast<std::uint16_t>(std::get<std::int16_t>(value))); return;
    case Encoding::word32:
    case Encoding::colour: out.u32(std::get<std::uint32_t>(value)); return;
    case Encoding::rectangle16: {
      const Rect& r = std::get<Rect>(value);
      for (std::int32_t v : {r.left, r.top, r.width, r.height}) out.u16(int16_bits(v, who, property.name));
      return;
    }
    case Encoding::rectangle32: {
      const Rect& r = std::get<Rect>(value);
      for (std::int32_t v : {r.left, r.top, r.width, r.height}) out.u32(static_cast<std::uint32_t>(v));
      return;
    }
    case Encoding::narrow_string: write_narrow(out, std::get<std::string>(value), who, property.name); return;
    case Encoding::wide_string: {
      const std::u16string& text = std::get<std::u16string>(value);
      out.u16(string_length(text.size(), who, property.name));
      for (char16_t c : text) out.u16(static_cast<std::uint16_t>(c));
      return;
    }
    case Encoding::font: {
      const Font& f = std::get<Font>(value);
      if (f.version != font_version)
        refuse(who, "font version " + std::to_string(f.version) + " has no persisted form (only version 1)");
      if (f.name.size() > 0xFF)
        refuse(who, "font name of " + std::to_string(f.name.size()) + " bytes is longer than 255");
      out.u8(f.version);
      out.u16(f.charset);
      out.u8(f.style);
      out.u16(f.weight);
      out.u32(f.size_e4);
      out.u8(static_cast<std::uint8_t>(f.name.size()));
      out.append(f.name);
      return;
    }
    case Encoding::picture: {
      const auto data = std::get<PictureBytes>(value).bytes();
      if (data.size() > std::numeric_limits<std::uint32_t>::max() - picture_header_size)
        refuse(who, "picture of " + std::to_string(data.size()) + " bytes is too large for its length field");
      const auto n = static_cast<std::uint32_t>(data.size());
      out.u32(n + picture_header_size);
      out.u32(picture_signature);
      out.u32(n);
      out.append(data);
      return;
    }
  }
}

// Properties in rising code order, defaults left out except what the kind always carries,
// then the closing 0xFF.
void write_properties(ByteWriter& out, ControlKind kind, const PropertySet& properties, const std::string& who,
                      const PropertyTable& table) {
  for (const auto& [field, value] : properties) {
    const PropertyRow* row = table.field(field);
    if (!row || !row->code(kind)) refuse(who, "a " + std::string(kind_name(kind)) + " cannot carry " + field);
    if (!fits(row->encoding, value)) refuse(who, "its " + row->name + " holds a value of another encoding");
  }
  for (const PropertyRow* row : table.coded(kind)) {
    const KindEntry& entry = *row->entry(kind);
    const PropertyValue* value = properties.find(row->field);
    if (!value) {
      if (entry.always_carried)
        refuse(who, "every " + std::string(kind_name(kind)) + " carries its " + std::string(row->name_for(kind)) +
                        " (" + row->field + "), which is missing");
      continue;
    }
    if (!entry.always_carried && row->is_default(kind, *value)) continue;
    out.u8(*entry.code);
    write_value(out, *row, *value, who);
  }
  out.u8(end_of_properties);
}

std::uint32_t length_from(const ByteWriter& out, std::size_t start, const std::string& who) {
  std::size_t n = out.size() - start;
  if (n > std::numeric_limits<std::uint32_t>::max()) refuse(who, "the record is longer than its length field holds");
  return static_cast<std::uint32_t>(n);
}

void write_control(ByteWriter& out, const ControlRecord& c, std::size_t place, const PropertyTable& table) {
  const std::string who = "control " + std::to_string(place) + " (" + c.name + ")";
  if (c.number != place)
    refuse(who, "its number " + std::to_string(c.number) + " is not its place in the list");
  if (!is_control_kind(static_cast<std::uint8_t>(c.kind)))
    refuse(who, "a " + std::string(kind_name(c.kind)) + " cannot be a control");
  const std::size_t start = out.size();
  out.u32(0);  // length, filled in below
  out.u8(c.number);
  write_narrow(out, c.name, who, "name");
  out.u8(static_cast<std::uint8_t>(c.kind));
  write_properties(out, c.kind, c.properties, who, table);
  out.patch_u32(start, length_from(out, start, who));
}

}  // namespace

std::vector<std::uint8_t> write_form_stream(const WindowModel& model, const PropertyTable& table) {
  const FormSettings& form = model.form;
  const std::string who = "the form " + form.name;
  if (model.controls.empty()) refuse(who, "a form record needs at least one control in its child list");
  if (model.controls.size() > max_controls)
    refuse(who, std::to_string(model.controls.size()) + " controls do not fit in the control number byte");

  ByteWriter out;
  out.u8(header_magic[0]);
  out.u8(header_magic[1]);
  out.u16(header_rest_length);
  out.u8(form.header_version);
  for (const Guid& id : form.header_ids) out.append(id.bytes);
  for (std::size_t i = 0; i < header_padding; ++i) out.u8(0);

  const std::size_t form_start = out.size();
  out.u32(0);  // the form record's length, filled in at the end
  out.append(form.record_bytes);
  write_narrow(out, form.name, who, "name");
  out.u8(static_cast<std::uint8_t>(ControlKind::form));
  write_properties(out, ControlKind::form, form.properties, who, table);

  out.u8(child_list_open);
  for (std::size_t i = 0; i < model.controls.size(); ++i) {
    if (i > 0) out.u8(child_list_next);
    write_control(out, model.controls[i], i + 1, table);
  }
  out.u8(child_list_close);
  out.u8(end_of_stream);
  out.patch_u32(form_start, length_from(out, form_start, who));
  return std::move(out).take();
}

}  // namespace morvane::form
