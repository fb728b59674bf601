#include "form/property_table.h"

#include <algorithm>
#include <stdexcept>

namespace morvane::form {
namespace {

using E = Encoding;
using F = Field;

constexpr PropertySpec form_codes[] = {
    {0x01, F::caption, E::narrow_string, false, "caption"},
    {0x03, F::back_color, E::colour, false, "background colour"},
    {0x19, F::flags, E::word32, true, "form flag word"},
    {0x23, F::setting_23, E::word32, false, "form setting 0x23"},
    {0x24, F::link_topic, E::narrow_string, false, "DDE link topic"},
    {0x35, F::client_area, E::rectangle32, false, "client area"},
    {0x46, F::startup_position, E::byte, false, "start-up position"},
};

constexpr PropertySpec command_button_codes[] = {
    {0x01, F::caption, E::narrow_string, false, "caption"},
    {0x04, F::bounds, E::rectangle16, false, "position and size"},
    {0x11, F::tab_index, E::int16, true, "tab index"},
    {0x1D, F::font, E::font, false, "font"},
};

constexpr PropertySpec picture_box_codes[] = {
    {0x01, F::back_color, E::colour, false, "background colour"},
    {0x03, F::picture, E::picture, false, "picture"},
    {0x05, F::bounds, E::rectangle16, false, "position and size"},
    {0x0A, F::visible, E::byte, false, "visible"},
    {0x12, F::tab_index, E::int16, true, "tab index"},
    {0x1A, F::flags, E::word32, true, "picture box flag word"},
    {0x1C, F::drag_mode, E::byte, false, "drag mode"},
    {0x2A, F::setting_2a, E::byte, false, "picture box setting 0x2A"},
    {0x2E, F::tag, E::wide_string, false, "tag"},
};

constexpr PropertySpec label_codes[] = {
    {0x01, F::caption, E::narrow_string, false, "caption"},
    {0x03, F::back_color, E::colour, false, "background colour"},
    {0x04, F::fore_color, E::colour, false, "text colour"},
    {0x05, F::bounds, E::rectangle16, false, "position and size"},
    {0x12, F::tab_index, E::int16, true, "tab index"},
    {0x25, F::font, E::font, false, "font"},
};

constexpr std::uint32_t picture_box_default_back_color = 0x8000000F;  // system colour 15

template <class T>
std::optional<PropertyValue> wrap(const std::optional<T>& v) {
  if (!v) return std::nullopt;
  return PropertyValue{*v};
}

[[noreturn]] void no_such_field(Field field, std::string_view record) {
  throw std::logic_error("the " + std::string(record) + " has no field " + std::string(field_name(field)));
}

}  // namespace

std::string_view field_name(Field field) {
  switch (field) {
    case F::caption: return "caption";
    case F::back_color: return "back_color";
    case F::fore_color: return "fore_color";
    case F::picture: return "picture";
    case F::bounds: return "bounds";
    case F::visible: return "visible";
    case F::tab_index: return "tab_index";
    case F::flags: return "flags";
    case F::setting_23: return "setting_23";
    case F::link_topic: return "link_topic";
    case F::client_area: return "client_area";
    case F::startup_position: return "startup_position";
    case F::font: return "font";
    case F::drag_mode: return "drag_mode";
    case F::setting_2a: return "setting_2a";
    case F::tag: return "tag";
  }
  return "unknown field";
}

std::span<const PropertySpec> property_table(ControlKind kind) {
  switch (kind) {
    case ControlKind::form: return form_codes;
    case ControlKind::command_button: return command_button_codes;
    case ControlKind::picture_box: return picture_box_codes;
    case ControlKind::label: return label_codes;
  }
  return {};
}

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
  return kind == static_cast<std::uint8_t>(ControlKind::picture_box) ||
         kind == static_cast<std::uint8_t>(ControlKind::label) ||
         kind == static_cast<std::uint8_t>(ControlKind::command_button);
}

std::optional<PropertyValue> get_field(const FormSettings& form, Field field) {
  switch (field) {
    case F::caption: return wrap(form.caption);
    case F::back_color: return wrap(form.back_color);
    case F::flags: return PropertyValue{form.flags};
    case F::setting_23: return wrap(form.setting_23);
    case F::link_topic: return wrap(form.link_topic);
    case F::client_area: return wrap(form.client_area);
    case F::startup_position: return wrap(form.startup_position);
    default: return std::nullopt;
  }
}

std::optional<PropertyValue> get_field(const ControlRecord& c, Field field) {
  switch (field) {
    case F::caption: return wrap(c.caption);
    case F::back_color: return wrap(c.back_color);
    case F::fore_color: return wrap(c.fore_color);
    case F::picture: return wrap(c.picture);
    case F::bounds: return wrap(c.bounds);
    case F::visible:
      if (!c.visible) return std::nullopt;
      return PropertyValue{static_cast<std::uint8_t>(*c.visible ? 0xFF : 0x00)};
    case F::tab_index: return PropertyValue{c.tab_index};
    case F::flags: return wrap(c.flags);
    case F::font: return wrap(c.font);
    case F::drag_mode: return wrap(c.drag_mode);
    case F::setting_2a: return wrap(c.setting_2a);
    case F::tag: return wrap(c.tag);
    default: return std::nullopt;
  }
}

void set_field(FormSettings& form, Field field, PropertyValue value) {
  switch (field) {
    case F::caption: form.caption = std::get<std::string>(std::move(value)); return;
    case F::back_color: form.back_color = std::get<std::uint32_t>(value); return;
    case F::flags: form.flags = std::get<std::uint32_t>(value); return;
    case F::setting_23: form.setting_23 = std::get<std::uint32_t>(value); return;
    case F::link_topic: form.link_topic = std::get<std::string>(std::move(value)); return;
    case F::client_area: form.client_area = std::get<Rect>(value); return;
    case F::startup_position: form.startup_position = std::get<std::uint8_t>(value); return;
    default: no_such_field(field, "form");
  }
}

void set_field(ControlRecord& c, Field field, PropertyValue value) {
  switch (field) {
    case F::caption: c.caption = std::get<std::string>(std::move(value)); return;
    case F::back_color: c.back_color = std::get<std::uint32_t>(value); return;
    case F::fore_color: c.fore_color = std::get<std::uint32_t>(value); return;
    case F::picture: c.picture = std::get<PictureBytes>(std::move(value)); return;
    case F::bounds: c.bounds = std::get<Rect>(value); return;
    case F::visible: c.visible = std::get<std::uint8_t>(value) != 0; return;
    case F::tab_index: c.tab_index = std::get<std::int16_t>(value); return;
    case F::flags: c.flags = std::get<std::uint32_t>(value); return;
    case F::font: c.font = std::get<Font>(std::move(value)); return;
    case F::drag_mode: c.drag_mode = std::get<std::uint8_t>(value); return;
    case F::setting_2a: c.setting_2a = std::get<std::uint8_t>(value); return;
    case F::tag: c.tag = std::get<std::u16string>(std::move(value)); return;
    default: no_such_field(field, "control record");
  }
}

bool is_kind_default(ControlKind kind, Field field, const PropertyValue& value) {
  if (kind != ControlKind::picture_box) return false;
  switch (field) {
    case F::back_color: return std::get<std::uint32_t>(value) == picture_box_default_back_color;
    case F::visible: return std::get<std::uint8_t>(value) != 0;
    case F::drag_mode: return std::get<std::uint8_t>(value) == 0;
    case F::tag: return std::get<std::u16string>(value).empty();
    default: return false;
  }
}

bool starts_visible(const ControlRecord& control) { return control.visible.value_or(true); }

}  // namespace morvane::form
