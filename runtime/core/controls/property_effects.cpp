#include "runtime/core/controls/property_effects.h"

#include <array>
#include <string>

#include "runtime/core/controls/controls.h"
#include "runtime/core/controls/form_object.h"
#include "runtime/core/objects/runtime_error.h"

namespace morvane::runtime {
namespace {

using form::PropertyValue;

FontSpec font_spec(const form::Font& f) {
  FontSpec s;
  s.name = f.name;
  s.size_e4 = f.size_e4;
  s.weight = f.weight;
  s.charset = f.charset;
  s.italic = f.style & 0x02;
  s.underline = f.style & 0x04;
  s.strikeout = f.style & 0x08;
  return s;
}

form::Font persisted(const FontSpec& s) {
  const auto style = static_cast<std::uint8_t>((s.italic ? 0x02 : 0) | (s.underline ? 0x04 : 0) | (s.strikeout ? 0x08 : 0));
  return form::Font{.charset = s.charset, .style = style, .weight = s.weight, .size_e4 = s.size_e4, .name = s.name};
}

form::Rect bounds_of(const Control& c) { return {c.left(), c.top(), c.width(), c.height()}; }

// A picture viewed in place (its bytes outlive the control) or decoded into memory of its own.
std::shared_ptr<const Picture> picture_of(const form::PictureBytes& p) {
  if (p.is_view()) return std::make_shared<const Picture>(view_bmp(p.bytes()));
  return std::make_shared<const Picture>(decode_bmp(p.bytes()));
}

FormObject& the_form(Control& c) {
  auto* form = dynamic_cast<FormObject*>(&c);
  if (!form) throw RuntimeError(status::failed, "only a form has this setting", c.name());
  return *form;
}

void set_client_area(Control& c, const form::Rect& area) {
  // The window's framebuffer is sized from it: refuse what no screen shows.
  const int w = twips_to_pixels(area.width), h = twips_to_pixels(area.height);
  if (w < 0 || h < 0 || w > kMaxClientSide || h > kMaxClientSide)
    throw RuntimeError(status::failed, "the client area of " + c.name() + " is " + std::to_string(w) + " x " +
                                           std::to_string(h) + " pixels; expected 0 to " +
                                           std::to_string(kMaxClientSide) + " each way");
  the_form(c).move(area.left, area.top, area.width, area.height);
}

template <class T>
const T& as(const PropertyValue& v) {
  return std::get<T>(v);
}

const std::array<PropertyEffect, 12> kEffects{{
    {"bounds",
     [](Control& c, const PropertyValue& v) {
       const auto& r = as<form::Rect>(v);
       c.move(r.left, r.top, r.width, r.height);
     },
     [](const Control& c) -> std::optional<PropertyValue> { return bounds_of(c); }},
    {"client_area", [](Control& c, const PropertyValue& v) { set_client_area(c, as<form::Rect>(v)); },
     [](const Control& c) -> std::optional<PropertyValue> { return bounds_of(c); }},
    {"visible", [](Control& c, const PropertyValue& v) { c.set_visible(as<std::uint8_t>(v) != 0); },
     [](const Control& c) -> std::optional<PropertyValue> { return std::uint8_t{c.visible() ? std::uint8_t{0xFF} : std::uint8_t{0}}; }},
    {"tab_index", [](Control& c, const PropertyValue& v) { c.set_tab_index(as<std::int16_t>(v)); },
     [](const Control& c) -> std::optional<PropertyValue> { return c.tab_index(); }},
    {"tag", [](Control& c, const PropertyValue& v) { c.set_tag(as<std::u16string>(v)); },
     [](const Control& c) -> std::optional<PropertyValue> { return c.tag(); }},
    {"back_color", [](Control& c, const PropertyValue& v) { c.set_back_color(as<std::uint32_t>(v)); },
     [](const Control& c) -> std::optional<PropertyValue> { return c.back_color(); }},
    {"fore_color", [](Control& c, const PropertyValue& v) { c.set_fore_color(as<std::uint32_t>(v)); },
     [](const Control& c) -> std::optional<PropertyValue> { return c.fore_color(); }},
    {"caption", [](Control& c, const PropertyValue& v) { c.set_caption(as<std::string>(v)); },
     [](const Control& c) -> std::optional<PropertyValue> { return c.caption(); }},
    {"font", [](Control& c, const PropertyValue& v) { c.set_font(font_spec(as<form::Font>(v))); },
     [](const Control& c) -> std::optional<PropertyValue> { return persisted(c.font()); }},
    {"drag_mode", [](Control& c, const PropertyValue& v) { c.set_automatic_drag(as<std::uint8_t>(v) == 1); },
     [](const Control& c) -> std::optional<PropertyValue> { return std::uint8_t{c.automatic_drag() ? std::uint8_t{1} : std::uint8_t{0}}; }},
    {"picture", [](Control& c, const PropertyValue& v) { c.set_picture(picture_of(as<form::PictureBytes>(v))); },
     [](const Control&) -> std::optional<PropertyValue> { return std::nullopt; }},
    {"startup_position", [](Control& c, const PropertyValue& v) { the_form(c).set_startup_position(as<std::uint8_t>(v)); },
     [](const Control&) -> std::optional<PropertyValue> { return std::nullopt; }},
}};

}  // namespace

const PropertyEffect* property_effect(std::string_view field) {
  for (const PropertyEffect& e : kEffects)
    if (e.field == field) return &e;
  return nullptr;
}

}  // namespace morvane::runtime
