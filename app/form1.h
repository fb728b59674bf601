// Form1 declared once for the project image: its control list in the image's order,
// each control's number (its record in the form description stream) and kind, and
// which handler each bound event calls. The image builder's control list, event
// tables and entries, and the runtime's table of native routines follow from it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "form/form1_numbers.h"
#include "formats/control_kinds.h"

namespace morvane::app {

// The handlers, by the native index that their bodies in the image carry.
enum class Handler : std::uint32_t { reset_click = 0, enzyme_drag_drop = 1, complex_click = 2 };
inline constexpr std::uint32_t kHandlerCount = 3;

struct Binding {
  formats::Event event;
  Handler handler;
};

struct Form1Entry {
  std::string_view name;       // "Form" for the form's own entry
  formats::ControlKind kind;
  std::uint16_t number;        // 0xFFFF for the form itself
  std::optional<Binding> bound;
};

// In the control list's order; each entry's event sink lies at 0x34 plus 4 per place.
inline constexpr std::array<Form1Entry, 7> kForm1{{
    {"Picture1", formats::ControlKind::picture_box, form::form1::picture1, Binding{formats::Event::drag_drop, Handler::enzyme_drag_drop}},
    {"Form", formats::ControlKind::form, 0xFFFF, std::nullopt},
    {"Picture2", formats::ControlKind::picture_box, form::form1::picture2, std::nullopt},
    {"Picture3", formats::ControlKind::picture_box, form::form1::picture3, std::nullopt},
    {"Picture4", formats::ControlKind::picture_box, form::form1::picture4, Binding{formats::Event::click, Handler::complex_click}},
    {"Command1", formats::ControlKind::command_button, form::form1::command1, Binding{formats::Event::click, Handler::reset_click}},
    {"Label1", formats::ControlKind::label, form::form1::label1, std::nullopt},
}};
inline constexpr std::uint32_t kFirstSinkPlace = 0x34;
inline constexpr std::uint32_t sink_place(std::size_t list_place) {
  return kFirstSinkPlace + 4 * static_cast<std::uint32_t>(list_place);
}
// The form object's size: past the last sink.
inline constexpr std::uint32_t kInstanceSize = sink_place(kForm1.size());

// The place in the control list of the control whose bound event calls `handler`.
constexpr std::size_t bound_place(Handler handler) {
  for (std::size_t i = 0; i < kForm1.size(); ++i)
    if (kForm1[i].bound && kForm1[i].bound->handler == handler) return i;
  return kForm1.size();
}

}  // namespace morvane::app
