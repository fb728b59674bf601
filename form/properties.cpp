// The program's properties, one row each. Adding a property is one row here: the
// stream's reader and writer, the window's model, the runtime's loader, access by name
// and Form1's settings all follow from it.
#include "form/property_table.h"

namespace morvane::form {
namespace {

using enum ControlKind;
using enum Encoding;
using formats::system_color;

constexpr std::uint32_t button_face = system_color(15);
constexpr std::uint32_t button_text = system_color(18);
constexpr std::uint8_t shown = 0xFF;

// In the stream under `code`; an absent property stands for `absent`.
KindEntry coded(ControlKind kind, std::uint8_t code, std::optional<PropertyValue> absent = {}, bool by_name = true) {
  return {kind, code, false, std::move(absent), by_name};
}
// In every record of the kind.
KindEntry carried(ControlKind kind, std::uint8_t code, bool by_name, std::string_view name = {}) {
  return {kind, code, true, std::nullopt, by_name, name};
}
// Never in the stream; reached by name only.
KindEntry named(ControlKind kind, std::optional<PropertyValue> absent = {}) {
  return {kind, std::nullopt, false, std::move(absent), true};
}

std::vector<PropertyRow> program_rows() {
  const PropertyValue face{button_face}, text{button_text}, visible{shown}, manual{std::uint8_t{0}},
      no_tag{std::u16string{}};
  return {
      {.field = "caption", .name = "caption", .encoding = narrow_string,
       .kinds = {coded(form, 0x01), coded(command_button, 0x01), coded(label, 0x01)},
       .by_name = ByName::text, .members = {u"Caption"}},
      {.field = "back_color", .name = "background colour", .encoding = colour,
       .kinds = {coded(form, 0x03, face), coded(picture_box, 0x01, face), coded(label, 0x03, face),
                 named(command_button, face)},
       .by_name = ByName::colour, .members = {u"BackColor"}},
      {.field = "fore_color", .name = "text colour", .encoding = colour,
       .kinds = {coded(label, 0x04, text), named(form, text), named(picture_box, text), named(command_button, text)},
       .by_name = ByName::colour, .members = {u"ForeColor"}},
      {.field = "picture", .name = "picture", .encoding = picture, .kinds = {coded(picture_box, 0x03, {}, false)}},
      {.field = "bounds", .name = "position and size", .encoding = rectangle16,
       .kinds = {coded(command_button, 0x04), coded(picture_box, 0x05), coded(label, 0x05)},
       .by_name = ByName::rectangle, .members = {u"Left", u"Top", u"Width", u"Height"}},
      {.field = "visible", .name = "visible", .encoding = byte,
       .kinds = {coded(picture_box, 0x0A, visible), named(form, visible), named(label, visible),
                 named(command_button, visible)},
       .by_name = ByName::boolean, .members = {u"Visible"}},
      {.field = "tab_index", .name = "tab index", .encoding = int16,
       .kinds = {carried(command_button, 0x11, true), carried(picture_box, 0x12, true), carried(label, 0x12, true)},
       .by_name = ByName::integer, .members = {u"TabIndex"}, .least = 0, .most = 32767},
      {.field = "flags", .name = "flag word", .encoding = word32,
       .kinds = {carried(form, 0x19, false, "form flag word"), carried(picture_box, 0x1A, false, "picture box flag word")}},
      {.field = "setting_23", .name = "form setting 0x23", .encoding = word32, .kinds = {coded(form, 0x23, {}, false)}},
      {.field = "link_topic", .name = "DDE link topic", .encoding = narrow_string,
       .kinds = {coded(form, 0x24, {}, false)}},
      {.field = "client_area", .name = "client area", .encoding = rectangle32, .kinds = {coded(form, 0x35, {}, false)}},
      {.field = "startup_position", .name = "start-up position", .encoding = byte,
       .kinds = {coded(form, 0x46, {}, false)}},
      {.field = "font", .name = "font", .encoding = font,
       .kinds = {coded(command_button, 0x1D), coded(label, 0x25), named(form)},
       .by_name = ByName::font, .members = {u"FontName", u"FontSize"}},
      {.field = "drag_mode", .name = "drag mode", .encoding = byte,
       .kinds = {coded(picture_box, 0x1C, manual), named(label, manual), named(command_button, manual)},
       .by_name = ByName::integer, .members = {u"DragMode"}, .least = 0, .most = 1},
      {.field = "setting_2a", .name = "picture box setting 0x2A", .encoding = byte,
       .kinds = {coded(picture_box, 0x2A, {}, false)}},
      {.field = "tag", .name = "tag", .encoding = wide_string,
       .kinds = {coded(picture_box, 0x2E, no_tag), named(form, no_tag), named(label, no_tag),
                 named(command_button, no_tag)},
       .by_name = ByName::text, .members = {u"Tag"}},
  };
}

// Made before the program's other global objects, any of which may read a form. A
// build that evaluates the global constructors (the page's) ships the table made and
// leaves out the code that makes it.
[[gnu::init_priority(101)]] const PropertyTable table(program_rows());

}  // namespace

const PropertyTable& form_properties() { return table; }

}  // namespace morvane::form
