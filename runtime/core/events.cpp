#include "runtime/core/events.h"

#include <array>
#include <utility>

namespace morvane::runtime {

const char* event_name(Event e) {
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

namespace {
using SlotEntry = std::pair<Event, int>;

// Slots of each kind's event table; slots not listed are reserved for events this
// runtime does not raise.
constexpr std::array kPictureSlots{
    SlotEntry{Event::click, 1},      SlotEntry{Event::dbl_click, 2},   SlotEntry{Event::drag_drop, 3},
    SlotEntry{Event::drag_over, 4},  SlotEntry{Event::got_focus, 5},   SlotEntry{Event::key_down, 6},
    SlotEntry{Event::key_press, 7},  SlotEntry{Event::key_up, 8},      SlotEntry{Event::lost_focus, 12},
    SlotEntry{Event::mouse_down, 14}, SlotEntry{Event::mouse_move, 15}, SlotEntry{Event::mouse_up, 16},
    SlotEntry{Event::paint, 17},     SlotEntry{Event::resize, 18},
};
constexpr std::array kButtonSlots{
    SlotEntry{Event::click, 0},     SlotEntry{Event::drag_drop, 1},  SlotEntry{Event::drag_over, 2},
    SlotEntry{Event::got_focus, 3}, SlotEntry{Event::key_down, 4},   SlotEntry{Event::key_press, 5},
    SlotEntry{Event::key_up, 6},    SlotEntry{Event::lost_focus, 7}, SlotEntry{Event::mouse_down, 8},
    SlotEntry{Event::mouse_move, 9}, SlotEntry{Event::mouse_up, 10},
};
constexpr std::array kLabelSlots{
    SlotEntry{Event::click, 1},      SlotEntry{Event::dbl_click, 2},  SlotEntry{Event::drag_drop, 3},
    SlotEntry{Event::drag_over, 4},  SlotEntry{Event::mouse_down, 9}, SlotEntry{Event::mouse_move, 10},
    SlotEntry{Event::mouse_up, 11},
};
constexpr std::array kFormSlots{
    SlotEntry{Event::activate, 0},   SlotEntry{Event::click, 1},         SlotEntry{Event::dbl_click, 2},
    SlotEntry{Event::drag_drop, 4},  SlotEntry{Event::drag_over, 5},     SlotEntry{Event::got_focus, 6},
    SlotEntry{Event::key_down, 8},   SlotEntry{Event::key_press, 9},     SlotEntry{Event::key_up, 10},
    SlotEntry{Event::load, 11},      SlotEntry{Event::lost_focus, 12},   SlotEntry{Event::mouse_down, 13},
    SlotEntry{Event::mouse_move, 14}, SlotEntry{Event::mouse_up, 15},    SlotEntry{Event::paint, 16},
    SlotEntry{Event::query_unload, 17}, SlotEntry{Event::resize, 18},    SlotEntry{Event::unload, 20},
};

template <std::size_t N>
std::optional<int> lookup(const std::array<SlotEntry, N>& table, Event e) {
  for (const auto& [event, slot] : table)
    if (event == e) return slot;
  return std::nullopt;
}
}  // namespace

int event_slot_count(ControlKind kind) {
  switch (kind) {
    case ControlKind::picture_box: return 26;
    case ControlKind::form: return 31;
    case ControlKind::command_button: return 17;
    case ControlKind::label: return 18;
  }
  return 0;
}

std::optional<int> event_slot(ControlKind kind, Event e) {
  switch (kind) {
    case ControlKind::picture_box: return lookup(kPictureSlots, e);
    case ControlKind::form: return lookup(kFormSlots, e);
    case ControlKind::command_button: return lookup(kButtonSlots, e);
    case ControlKind::label: return lookup(kLabelSlots, e);
  }
  return std::nullopt;
}

}  // namespace morvane::runtime
