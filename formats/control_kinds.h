// The control kinds, one row each: every fact about a kind that the stream reader and
// writer, the project image and its builder, the runtime's controls, event routing,
// input rules and painter need. Adding a kind is one row here, its entries in the
// property rows (form/properties.cpp) and its painting and input code.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>


namespace morvane::formats {

// Each value is the kind's code in the form description stream.
enum class ControlKind : std::uint8_t {
  picture_box = 0x00,
  label = 0x01,
  command_button = 0x04,
  form = 0x0D,
};

// The events that controls raise.
enum class Event {
  click, dbl_click, drag_drop, drag_over, got_focus, lost_focus,
  key_down, key_press, key_up, mouse_down, mouse_move, mouse_up,
  load, unload, query_unload, resize, paint, activate,
};
std::string_view event_name(Event e);

// A class identifier in the usual byte order (first three groups little-endian).
using ClassId = std::array<std::uint8_t, 16>;

// 0x80000000 plus n names system colour n.
inline constexpr std::uint32_t system_color(std::uint32_t index) { return 0x80000000u + index; }

struct EventSlot {
  Event event;
  int slot;
};

struct KindFacts {
  ControlKind kind;
  std::string_view name;                     // "picture box"
  ClassId class_id;                          // as the control list names the kind
  std::uint32_t entry_value;                 // the control entry's word at 0x1C
  int slot_count;                            // slots of the kind's event table
  std::span<const EventSlot> events;         // the slot of each event it raises; others reserved
  bool takes_focus;
  bool pushes;                               // a push button: drawn pressed; Space and Enter click it
  int border_width;                          // pixels on each side around its client area
};

std::span<const KindFacts> control_kinds();
const KindFacts& kind_facts(ControlKind kind);
std::string_view kind_name(ControlKind kind);
const KindFacts* kind_of_stream_code(std::uint8_t code);  // null: no kind has it
const KindFacts* kind_of_class(const ClassId& id);
std::optional<int> event_slot(ControlKind kind, Event e);

}  // namespace morvane::formats
