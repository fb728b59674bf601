#include "assets/painter/caption_fitting.h"

#include <stdexcept>

#include "app/form1.h"
#include "app/tools/fitting_record.h"

namespace morvane::painter {

namespace {

constexpr int twips_per_pixel = 15;
constexpr int button_focus_inset = 3;
constexpr int button_caption_gap = 1;
constexpr int measuring_margin = 32;

}  // namespace

int caption_room(std::string_view control) {
  for (const app::Form1Entry& entry : app::kForm1) {
    if (entry.name != control) continue;
    for (const app::Setting& s : entry.settings) {
      if (s.field != "bounds") continue;
      const int width = s.value.twips.width / twips_per_pixel;
      if (entry.kind == formats::ControlKind::command_button)
        return width - 2 * (button_focus_inset + button_caption_gap);
      return width;
    }
  }
  throw std::logic_error("Form1 has no control " + std::string(control) + " with bounds");
}

int fit_caption(const Typesetter& face, std::string_view context, const std::string& text, const std::string& language,
                int english_pixels, int room) {
  const int smallest = app::smallest_pixels(english_pixels);
  for (int size = english_pixels; size >= smallest; --size) {
    ShapedSetting setting;
    setting.text = text;
    setting.language = language;
    setting.pixels_per_em_x = size;
    setting.pixels_per_em_y = size;
    setting.pen_x = measuring_margin;
    setting.baseline_row = 2 * size;
    Canvas scratch(room + 2 * measuring_margin, 3 * size, white);
    try {
      if (face.set(scratch, setting).ink.width() <= room) return size;
    } catch (const std::out_of_range&) {
      // ran off the measuring canvas: wider than the room
    }
  }
  throw std::runtime_error("the caption \"" + text + "\" (" + std::string(context) + ") is wider than its " +
                           std::to_string(room) + " pixels even at " + std::to_string(smallest) +
                           " pixels to the em, two thirds of the English " + std::to_string(english_pixels) +
                           ": choose a shorter caption");
}

}  // namespace morvane::painter
