#include "app/form1_model.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>

#include "app/form1.h"
#include "form/property_table.h"

namespace morvane::app {
namespace {

using form::Encoding;
using Type = SettingValue::Type;

[[noreturn]] void refuse(std::string_view who, const form::PropertyRow& row, const std::string& what) {
  throw std::logic_error("Form1's " + std::string(who) + ": its " + row.name + " " + what);
}

const std::vector<std::uint8_t>& bitmap(Picture picture, const Form1Pictures& pictures) {
  static const std::vector<std::uint8_t> none;
  switch (picture) {
    case Picture::enzyme: return pictures.enzyme;
    case Picture::substrate: return pictures.substrate;
    case Picture::product: return pictures.product;
    case Picture::complex: return pictures.complex;
    case Picture::none: break;
  }
  return none;
}

template <class T>
T whole(std::string_view who, const form::PropertyRow& row, std::int64_t n) {
  if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max())
    refuse(who, row, std::to_string(n) + " does not fit its encoding");
  return static_cast<T>(n);
}

// The value of a setting in its property's encoding; nothing for a picture not given.
std::optional<form::PropertyValue> value_of(std::string_view who, const form::PropertyRow& row, const SettingValue& v,
                                            const Form1Pictures& pictures) {
  const Type wanted = row.encoding == Encoding::narrow_string ? Type::text
                      : row.encoding == Encoding::wide_string ? Type::wide_text
                      : row.encoding == Encoding::rectangle16 || row.encoding == Encoding::rectangle32 ? Type::twips
                      : row.encoding == Encoding::font    ? Type::font
                      : row.encoding == Encoding::picture ? Type::picture
                                                          : Type::number;
  if (v.type != wanted) refuse(who, row, "is set to a value of another kind");
  switch (row.encoding) {
    case Encoding::byte: return whole<std::uint8_t>(who, row, v.number);
    case Encoding::int16: return whole<std::int16_t>(who, row, v.number);
    case Encoding::word32:
    case Encoding::colour: return whole<std::uint32_t>(who, row, v.number);
    case Encoding::rectangle16:
    case Encoding::rectangle32: return form::Rect{v.twips.left, v.twips.top, v.twips.width, v.twips.height};
    case Encoding::narrow_string: return std::string(v.text);
    case Encoding::wide_string: return std::u16string(v.wide_text);
    case Encoding::font: return form::Font{.size_e4 = v.font.size_e4, .name = std::string(v.font.name)};
    case Encoding::picture: {
      const auto& bytes = bitmap(v.picture, pictures);
      if (bytes.empty()) return std::nullopt;
      return form::PictureBytes(bytes);
    }
  }
  return std::nullopt;
}

form::PropertySet properties(std::string_view who, const Settings& settings, const Form1Pictures& pictures) {
  form::PropertySet set;
  for (const Setting& s : settings) {
    const form::PropertyRow* row = form::form_properties().field(s.field);
    if (!row) throw std::logic_error("Form1's " + std::string(who) + " sets " + std::string(s.field) + ", no property");
    if (auto value = value_of(who, *row, s.value, pictures)) set.set(row->field, std::move(*value));
  }
  return set;
}

form::FormSettings form_settings() {
  const FormDeclaration& d = kForm1Form;
  form::FormSettings f;
  f.name = std::string(d.name);
  f.header_ids = {form1_id(), form::Guid::parse(d.object_id),
                  form::Guid{formats::kind_facts(formats::ControlKind::form).class_id}};
  f.record_bytes = d.record_bytes;
  f.properties = properties(d.name, d.settings, {});
  return f;
}

}  // namespace

int declared_font_pixels(std::string_view control) {
  for (const Form1Entry& entry : kForm1) {
    if (entry.name != control) continue;
    for (const Setting& s : entry.settings) {
      if (s.field != "font") continue;
      // 96 dots per inch, 72 points per inch: a whole pixel is 7500 ten-thousandths of a point.
      if (s.value.font.size_e4 % 7500 != 0)
        throw std::logic_error("Form1's " + std::string(control) + " font is no whole number of pixels");
      return static_cast<int>(s.value.font.size_e4 / 7500);
    }
  }
  throw std::logic_error("Form1 declares no font for " + std::string(control));
}

form::Guid form1_id() { return form::Guid::parse(kForm1Form.id); }

void use_caption(form::PropertySet& properties, const std::string& caption, std::uint16_t charset,
                 std::uint32_t size_e4) {
  properties.set("caption", caption);
  form::Font font = *properties.get<form::Font>("font");
  font.charset = charset;
  font.size_e4 = size_e4;
  properties.set("font", font);
}

form::WindowModel form1_model(const Form1Pictures& pictures, const std::optional<Form1Captions>& captions) {
  form::WindowModel m;
  m.form = form_settings();
  if (captions) m.form.properties.set("caption", captions->form);
  for (const Form1Entry& entry : kForm1) {
    if (entry.kind == formats::ControlKind::form) continue;
    form::PropertySet set = properties(entry.name, entry.settings, pictures);
    if (captions && entry.name == "Label1") use_caption(set, captions->label, captions->charset, captions->label_size_e4);
    if (captions && entry.name == "Command1")
      use_caption(set, captions->command, captions->charset, captions->command_size_e4);
    m.controls.push_back({.number = static_cast<std::uint8_t>(entry.number),
                          .name = std::string(entry.name),
                          .kind = entry.kind,
                          .properties = std::move(set)});
  }
  // The stream carries the controls by number.
  std::sort(m.controls.begin(), m.controls.end(),
            [](const form::ControlRecord& a, const form::ControlRecord& b) { return a.number < b.number; });
  return m;
}

}  // namespace morvane::app
