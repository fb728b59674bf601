#include "runtime/core/controls/controls.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "runtime/core/objects/runtime_error.h"

namespace morvane::runtime {

Control::Control(ControlKind kind, std::string name, int number)
    : kind_(kind),
      name_(std::move(name)),
      number_(number),
      back_color_(formats::kind_facts(kind).back_color),
      fore_color_(formats::kind_facts(kind).fore_color) {}

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

// What access by name does with each member; which kinds have it is the kind catalogue's.
struct Member {
  std::u16string_view name;
  Variant (*get)(Control&);
  void (*set)(Control&, const Variant&);  // null: read-only
};

std::int32_t to_twips(const Control& c, std::u16string_view member, const Variant& v) {
  const double d = v.as_number();
  if (!std::isfinite(d) || d < std::numeric_limits<std::int32_t>::min() || d > std::numeric_limits<std::int32_t>::max())
    throw RuntimeError(status::invalid_value, "invalid value for " + to_utf8(member) + ": " + v.describe(), c.name());
  return static_cast<std::int32_t>(std::lround(d));
}

std::uint32_t to_color(const Control& c, std::u16string_view member, const Variant& v) {
  const double d = v.as_number();
  if (!std::isfinite(d) || d < std::numeric_limits<std::int32_t>::min() || d > std::numeric_limits<std::uint32_t>::max())
    throw RuntimeError(status::invalid_value, "invalid value for " + to_utf8(member) + ": " + v.describe(), c.name());
  const auto bits = d < 0 ? static_cast<std::uint32_t>(static_cast<std::int32_t>(d)) : static_cast<std::uint32_t>(d);
  return bits;
}

Variant color_variant(std::uint32_t c) { return Variant::from_long(static_cast<std::int32_t>(c)); }

const std::array<Member, 15>& members() {
  static const std::array<Member, 15> table{{
      {u"Name", [](Control& c) { return Variant::from_string(to_utf16(c.name())); }, nullptr},
      {u"Left", [](Control& c) { return Variant::from_single(static_cast<float>(c.left())); },
       [](Control& c, const Variant& v) { c.move(to_twips(c, u"Left", v), c.top(), c.width(), c.height()); }},
      {u"Top", [](Control& c) { return Variant::from_single(static_cast<float>(c.top())); },
       [](Control& c, const Variant& v) { c.move(c.left(), to_twips(c, u"Top", v), c.width(), c.height()); }},
      {u"Width", [](Control& c) { return Variant::from_single(static_cast<float>(c.width())); },
       [](Control& c, const Variant& v) {
         const auto w = to_twips(c, u"Width", v);
         if (w < 0) throw RuntimeError(status::invalid_value, "invalid value for Width: " + v.describe(), c.name());
         c.move(c.left(), c.top(), w, c.height());
       }},
      {u"Height", [](Control& c) { return Variant::from_single(static_cast<float>(c.height())); },
       [](Control& c, const Variant& v) {
         const auto h = to_twips(c, u"Height", v);
         if (h < 0) throw RuntimeError(status::invalid_value, "invalid value for Height: " + v.describe(), c.name());
         c.move(c.left(), c.top(), c.width(), h);
       }},
      {u"Visible", [](Control& c) { return Variant::from_boolean(to_boolean(c.visible())); },
       [](Control& c, const Variant& v) { c.set_visible(v.as_boolean() != kFalse); }},
      {u"Tag", [](Control& c) { return Variant::from_string(c.tag()); },
       [](Control& c, const Variant& v) { c.set_tag(std::u16string(v.as_string())); }},
      {u"TabIndex", [](Control& c) { return Variant::from_integer(c.tab_index()); },
       [](Control& c, const Variant& v) {
         const double d = v.as_number();
         if (!(d >= 0 && d <= 32767))
           throw RuntimeError(status::invalid_value, "invalid value for TabIndex: " + v.describe(), c.name());
         c.set_tab_index(static_cast<std::int16_t>(d));
       }},
      {u"BackColor", [](Control& c) { return color_variant(c.back_color()); },
       [](Control& c, const Variant& v) { c.set_back_color(to_color(c, u"BackColor", v)); }},
      {u"ForeColor", [](Control& c) { return color_variant(c.fore_color()); },
       [](Control& c, const Variant& v) { c.set_fore_color(to_color(c, u"ForeColor", v)); }},
      {u"Caption", [](Control& c) { return Variant::from_string(to_utf16(c.caption())); },
       [](Control& c, const Variant& v) { c.set_caption(to_utf8(v.as_string())); }},
      {u"FontName", [](Control& c) { return Variant::from_string(to_utf16(c.font().name)); },
       [](Control& c, const Variant& v) {
         FontSpec f = c.font();
         f.name = to_utf8(v.as_string());
         c.set_font(f);
       }},
      {u"FontSize",
       [](Control& c) { return Variant::from_single(static_cast<float>(c.font().size_e4) / 10000.0f); },
       [](Control& c, const Variant& v) {
         const double d = v.as_number();
         if (!(d > 0 && d <= 2048))
           throw RuntimeError(status::invalid_value, "invalid value for FontSize: " + v.describe(), c.name());
         FontSpec f = c.font();
         f.size_e4 = static_cast<std::uint32_t>(std::lround(d * 10000));
         c.set_font(f);
       }},
      {u"DragMode",
       [](Control& c) { return Variant::from_integer(c.automatic_drag() ? 1 : 0); },
       [](Control& c, const Variant& v) {
         const double d = v.as_number();
         if (d != 0 && d != 1)
           throw RuntimeError(status::invalid_value, "invalid value for DragMode: " + v.describe(), c.name());
         c.set_automatic_drag(d == 1);
       }},
      {u"Enabled", [](Control&) { return Variant::from_boolean(kTrue); }, nullptr},
  }};
  return table;
}

const Member* find_member(ControlKind kind, std::u16string_view name) {
  if (!formats::has_member(kind, name)) return nullptr;
  for (const Member& m : members())
    if (equal_ignoring_ascii_case(m.name, name)) return &m;
  return nullptr;
}

[[noreturn]] void unknown_member(const Control& c, std::u16string_view name) {
  throw RuntimeError(status::unknown_member,
                     "the " + std::string(kind_name(c.kind())) + " has no member named \"" + to_utf8(name) + "\"",
                     c.name());
}

}  // namespace

Variant Control::get_member(std::u16string_view name) {
  const Member* m = find_member(kind_, name);
  if (!m) unknown_member(*this, name);
  return m->get(*this);
}

void Control::set_member(std::u16string_view name, const Variant& value) {
  const Member* m = find_member(kind_, name);
  if (!m) unknown_member(*this, name);
  if (!m->set) throw RuntimeError(status::read_only, "the member \"" + to_utf8(m->name) + "\" cannot be set", name_);
  try {
    m->set(*this, value);
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
