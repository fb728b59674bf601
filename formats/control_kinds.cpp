#include "formats/control_kinds.h"

#include <algorithm>

namespace morvane::formats {
namespace {

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

// {33ADxxxx-6699-11CF-B70C-00AA0060D393}, first three groups little-endian.
constexpr ClassId runtime_class(std::uint16_t low_word) {
  return {static_cast<std::uint8_t>(low_word), static_cast<std::uint8_t>(low_word >> 8), 0xAD, 0x33, 0x99, 0x66,
          0xCF, 0x11, 0xB7, 0x0C, 0x00, 0xAA, 0x00, 0x60, 0xD3, 0x93};
}

constexpr KindFacts kinds[] = {
    {ControlKind::picture_box, "picture box", runtime_class(0x4ED2), 0x001D0F80, 26, picture_box_events, true, false, 2},
    {ControlKind::label, "label", runtime_class(0x4EDA), 0x001D0FB0, 18, label_events, false, false, 0},
    {ControlKind::command_button, "command button", runtime_class(0x4EF2), 0x001D0FA0, 17, command_button_events, true,
     true, 0},
    {ControlKind::form, "form", runtime_class(0x4F3A), 0x001D0F90, 31, form_events, false, false, 0},
};

}  // namespace

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

}  // namespace morvane::formats
