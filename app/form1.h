// Form1 declared once: the form's own settings, and its controls in the project image's
// control list order, each with its number (its record in the form description stream),
// its kind, its settings and which handler its bound event calls. The stream's model
// (form1_model.h), the image builder's control list, event tables and entries, the
// handlers' view of the picture boxes and the runtime's table of native routines all
// follow from it. Constants only, so that the Windows executable's handler routines,
// built without the C++ library, can read it too.
#pragma once

#include <array>
#include <initializer_list>
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>

#include "formats/control_kinds.h"
#include "formats/image_layout.h"
#include "logic/enzyme_boxes.h"

namespace morvane::app {

// The handlers, by the native index that their bodies in the image carry.
enum class Handler : std::uint32_t { reset_click = 0, enzyme_drag_drop = 1, complex_click = 2 };
inline constexpr std::uint32_t kHandlerCount = 3;

struct Binding {
  formats::Event event;
  Handler handler;
};

// Which of the four bitmap files a picture box shows.
enum class Picture { none, enzyme, substrate, product, complex };

// Positions and sizes in twips, from the top-left of the containing client area.
struct Twips {
  std::int32_t left, top, width, height;
};

// A caption's font: upright, regular weight, the default character set.
struct FontChoice {
  std::uint32_t size_e4;  // size in ten-thousandths of a point
  std::string_view name;
};

// A setting's value, converted to its property's encoding when the stream's model is
// made: a number, text, a position and size, a font or one of the four pictures.
struct SettingValue {
  enum class Type { number, text, wide_text, twips, font, picture } type;
  std::int64_t number = 0;
  std::string_view text = {};
  std::u16string_view wide_text = {};
  Twips twips = {};
  FontChoice font = {};
  Picture picture = Picture::none;

  constexpr SettingValue() : type(Type::number) {}
  template <class N>
    requires std::is_integral_v<N>
  constexpr SettingValue(N n) : type(Type::number), number(static_cast<std::int64_t>(n)) {}
  constexpr SettingValue(std::string_view t) : type(Type::text), text(t) {}
  constexpr SettingValue(const char* t) : type(Type::text), text(t) {}
  constexpr SettingValue(const char16_t* t) : type(Type::wide_text), wide_text(t) {}
  constexpr SettingValue(Twips t) : type(Type::twips), twips(t) {}
  constexpr SettingValue(FontChoice f) : type(Type::font), font(f) {}
  constexpr SettingValue(Picture p) : type(Type::picture), picture(p) {}
};

// One setting: the field of a property (its row in form/properties.cpp) and its value.
struct Setting {
  std::string_view field;
  SettingValue value;
};

// What differs from the kind's defaults, and what every record of the kind carries.
class Settings {
 public:
  constexpr Settings() = default;
  constexpr Settings(std::initializer_list<Setting> list) {
    for (const Setting& s : list) {
      if (count_ == items_.size()) more_settings_than_room();
      items_[count_++] = s;
    }
  }
  constexpr const Setting* begin() const { return items_.data(); }
  constexpr const Setting* end() const { return items_.data() + count_; }

 private:
  static void more_settings_than_room() {}  // not constexpr: a list too long does not compile
  std::array<Setting, 12> items_{};
  std::size_t count_ = 0;
};

struct Form1Entry {
  std::string_view name;  // "Form" for the form's own entry
  formats::ControlKind kind;
  std::uint16_t number;   // control_entry::form_number for the form itself
  std::optional<Binding> bound = std::nullopt;
  Settings settings = {};
};

// The form itself.
struct FormDeclaration {
  std::string_view name;
  std::string_view id;         // the form's identifier
  std::string_view object_id;  // the form object's identifier
  std::array<std::uint8_t, 5> record_bytes;
  Settings settings;
};

using formats::system_color;
using enum formats::ControlKind;

inline constexpr FormDeclaration kForm1Form{
    .name = "Form1",
    .id = "{9CAA7CE9-B2A8-4D9F-9289-1D44A051B2E5}",
    .object_id = "{773ABDB0-3B1B-4EBB-8028-71B8E10809A3}",
    .record_bytes = {0x51, 0x00, 0x00, 0x00, 0x00},
    .settings = {{"caption", "What Do Enzymes Do?"}, {"back_color", system_color(7)}, {"flags", 0x00420001},
                 {"setting_23", 0xFFFFFFFF}, {"link_topic", "Form1"}, {"client_area", Twips{60, 450, 9945, 7650}},
                 {"startup_position", 3}},  // 3: the window system's default place
};

inline constexpr std::int64_t kPictureBoxFlags = 0x00420001;

// In the control list's order; each entry's event sink lies at 0x34 plus 4 per place.
inline constexpr std::array<Form1Entry, 7> kForm1{{
    {.name = "Picture1", .kind = picture_box, .number = 5,
     .bound = Binding{formats::Event::drag_drop, Handler::enzyme_drag_drop},
     .settings = {{"picture", Picture::enzyme}, {"bounds", Twips{3000, 4080, 4095, 3495}}, {"tab_index", 1},
                  {"flags", kPictureBoxFlags}}},
    {.name = "Form", .kind = form, .number = formats::layout::control_entry::form_number},
    {.name = "Picture2", .kind = picture_box, .number = 4,
     .settings = {{"back_color", system_color(20)}, {"picture", Picture::substrate},
                  {"bounds", Twips{2880, 960, 3135, 3015}}, {"tab_index", 2}, {"flags", kPictureBoxFlags},
                  {"drag_mode", 1}, {"setting_2a", 1}, {"tag", u"substrate"}}},
    {.name = "Picture3", .kind = picture_box, .number = 3,
     .settings = {{"picture", Picture::product}, {"bounds", Twips{2640, 720, 3615, 3255}}, {"visible", 0},
                  {"tab_index", 3}, {"flags", kPictureBoxFlags}}},
    {.name = "Picture4", .kind = picture_box, .number = 2,
     .bound = Binding{formats::Event::click, Handler::complex_click},
     .settings = {{"picture", Picture::complex}, {"bounds", Twips{3240, 4080, 3855, 3495}}, {"visible", 0},
                  {"tab_index", 4}, {"flags", kPictureBoxFlags}}},
    {.name = "Command1", .kind = command_button, .number = 1,
     .bound = Binding{formats::Event::click, Handler::reset_click},
     .settings = {{"caption", "Reset"}, {"bounds", Twips{7680, 1080, 1215, 495}}, {"tab_index", 5},
                  {"font", FontChoice{142500, "Comic Sans MS"}}}},
    {.name = "Label1", .kind = label, .number = 6,
     .settings = {{"caption", "What Do Enzymes Do?"}, {"back_color", system_color(18)},
                  {"fore_color", system_color(14)}, {"bounds", Twips{2880, 0, 4215, 495}}, {"tab_index", 0},
                  {"font", FontChoice{157500, "Comic Sans MS"}}}},
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

// The number of the picture box that shows `picture`, 0 when none does.
constexpr int number_showing(Picture picture) {
  for (const Form1Entry& c : kForm1)
    for (const Setting& s : c.settings)
      if (c.kind == picture_box && s.field == "picture" && s.value.picture == picture) return c.number;
  return 0;
}

// The handlers' view of the form: which picture box plays which part.
inline constexpr logic::EnzymeBoxes kEnzymeBoxes{
    .enzyme = number_showing(Picture::enzyme),
    .substrate = number_showing(Picture::substrate),
    .product = number_showing(Picture::product),
    .complex = number_showing(Picture::complex),
};
static_assert(kEnzymeBoxes.enzyme != 0 && kEnzymeBoxes.substrate != 0 && kEnzymeBoxes.product != 0 &&
                  kEnzymeBoxes.complex != 0,
              "each of the four pictures is shown by a picture box");

}  // namespace morvane::app
