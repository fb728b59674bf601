#include "form/property_table.h"

#include "formats/control_kinds.h"

#include <algorithm>
#include <stdexcept>

namespace morvane::form {
namespace {

template <class T>
std::optional<PropertyValue> wrap(const std::optional<T>& v) {
  if (!v) return std::nullopt;
  return PropertyValue{*v};
}

[[noreturn]] void no_such_field(Field field, std::string_view record) {
  throw std::logic_error("the " + std::string(record) + " has no field " + std::string(field_name(field)));
}

}  // namespace

std::span<const PropertySpec> property_table(ControlKind kind) { return formats::kind_facts(kind).properties; }

const PropertySpec* find_property(ControlKind kind, std::uint8_t code) {
  auto table = property_table(kind);
  auto it = std::find_if(table.begin(), table.end(), [&](const PropertySpec& s) { return s.code == code; });
  return it == table.end() ? nullptr : &*it;
}

const PropertySpec* find_field(ControlKind kind, Field field) {
  auto table = property_table(kind);
  auto it = std::find_if(table.begin(), table.end(), [&](const PropertySpec& s) { return s.field == field; });
  return it == table.end() ? nullptr : &*it;
}

bool is_control_kind(std::uint8_t kind) {
  const formats::KindFacts* facts = formats::kind_of_stream_code(kind);
  return facts && facts->kind != ControlKind::form;
}

std::optional<PropertyValue> get_field(const FormSettings& form, Field field) {
  switch (field) {
    case Field::caption: return wrap(form.caption);
    case Field::back_color: return wrap(form.back_color);
    case Field::flags: return PropertyValue{form.flags};
    case Field::setting_23: return wrap(form.setting_23);
    case Field::link_topic: return wrap(form.link_topic);
    case Field::client_area: return wrap(form.client_area);
    case Field::startup_position: return wrap(form.startup_position);
    default: return std::nullopt;
  }
}

std::optional<PropertyValue> get_field(const ControlRecord& c, Field field) {
  switch (field) {
    case Field::caption: return wrap(c.caption);
    case Field::back_color: return wrap(c.back_color);
    case Field::fore_color: return wrap(c.fore_color);
    case Field::picture: return wrap(c.picture);
    case Field::bounds: return wrap(c.bounds);
    case Field::visible:
      if (!c.visible) return std::nullopt;
      return PropertyValue{static_cast<std::uint8_t>(*c.visible ? 0xFF : 0x00)};
    case Field::tab_index: return PropertyValue{c.tab_index};
    case Field::flags: return wrap(c.flags);
    case Field::font: return wrap(c.font);
    case Field::drag_mode: return wrap(c.drag_mode);
    case Field::setting_2a: return wrap(c.setting_2a);
    case Field::tag: return wrap(c.tag);
    default: return std::nullopt;
  }
}

void set_field(FormSettings& form, Field field, PropertyValue value) {
  switch (field) {
    case Field::caption: form.caption = std::get<std::string>(std::move(value)); return;
    case Field::back_color: form.back_color = std::get<std::uint32_t>(value); return;
    case Field::flags: form.flags = std::get<std::uint32_t>(value); return;
    case Field::setting_23: form.setting_23 = std::get<std::uint32_t>(value); return;
    case Field::link_topic: form.link_topic = std::get<std::string>(std::move(value)); return;
    case Field::client_area: form.client_area = std::get<Rect>(value); return;
    case Field::startup_position: form.startup_position = std::get<std::uint8_t>(value); return;
    default: no_such_field(field, "form");
  }
}

void set_field(ControlRecord& c, Field field, PropertyValue value) {
  switch (field) {
    case Field::caption: c.caption = std::get<std::string>(std::move(value)); return;
    case Field::back_color: c.back_color = std::get<std::uint32_t>(value); return;
    case Field::fore_color: c.fore_color = std::get<std::uint32_t>(value); return;
    case Field::picture: c.picture = std::get<PictureBytes>(std::move(value)); return;
    case Field::bounds: c.bounds = std::get<Rect>(value); return;
    case Field::visible: c.visible = std::get<std::uint8_t>(value) != 0; return;
    case Field::tab_index: c.tab_index = std::get<std::int16_t>(value); return;
    case Field::flags: c.flags = std::get<std::uint32_t>(value); return;
    case Field::font: c.font = std::get<Font>(std::move(value)); return;
    case Field::drag_mode: c.drag_mode = std::get<std::uint8_t>(value); return;
    case Field::setting_2a: c.setting_2a = std::get<std::uint8_t>(value); return;
    case Field::tag: c.tag = std::get<std::u16string>(std::move(value)); return;
    default: no_such_field(field, "control record");
  }
}

bool is_kind_default(ControlKind kind, Field field, const PropertyValue& value) {
  if (kind != ControlKind::picture_box) return false;
  switch (field) {
    case Field::back_color: return std::get<std::uint32_t>(value) == formats::kind_facts(kind).back_color;
    case Field::visible: return std::get<std::uint8_t>(value) != 0;
    case Field::drag_mode: return std::get<std::uint8_t>(value) == 0;
    case Field::tag: return std::get<std::u16string>(value).empty();
    default: return false;
  }
}

bool starts_visible(const ControlRecord& control) { return control.visible.value_or(true); }

}  // namespace morvane::form
