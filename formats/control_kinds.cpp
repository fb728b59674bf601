#include "formats/control_kinds.h"

#include <algorithm>

namespace morvane::formats {
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

using S = EventSlot;
using V = Event;
constexpr S picture_box_events[] = {
    {V::click, 1},       {V::dbl_click, 2},   {V::drag_drop, 3},   {V::drag_over, 4},  {V::got_focus, 5},
    {V::key_down, 6},    {V::key_press, 7},   {V::key_up, 8},      {V::lost_focus, 12}, {V::mouse_down, 14},
    {V::mouse_move, 15}, {V::mouse_up, 16},   {V::paint, 17},      {V::resize, 18},
};
constexpr S command_button_events[] = {
    {V::click, 0},      {V::drag_drop, 1},  {V::drag_over, 2},  {V::got_focus, 3},  {V::key_down, 4},   {V::key_press, 5},
    {V::key_up, 6},     {V::lost_focus, 7}, {V::mouse_down, 8}, {V::mouse_move, 9}, {V::mouse_up, 10},
};
constexpr S label_events[] = {
    {V::click, 1}, {V::dbl_click, 2}, {V::drag_drop, 3}, {V::drag_over, 4}, {V::mouse_down, 9}, {V::mouse_move, 10},
    {V::mouse_up, 11},
};
constexpr S form_events[] = {
    {V::activate, 0},     {V::click, 1},        {V::dbl_click, 2},      {V::drag_drop, 4},  {V::drag_over, 5},
    {V::got_focus, 6},    {V::key_down, 8},     {V::key_press, 9},      {V::key_up, 10},    {V::load, 11},
    {V::lost_focus, 12},  {V::mouse_down, 13},  {V::mouse_move, 14},    {V::mouse_up, 15},  {V::paint, 16},
    {V::query_unload, 17}, {V::resize, 18},     {V::unload, 20},
};

using M = std::u16string_view;
constexpr M form_members[] = {u"Name", u"Visible", u"Tag", u"BackColor", u"ForeColor", u"Caption",
                              u"FontName", u"FontSize", u"Enabled"};
constexpr M picture_box_members[] = {u"Name", u"Left", u"Top", u"Width", u"Height", u"Visible", u"Tag",
                                     u"TabIndex", u"BackColor", u"ForeColor", u"DragMode", u"Enabled"};
constexpr M captioned_members[] = {u"Name",     u"Left",      u"Top",       u"Width",   u"Height",
                                   u"Visible",  u"Tag",       u"TabIndex",  u"BackColor", u"ForeColor",
                                   u"Caption",  u"FontName",  u"FontSize",  u"DragMode", u"Enabled"};

// {33ADxxxx-6699-11CF-B70C-00AA0060D393}, first three groups little-endian.
constexpr ClassId runtime_class(std::uint16_t low_word) {
  return {static_cast<std::uint8_t>(low_word), static_cast<std::uint8_t>(low_word >> 8), 0xAD, 0x33, 0x99, 0x66,
          0xCF, 0x11, 0xB7, 0x0C, 0x00, 0xAA, 0x00, 0x60, 0xD3, 0x93};
}

constexpr std::uint32_t button_face = system_color(15);
constexpr std::uint32_t button_text = system_color(18);

constexpr KindFacts kinds[] = {
    {ControlKind::picture_box, "picture box", runtime_class(0x4ED2), 0x001D0F80, 26, picture_box_events,
     picture_box_codes, picture_box_members, true, false, 2, button_face, button_text},
    {ControlKind::label, "label", runtime_class(0x4EDA), 0x001D0FB0, 18, label_events, label_codes,
     captioned_members, false, false, 0, button_face, button_text},
    {ControlKind::command_button, "command button", runtime_class(0x4EF2), 0x001D0FA0, 17, command_button_events,
     command_button_codes, captioned_members, true, true, 0, button_face, button_text},
    {ControlKind::form, "form", runtime_class(0x4F3A), 0x001D0F90, 31, form_events, form_codes, form_members,
     false, false, 0, button_face, button_text},
};

bool equal_ignoring_ascii_case(std::u16string_view a, std::u16string_view b) {
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) {
           return lower(x) == lower(y);
         });
}

}  // namespace

std::string_view field_name(Field field) {
  switch (field) {
    case Field::caption: return "caption";
    case Field::back_color: return "back_color";
    case Field::fore_color: return "fore_color";
    case Field::picture: return "picture";
    case Field::bounds: return "bounds";
    case Field::visible: return "visible";
    case Field::tab_index: return "tab_index";
    case Field::flags: return "flags";
    case Field::setting_23: return "setting_23";
    case Field::link_topic: return "link_topic";
    case Field::client_area: return "client_area";
    case Field::startup_position: return "startup_position";
    case Field::font: return "font";
    case Field::drag_mode: return "drag_mode";
    case Field::setting_2a: return "setting_2a";
    case Field::tag: return "tag";
  }
  return "unknown field";
}

std::string_view event_name(Event e) {
  switch (e) {
    case Event::click: return "Click";
    case Event::dbl_click: return "DblClick";
    case Event::drag_drop: return "DragDrop";
    case Event::drag_over: return "DragOver";
    case Event::got_focus: return "GotFocus";
    case Event::lost_focus: return "LostFocus";
    case Event::key_down: return "KeyDown";
    case Event::key_press: return "KeyPress";
    case Event::key_up: return "KeyUp";
    case Event::mouse_down: return "MouseDown";
    case Event::mouse_move: return "MouseMove";
    case Event::mouse_up: return "MouseUp";
    case Event::load: return "Load";
    case Event::unload: return "Unload";
    case Event::query_unload: return "QueryUnload";
    case Event::resize: return "Resize";
    case Event::paint: return "Paint";
    case Event::activate: return "Activate";
  }
  return "?";
}

std::span<const KindFacts> control_kinds() { return kinds; }

const KindFacts& kind_facts(ControlKind kind) {
  for (const KindFacts& k : kinds)
    if (k.kind == kind) return k;
  return kinds[0];  // unreachable for the enumeration's values
}

std::string_view kind_name(ControlKind kind) {
  const KindFacts* facts = kind_of_stream_code(static_cast<std::uint8_t>(kind));
  return facts ? facts->name : "unknown kind";
}

const KindFacts* kind_of_stream_code(std::uint8_t code) {
  for (const KindFacts& k : kinds)
    if (static_cast<std::uint8_t>(k.kind) == code) return &k;
  return nullptr;
}

const KindFacts* kind_of_class(const ClassId& id) {
  for (const KindFacts& k : kinds)
    if (k.class_id == id) return &k;
  return nullptr;
}

std::optional<int> event_slot(ControlKind kind, Event e) {
  for (const EventSlot& s : kind_facts(kind).events)
    if (s.event == e) return s.slot;
  return std::nullopt;
}

bool has_member(ControlKind kind, std::u16string_view name) {
  for (const std::u16string_view m : kind_facts(kind).members)
    if (equal_ignoring_ascii_case(m, name)) return true;
  return false;
}

}  // namespace morvane::formats
