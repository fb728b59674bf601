#include "runtime/core/paint/renderer.h"

#include <algorithm>

#include "formats/languages.h"
#include "runtime/core/controls/caption_text.h"
#include "runtime/core/paint/looks.h"
#include "runtime/core/paint/line_breaks.h"

namespace morvane::runtime {

void Renderer::paint(const FormWindow& window, Framebuffer& fb, PixelRect area) const {
  const Painter p(fb, area.intersect({0, 0, window.client_width(), window.client_height()}));
  if (p.empty()) return;
  const FormObject& form = window.form();
  const std::uint32_t back = colors_.resolve(form.back_color());
  p.fill(p.clip(), back);
  // The first control of the description lies on top: paint from the last.
  const auto controls = form.controls();
  for (auto it = controls.rbegin(); it != controls.rend(); ++it)
    if ((*it)->visible()) paint_control(window, **it, p.within((*it)->pixel_rect()));
  // On the form's background around the box, never on its picture.
  if (const auto ring = window.focus_ring()) focus_ring(p, *ring, FormWindow::kFocusRingWidth, back);
  if (const auto outline = window.drag_outline()) p.invert_frame(*outline, FormWindow::kOutlineWidth);
}

std::vector<PixelRect> Renderer::paint_dirty(FormWindow& window, Framebuffer& fb) const {
  auto dirty = window.take_dirty();
  for (const PixelRect& r : dirty) paint(window, fb, r);
  return dirty;
}

void Renderer::paint_control(const FormWindow& window, const Control& c, const Painter& p) const {
  if (p.empty()) return;
  switch (c.kind()) {
    case ControlKind::picture_box: paint_picture_box(c, p); break;
    case ControlKind::label: paint_label(c, p); break;
    case ControlKind::command_button: paint_button(c, window.looks_pressed(c), window.focus() == &c, p); break;
    case ControlKind::form: break;
  }
}

void Renderer::paint_picture_box(const Control& c, const Painter& p) const {
  sunken_border(p, c.pixel_rect(), colors_);
  const PixelRect client = c.client_pixel_rect();
  const Painter inner = p.within(client);
  if (inner.empty()) return;
  inner.fill(client, colors_.resolve(c.back_color()));
  // Unscaled at the client area's top-left, clipped at its edges.
  if (const auto& pic = c.picture()) inner.picture(*pic, client.x, client.y);
}

void Renderer::paint_label(const Control& c, const Painter& p) const {
  const PixelRect r = c.pixel_rect();
  p.fill(r, colors_.resolve(c.back_color()));
  if (!text_ || c.caption().empty()) return;
  // From the top, broken at word boundaries, clipped to the label; each line starts at
  // the left edge, or at the right one in a script written from the right.
  const FontSpec& font = c.font();
  const std::string caption = caption_text(c);
  const int line_height = text_->metrics(font).line_height();
  const auto measure = [&](std::string_view run) { return text_->measure(run, font); };
  const auto lines = break_lines(caption, r.w, measure);
  const formats::Language* language = formats::language_of_charset(font.charset);
  const bool from_right = language && language->right_to_left;
  const std::uint32_t fore = colors_.resolve(c.fore_color());
  int y = r.y;
  for (std::string_view line : lines) {
    if (y >= p.clip().bottom()) break;
    // A face standing in for a script the font's face lacks may be the taller: the line
    // is as high as the face that draws it, also where only a strip of it is repainted.
    const TextMask mask = text_->render(line, font);
    if (y + mask.height > p.clip().y) p.blend_mask(mask, from_right ? r.right() - measure(line) : r.x, y, fore);
    y += std::max(line_height, mask.height);
  }
}

void Renderer::paint_button(const Control& c, bool pressed, bool focused, const Painter& p) const {
  const PixelRect r = c.pixel_rect();
  const std::uint32_t text = colors_.rgb(syscolor::button_text);
  p.fill(r, colors_.rgb(syscolor::button_face));
  button_edge(p, r, pressed, colors_);
  const int e = kButtonEdge;
  const Painter inside = p.within({r.x + e, r.y + e, r.w - 2 * e, r.h - 2 * e});
  if (text_ && !c.caption().empty() && !inside.empty()) {
    // The caption centred on one line; the pushed button moves it one pixel right and down.
    // The line's height is the mask's: a face standing in for a script has its own.
    const FontSpec& font = c.font();
    const std::string caption = caption_text(c);
    const int tw = text_->measure(caption, font);
    const TextMask mask = text_->render(caption, font);
    const int shift = pressed ? 1 : 0;
    inside.blend_mask(mask, r.x + (r.w - tw) / 2 + shift, r.y + (r.h - mask.height) / 2 + shift, text);
  }
  if (focused) {
    const int f = kFocusInset;
    p.dotted_frame({r.x + f, r.y + f, r.w - 2 * f, r.h - 2 * f}, text);
  }
}

}  // namespace morvane::runtime
