#include "form/form_stream_reader.h"

#include <string>

#include "form/property_table.h"
#include "form/stream_bytes.h"
#include "form/stream_format.h"

namespace morvane::form {
namespace {

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// Messages name what was being read; they are put into words only when one is thrown.

std::string read_narrow(StreamCursor& c, const Expected& name) {
  const std::uint16_t n = c.u16([&] { return "the length of " + name.text(); });
  auto text = c.take(n, [&] { return std::to_string(n) + " bytes of " + name.text(); });
  const std::size_t at = c.offset();
  const std::uint8_t nul = c.u8([&] { return "the NUL closing " + name.text(); });
  if (nul != 0) throw FormStreamError(at, "the NUL closing " + name.text(), hex_byte(nul));
  return std::string(text.begin(), text.end());
}

std::u16string read_wide(StreamCursor& c, const Expected& name) {
  const std::uint16_t n = c.u16([&] { return "the length of " + name.text(); });
  auto units = c.take(std::size_t{n} * 2, [&] { return std::to_string(n) + " UTF-16 units of " + name.text(); });
  std::u16string text(n, u'\0');
  for (std::size_t i = 0; i < n; ++i)
    text[i] = static_cast<char16_t>(units[2 * i] | (units[2 * i + 1] << 8));
  return text;
}

Rect read_rect16(StreamCursor& c, const Expected& name) {
  auto b = c.take(8, [&] { return name.text() + " as four 16-bit values"; });
  auto at = [&](std::size_t i) {
    return std::int32_t{static_cast<std::int16_t>(static_cast<std::uint16_t>(b[i] | (b[i + 1] << 8)))};
  };
  return Rect{at(0), at(2), at(4), at(6)};
}

Rect read_rect32(StreamCursor& c, const Expected& name) {
  Rect r;
  c.need(16, [&] { return name.text() + " as four 32-bit values"; });
  for (std::int32_t* v : {&r.left, &r.top, &r.width, &r.height}) *v = static_cast<std::int32_t>(c.u32(name));
  return r;
}

Font read_font(StreamCursor& c, const Expected& name) {
  Font f;
  const std::size_t at = c.offset();
  f.version = c.u8([&] { return "the version of " + name.text(); });
  if (f.version != font_version)
    throw FormStreamError(at, "font version " + std::to_string(font_version) + " in " + name.text(),
                          std::to_string(f.version));
  f.charset = c.u16([&] { return "the character set of " + name.text(); });
  f.style = c.u8([&] { return "the style flags of " + name.text(); });
  f.weight = c.u16([&] { return "the weight of " + name.text(); });
  f.size_e4 = c.u32([&] { return "the size of " + name.text(); });
  const std::uint8_t m = c.u8([&] { return "the length of the name of " + name.text(); });
  auto text = c.take(m, [&] { return std::to_string(m) + " bytes of the name of " + name.text(); });
  f.name.assign(text.begin(), text.end());
  return f;
}

// The model views the picture's bytes in the stream.
PictureBytes read_picture(StreamCursor& c, const Expected& name) {
  const std::size_t at = c.offset();
  const std::uint32_t outer = c.u32([&] { return "the length of " + name.text(); });
  if (outer < picture_header_size)
    throw FormStreamError(at, "a length of at least 8 for " + name.text() + " (signature and data length)",
                          std::to_string(outer));
  if (outer > c.remaining())
    throw FormStreamError(at, "the length of " + name.text() + " to stay within " + c.end_name() + " (at most " +
                                  std::to_string(c.remaining()) + " bytes)",
                          std::to_string(outer));
  const std::size_t sig_at = c.offset();
  const std::uint32_t signature = c.u32([&] { return "the signature of " + name.text(); });
  if (signature != picture_signature)
    throw FormStreamError(sig_at, "the picture signature " + hex_word(picture_signature) + " of " + name.text(),
                          hex_word(signature));
  const std::size_t inner_at = c.offset();
  const std::uint32_t inner = c.u32([&] { return "the image data length of " + name.text(); });
  if (inner != outer - picture_header_size)
    throw FormStreamError(inner_at,
                          "the image data length of " + name.text() + " to agree with its outer length (" +
                              std::to_string(outer - picture_header_size) + ")",
                          std::to_string(inner));
  return PictureBytes::view(
      c.take(inner, [&] { return std::to_string(inner) + " bytes of image data of " + name.text(); }));
}

PropertyValue read_value(StreamCursor& c, const PropertyRow& property, const Expected& name) {
  switch (property.encoding) {
    case Encoding::byte: return c.u8(name);
    case Encoding::int16: return static_cast<std::int16_t>(c.u16(name));
    case Encoding::word32:
    case Encoding::colour: return c.u32(name);
    case Encoding::rectangle16: return read_rect16(c, name);
    case Encoding::rectangle32: return read_rect32(c, name);
    case Encoding::narrow_string: return read_narrow(c, name);
    case Encoding::wide_string: return read_wide(c, name);
    case Encoding::font: return read_font(c, name);
    case Encoding::picture: return read_picture(c, name);
  }
  throw std::logic_error("unknown encoding");
}

// Refuses the closing 0xFF at `at` when a property that every record of the kind carries is missing.
void check_carried(std::size_t at, ControlKind kind, const PropertySet& properties, const std::string& who,
                   const PropertyTable& table) {
  for (const PropertyRow* row : table.coded(kind)) {
    if (!row->entry(kind)->always_carried || properties.has(row->field)) continue;
    throw FormStreamError(at,
                          "the " + std::string(row->name_for(kind)) + " (code " + hex_byte(*row->code(kind)) +
                              ") that every " + std::string(kind_name(kind)) + " carries, before the closing 0xFF of " +
                              who,
                          "the closing 0xFF");
  }
}

// Reads codes and values up to the closing 0xFF; returns the offset of that 0xFF.
std::size_t read_properties(StreamCursor& c, ControlKind kind, PropertySet& properties, const std::string& who,
                            const PropertyTable& table) {
  int last_code = -1;
  for (;;) {
    const std::size_t at = c.offset();
    const std::uint8_t code = c.u8([&] { return "a property code of " + who + " or its closing 0xFF"; });
    if (code == end_of_properties) {
      check_carried(at, kind, properties, who, table);
      return at;
    }
    const PropertyRow* property = table.code(kind, code);
    if (!property)
      throw FormStreamError(at, "a " + std::string(kind_name(kind)) + " property code in " + who,
                            "unknown code " + hex_byte(code));
    if (code <= last_code)
      throw FormStreamError(at, "a property code above " + hex_byte(static_cast<std::uint8_t>(last_code)) +
                                    " in " + who + " (codes rise)",
                            hex_byte(code));
    last_code = code;
    properties.set(property->field, read_value(c, *property, [&] {
                     return "the " + std::string(property->name_for(kind)) + " of " + who;
                   }));
  }
}

void read_header(StreamCursor& c, FormSettings& form) {
  for (std::size_t i = 0; i < header_magic.size(); ++i) {
    const std::size_t at = c.offset();
    const std::uint8_t b = c.u8([&] { return "the header byte " + hex_byte(header_magic[i]); });
    if (b != header_magic[i]) throw FormStreamError(at, "the header byte " + hex_byte(header_magic[i]), hex_byte(b));
  }
  const std::size_t at = c.offset();
  const std::uint16_t rest = c.u16("the header length");
  if (rest != header_rest_length)
    throw FormStreamError(at, "the header length " + std::to_string(header_rest_length), std::to_string(rest));
  form.header_version = c.u8("the header's version byte");
  for (Guid& id : form.header_ids) {
    auto b = c.take(id.bytes.size(), "a 16-byte identifier in the header");
    std::copy(b.begin(), b.end(), id.bytes.begin());
  }
  for (std::size_t i = 0; i < header_padding; ++i) {
    const std::size_t z = c.offset();
    const std::uint8_t b = c.u8("36 zero bytes after the header");
    if (b != 0) throw FormStreamError(z, "36 zero bytes after the header", hex_byte(b));
  }
}

ControlRecord read_control(std::span<const std::uint8_t> stream, StreamCursor& c, std::size_t place,
                           FormStreamRecords& records, const PropertyTable& table) {
  const std::string who = "control record " + std::to_string(place);
  const std::size_t at = c.offset();
  const std::uint32_t length = c.u32([&] { return "the length of " + who; });
  // Length field, number, name length and NUL, kind, closing 0xFF.
  constexpr std::uint32_t min_length = 4 + 1 + 3 + 1 + 1;
  if (length < min_length)
    throw FormStreamError(at, "a length of at least " + std::to_string(min_length) + " for " + who,
                          std::to_string(length));
  if (length > c.end() - at)
    throw FormStreamError(at, "the length of " + who + " to stay within the stream (at most " +
                                  std::to_string(c.end() - at) + " bytes)",
                          std::to_string(length));
  const std::size_t end = at + length;
  StreamCursor r(stream, c.offset(), end, who + " (" + std::to_string(length) + " bytes from offset " +
                                             std::to_string(at) + ")");
  ControlRecord control;
  const std::size_t number_at = r.offset();
  control.number = r.u8([&] { return "the control number of " + who; });
  if (control.number != place)
    throw FormStreamError(number_at, "control number " + std::to_string(place) + " (the place in the list)",
                          std::to_string(control.number));
  control.name = read_narrow(r, [&] { return "the name of " + who; });
  const std::string named = who + " (" + control.name + ")";
  const std::size_t kind_at = r.offset();
  const std::uint8_t kind = r.u8([&] { return "the kind of " + named; });
  if (!is_control_kind(kind))
    throw FormStreamError(kind_at, "a control kind (0x00 picture box, 0x01 label, 0x04 command button) for " + named,
                          hex_byte(kind));
  control.kind = static_cast<ControlKind>(kind);
  const std::size_t closing = read_properties(r, control.kind, control.properties, named, table);
  if (!r.at_end())
    throw FormStreamError(closing, "the closing 0xFF of " + named + " as the record's last byte (offset " +
                                       std::to_string(end - 1) + ")",
                          std::to_string(r.remaining()) + " more bytes inside the record after it");
  records.controls.push_back({at, length});
  c.take(length - 4, named);  // the outer cursor moves past the record that r has read
  return control;
}

}  // namespace

WindowModel read_form_stream(std::span<const std::uint8_t> stream) {
  FormStreamRecords records;
  return read_form_stream(stream, records);
}

WindowModel read_form_stream(std::span<const std::uint8_t> stream, FormStreamRecords& records,
                             const PropertyTable& table) {
  records = {};
  WindowModel model;
  FormSettings& form = model.form;
  StreamCursor c(stream, 0, stream.size(), "the stream");
  read_header(c, form);

  const std::size_t form_at = c.offset();
  const std::uint32_t form_length = c.u32("the form record length");
  if (form_length != stream.size() - form_at)
    throw FormStreamError(form_at,
                          "the form record length to reach the end of the stream (" +
                              std::to_string(stream.size() - form_at) + ")",
                          std::to_string(form_length));
  records.form = {form_at, form_length};
  auto fixed = c.take(form.record_bytes.size(), "the form record's five fixed bytes");
  std::copy(fixed.begin(), fixed.end(), form.record_bytes.begin());
  form.name = read_narrow(c, "the form's name");
  const std::string who = "the form " + quoted(form.name);
  const std::size_t kind_at = c.offset();
  const std::uint8_t kind = c.u8([&] { return "the kind of " + who; });
  if (kind != static_cast<std::uint8_t>(ControlKind::form))
    throw FormStreamError(kind_at, "the form kind 0x0D for " + who, hex_byte(kind));
  read_properties(c, ControlKind::form, form.properties, who, table);

  std::size_t at = c.offset();
  std::uint8_t b = c.u8("0x01 opening the child list");
  if (b != child_list_open) throw FormStreamError(at, "0x01 opening the child list", hex_byte(b));
  for (std::size_t place = 1;; ++place) {
    model.controls.push_back(read_control(stream, c, place, records, table));
    at = c.offset();
    b = c.u8("0x03 (another control record) or 0x02 (end of the child list)");
    if (b == child_list_close) break;
    if (b != child_list_next)
      throw FormStreamError(at, "0x03 (another control record) or 0x02 (end of the child list)", hex_byte(b));
    if (place == max_controls)
      throw FormStreamError(at, "0x02 closing the child list after " + std::to_string(max_controls) + " controls",
                            hex_byte(b));
  }
  at = c.offset();
  b = c.u8("0x04 closing the stream");
  if (b != end_of_stream) throw FormStreamError(at, "0x04 closing the stream", hex_byte(b));
  if (!c.at_end())
    throw FormStreamError(c.offset(), "the end of the stream after its closing 0x04",
                          std::to_string(c.remaining()) + " more bytes");
  return model;
}

}  // namespace morvane::form
