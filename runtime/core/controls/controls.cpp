#include "runtime/core/controls/controls.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "runtime/core/controls/property_effects.h"
#include "runtime/core/objects/runtime_error.h"

namespace morvane::runtime {

Control::Control(ControlKind kind, std::string name, int number)
    : kind_(kind), name_(std::move(name)), number_(number) {
  use_properties(form::form_properties());
}

void Control::use_properties(const form::PropertyTable& table) {
  properties_ = &table;
  for (const form::PropertyRow& row : table.rows())
    if (const form::KindEntry* entry = row.entry(kind_); entry && entry->default_value)
      set_property(row, *entry->default_value);
}

std::optional<form::PropertyValue> Control::property(const form::PropertyRow& row) const {
  if (const PropertyEffect* effect = property_effect(row.field)) return effect->get(*this);
  if (const form::PropertyValue* kept = kept_.find(row.field)) return *kept;
  return std::nullopt;
}

void Control::set_property(const form::PropertyRow& row, form::PropertyValue value) {
  if (!form::fits(row.encoding, value))
    throw RuntimeError(status::type_mismatch, "the " + row.name + " was given a value of another kind", name_);
  if (const PropertyEffect* effect = property_effect(row.field))
    effect->set(*this, value);
  else
    kept_.set(row.field, std::move(value));
}

void Control::move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  if (visible_ && host_) host_->control_changed(*this, pixel_rect());
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  changed();
}

PixelRect Control::pixel_rect() const {
  return {twips_to_pixels(left_), twips_to_pixels(top_), twips_to_pixels(width_), twips_to_pixels(height_)};
}

int Control::border_width() const { return facts().border_width; }

PixelRect Control::client_pixel_rect() const {
  const PixelRect r = pixel_rect();
  const int b = border_width();
  return {r.x + b, r.y + b, std::max(0, r.w - 2 * b), std::max(0, r.h - 2 * b)};
}

void Control::set_visible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  if (host_) {
    host_->control_changed(*this, pixel_rect());
    host_->visibility_changed(*this);
  }
}

void Control::set_back_color(std::uint32_t c) {
  back_color_ = c;
  changed();
}
void Control::set_fore_color(std::uint32_t c) {
  fore_color_ = c;
  changed();
}
void Control::set_caption(std::string c) {
  caption_ = std::move(c);
  changed();
}
void Control::set_font(FontSpec f) {
  font_ = std::move(f);
  changed();
}
void Control::set_picture(std::shared_ptr<const Picture> p) {
  picture_ = std::move(p);
  changed();
}

void Control::changed() {
  if (visible_ && host_) host_->control_changed(*this, pixel_rect());
}

// ---- access by name ----

namespace {

[[noreturn]] void invalid(const Control& c, std::u16string_view member, const Variant& v) {
  throw RuntimeError(status::invalid_value, "invalid value for " + to_utf8(member) + ": " + v.describe(), c.name());
}

std::int32_t to_twips(const Control& c, std::u16string_view member, const Variant& v) {
  const double d = v.as_number();
  if (!std::isfinite(d) || d < std::numeric_limits<std::int32_t>::min() || d > std::numeric_limits<std::int32_t>::max())
    invalid(c, member, v);
  return static_cast<std::int32_t>(std::lround(d));
}

std::uint32_t to_color(const Control& c, std::u16string_view member, const Variant& v) {
  const double d = v.as_number();
  if (!std::isfinite(d) || d < std::numeric_limits<std::int32_t>::min() || d > std::numeric_limits<std::uint32_t>::max())
    invalid(c, member, v);
  return d < 0 ? static_cast<std::uint32_t>(static_cast<std::int32_t>(d)) : static_cast<std::uint32_t>(d);
}

std::int32_t& rect_part(form::Rect& r, std::size_t part) {
  std::int32_t* parts[] = {&r.left, &r.top, &r.width, &r.height};
  return *parts[part];
}

// A property's value as its member `part` shows it by name.
Variant member_value(const form::PropertyRow& row, std::size_t part, const form::PropertyValue& v) {
  switch (row.by_name) {
    case form::ByName::boolean: return Variant::from_boolean(to_boolean(std::get<std::uint8_t>(v) != 0));
    case form::ByName::integer:
      return Variant::from_integer(std::holds_alternative<std::uint8_t>(v) ? std::get<std::uint8_t>(v)
                                                                           : std::get<std::int16_t>(v));
    case form::ByName::colour: return Variant::from_long(static_cast<std::int32_t>(std::get<std::uint32_t>(v)));
    case form::ByName::text:
      if (const auto* wide = std::get_if<std::u16string>(&v)) return Variant::from_string(*wide);
      return Variant::from_string(to_utf16(std::get<std::string>(v)));
    case form::ByName::rectangle: {
      form::Rect r = std::get<form::Rect>(v);
      return Variant::from_single(static_cast<float>(rect_part(r, part)));
    }
    case form::ByName::font: {
      const auto& f = std::get<form::Font>(v);
      return part == 0 ? Variant::from_string(to_utf16(f.name))
                       : Variant::from_single(static_cast<float>(f.size_e4) / 10000.0f);
    }
    case form::ByName::none: break;
  }
  return Variant();
}

// The property's value after its member `part` is set to `v` by name.
form::PropertyValue assigned(const Control& c, const form::PropertyRow& row, std::size_t part,
                             form::PropertyValue current, const Variant& v) {
  const std::u16string_view member = row.members[part];
  switch (row.by_name) {
    case form::ByName::boolean: return std::uint8_t{v.as_boolean() != kFalse ? std::uint8_t{0xFF} : std::uint8_t{0}};
    case form::ByName::integer: {
      const double d = v.as_number();
      if (!(d >= row.least && d <= row.most) || (row.encoding == form::Encoding::byte && d != std::trunc(d))) invalid(c, member, v);
      if (row.encoding == form::Encoding::byte) return static_cast<std::uint8_t>(d);
      return static_cast<std::int16_t>(d);
    }
    case form::ByName::colour: return to_color(c, member, v);
    case form::ByName::text:
      if (row.encoding == form::Encoding::wide_string) return std::u16string(v.as_string());
      return to_utf8(v.as_string());
    case form::ByName::rectangle: {
      const std::int32_t twips = to_twips(c, member, v);
      if (part >= 2 && twips < 0) invalid(c, member, v);  // width and height
      rect_part(std::get<form::Rect>(current), part) = twips;
      return current;
    }
    case form::ByName::font: {
      auto& f = std::get<form::Font>(current);
      if (part == 0) {
        f.name = to_utf8(v.as_string());
        return current;
      }
      const double d = v.as_number();
      if (!(d > 0 && d <= 2048)) invalid(c, member, v);
      f.size_e4 = static_cast<std::uint32_t>(std::lround(d * 10000));
      return current;
    }
    case form::ByName::none: break;
  }
  return current;
}

// Members that every control has besides its properties: read-only.
Variant fixed_member(const Control& c, std::u16string_view name, bool& found) {
  found = true;
  if (equal_ignoring_ascii_case(name, u"Name")) return Variant::from_string(to_utf16(c.name()));
  if (equal_ignoring_ascii_case(name, u"Enabled")) return Variant::from_boolean(kTrue);
  found = false;
  return Variant();
}

[[noreturn]] void unknown_member(const Control& c, std::u16string_view name) {
  throw RuntimeError(status::unknown_member,
                     "the " + std::string(kind_name(c.kind())) + " has no member named \"" + to_utf8(name) + "\"",
                     c.name());
}

}  // namespace

Variant Control::get_member(std::u16string_view name) {
  bool fixed = false;
  Variant v = fixed_member(*this, name, fixed);
  if (fixed) return v;
  const auto member = properties_->member(kind_, name);
  if (!member.row) unknown_member(*this, name);
  const auto value = property(*member.row);
  return value ? member_value(*member.row, member.part, *value) : Variant();
}

void Control::set_member(std::u16string_view name, const Variant& value) {
  bool fixed = false;
  fixed_member(*this, name, fixed);
  if (fixed) throw RuntimeError(status::read_only, "the member \"" + to_utf8(name) + "\" cannot be set", name_);
  const auto member = properties_->member(kind_, name);
  if (!member.row) unknown_member(*this, name);
  const form::PropertyRow& row = *member.row;
  try {
    std::optional<form::PropertyValue> current = property(row);
    set_property(row, assigned(*this, row, member.part, current ? std::move(*current) : form::empty_value(row.encoding),
                                value));
  } catch (const RuntimeError& e) {
    if (!e.source().empty()) throw;
    throw RuntimeError(e.status(), e.description(), name_);  // name the control that refused
  }
}

PictureBox::PictureBox(std::string name, int number) : Control(ControlKind::picture_box, std::move(name), number) {}

Status PictureBox::put_visible(Boolean value) {
  if (value != kTrue && value != kFalse) return status::invalid_value;
  if (host()) {
    const Status s = host()->check_visible_assignment(*this, value);
    if (failed(s)) return s;
  }
  set_visible(value == kTrue);
  return status::ok;
}

Label::Label(std::string name, int number) : Control(ControlKind::label, std::move(name), number) {}

CommandButton::CommandButton(std::string name, int number)
    : Control(ControlKind::command_button, std::move(name), number) {}

}  // namespace morvane::runtime

namespace morvane::runtime {

namespace {
Control& as_control(Object* object, std::u16string_view name) {
  if (!object) throw RuntimeError(status::failed, "object required for member \"" + to_utf8(name) + "\"");
  auto* c = dynamic_cast<Control*>(object);
  if (!c) throw RuntimeError(status::unknown_member, "the object has no member named \"" + to_utf8(name) + "\"");
  return *c;
}
}  // namespace

Variant get_member_by_name(Object* object, std::u16string_view name) { return as_control(object, name).get_member(name); }

void set_member_by_name(Object* object, std::u16string_view name, const Variant& value) {
  as_control(object, name).set_member(name, value);
}

void raise_status_error(Status status, const Control& control, std::string_view interface_id) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(status));
  throw RuntimeError(status,
                     "the " + std::string(kind_name(control.kind())) + " refused the call through interface " +
                         std::string(interface_id) + " (status " + code + ")",
                     control.name());
}

}  // namespace morvane::runtime
