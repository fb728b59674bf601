#include "formats/control_kinds.h"

#include <algorithm>

namespace morvane::formats {
namespace {

constexpr PropertySpec form_codes[] = {
    {0x01, Field::caption, Encoding::narrow_string, false, "caption"},
    {0x03, Field::back_color, Encoding::colour, false, "background colour"},
    {0x19, Field::flags, Encoding::word32, true, "form flag word"},
    {0x23, Field::setting_23, Encoding::word32, false, "form setting 0x23"},
    {0x24, Field::link_topic, Encoding::narrow_string, false, "DDE link topic"},
    {0x35, Field::client_area, Encoding::rectangle32, false, "client area"},
    {0x46, Field::startup_position, Encoding::byte, false, "start-up position"},
};

constexpr PropertySpec command_button_codes[] = {
    {0x01, Field::caption, Encoding::narrow_string, false, "caption"},
    {0x04, Field::bounds, Encoding::rectangle16, false, "position and size"},
    {0x11, Field::tab_index, Encoding::int16, true, "tab index"},
    {0x1D, Field::font, Encoding::font, false, "font"},
};

constexpr PropertySpec picture_box_codes[] = {
    {0x01, Field::back_color, Encoding::colour, false, "background colour"},
    {0x03, Field::picture, Encoding::picture, false, "picture"},
    {0x05, Field::bounds, Encoding::rectangle16, false, "position and size"},
    {0x0A, Field::visible, Encoding::byte, false, "visible"},
    {0x12, Field::tab_index, Encoding::int16, true, "tab index"},
    {0x1A, Field::flags, Encoding::word32, true, "picture box flag word"},
    {0x1C, Field::drag_mode, Encoding::byte, false, "drag mode"},
    {0x2A, Field::setting_2a, Encoding::byte, false, "picture box setting 0x2A"},
    {0x2E, Field::tag, Encoding::wide_string, false, "tag"},
};

constexpr PropertySpec label_codes[] = {
    {0x01, Field::caption, Encoding::narrow_string, false, "caption"},
    {0x03, Field::back_color, Encoding::colour, false, "background colour"},
    {0x04, Field::fore_color, Encoding::colour, false, "text colour"},
    {0x05, Field::bounds, Encoding::rectangle16, false, "position and size"},
    {0x12, Field::tab_index, Encoding::int16, true, "tab index"},
    {0x25, Field::font, Encoding::font, false, "font"},
};

using enum Event;
constexpr EventSlot picture_box_events[] = {
    {click, 1},       {dbl_click, 2},   {drag_drop, 3},   {drag_over, 4},  {got_focus, 5},
    {key_down, 6},    {key_press, 7},   {key_up, 8},      {lost_focus, 12}, {mouse_down, 14},
    {mouse_move, 15}, {mouse_up, 16},   {paint, 17},      {resize, 18},
};
constexpr EventSlot command_button_events[] = {
    {click, 0},      {drag_drop, 1},  {drag_over, 2},  {got_focus, 3},  {key_down, 4},   {key_press, 5},
    {key_up, 6},     {lost_focus, 7}, {mouse_down, 8}, {mouse_move, 9}, {mouse_up, 10},
};
constexpr EventSlot label_events[] = {
    {click, 1}, {dbl_click, 2}, {drag_drop, 3}, {drag_over, 4}, {mouse_down, 9}, {mouse_move, 10},
    {mouse_up, 11},
};
constexpr EventSlot form_events[] = {
    {activate, 0},     {click, 1},        {dbl_click, 2},      {drag_drop, 4},  {drag_over, 5},
    {got_focus, 6},    {key_down, 8},     {key_press, 9},      {key_up, 10},    {load, 11},
    {lost_focus, 12},  {mouse_down, 13},  {mouse_move, 14},    {mouse_up, 15},  {paint, 16},
    {query_unload, 17}, {resize, 18},     {unload, 20},
};

// What access by name reaches, by kind.
constexpr std::u16string_view form_members[] = {
    u"Name", u"Visible", u"Tag", u"BackColor", u"ForeColor", u"Caption", u"FontName", u"FontSize", u"Enabled"};

constexpr std::u16string_view picture_box_members[] = {
    u"Name", u"Left", u"Top", u"Width", u"Height", u"Visible", u"Tag", u"TabIndex", u"BackColor", u"ForeColor",
    u"DragMode", u"Enabled"};

constexpr std::u16string_view captioned_members[] = {
    u"Name", u"Left", u"Top", u"Width", u"Height", u"Visible", u"Tag", u"TabIndex", u"BackColor", u"ForeColor",
    u"Caption", u"FontName", u"FontSize", u"DragMode", u"Enabled"};

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
