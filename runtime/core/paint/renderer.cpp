#include "runtime/core/paint/renderer.h"

#include <algorithm>
#include <optional>

#include "runtime/core/paint/text_layout.h"

namespace morvane::runtime {

void fill_rect(Framebuffer& fb, PixelRect r, PixelRect clip, std::uint32_t rgb) {
  r = r.intersect(clip).intersect(fb.bounds());
  for (int y = r.y; y < r.bottom(); ++y) std::fill_n(fb.row(y) + r.x, r.w, rgb);
}

// One ring of a three-dimensional edge, `inset` pixels inside `r`: its top and left in
// one colour, then (when given) its bottom and right in another, drawn last so that they
// own the two corners the sides share. `trim` shortens the top and left at their far ends.
void edge_ring(Framebuffer& fb, PixelRect r, int inset, PixelRect clip, std::uint32_t top_left,
               std::optional<std::uint32_t> bottom_right, int trim) {
  const int x = r.x + inset, y = r.y + inset, w = r.w - 2 * inset, h = r.h - 2 * inset;
  fill_rect(fb, {x, y, w - trim, 1}, clip, top_left);
  fill_rect(fb, {x, y, 1, h - trim}, clip, top_left);
  if (!bottom_right) return;
  fill_rect(fb, {x, y + h - 1, w, 1}, clip, *bottom_right);
  fill_rect(fb, {x + w - 1, y, 1, h}, clip, *bottom_right);
}

void invert_frame(Framebuffer& fb, PixelRect r, int width, PixelRect clip) {
  for (const PixelRect& e : frame_edges(r, width)) {
    const PixelRect c = e.intersect(clip).intersect(fb.bounds());
    for (int y = c.y; y < c.bottom(); ++y) {
      std::uint32_t* p = fb.row(y) + c.x;
      for (int x = 0; x < c.w; ++x) p[x] ^= 0xFFFFFF;
    }
  }
}

void solid_frame(Framebuffer& fb, PixelRect r, int width, std::uint32_t rgb, PixelRect clip) {
  for (const PixelRect& e : frame_edges(r, width)) fill_rect(fb, e, clip, rgb);
}

void dotted_frame(Framebuffer& fb, PixelRect r, std::uint32_t rgb, PixelRect clip) {
  if (r.empty()) return;
  const PixelRect c = clip.intersect(fb.bounds());
  auto dot = [&](int x, int y) {
    if (((x - r.x) + (y - r.y)) % 2 == 0 && c.contains(x, y)) fb.row(y)[x] = rgb;
  };
  for (int x = r.x; x < r.right(); ++x) {
    dot(x, r.y);
    dot(x, r.bottom() - 1);
  }
  for (int y = r.y + 1; y < r.bottom() - 1; ++y) {
    dot(r.x, y);
    dot(r.right() - 1, y);
  }
}

void blend_mask(Framebuffer& fb, const TextMask& mask, int x, int y, std::uint32_t rgb, PixelRect clip) {
  const PixelRect placed{x + mask.left, y, mask.width, mask.height};
  const PixelRect c = placed.intersect(clip).intersect(fb.bounds());
  const std::uint32_t fr = (rgb >> 16) & 0xFF, fg = (rgb >> 8) & 0xFF, fbl = rgb & 0xFF;
  for (int py = c.y; py < c.bottom(); ++py) {
    std::uint32_t* dst = fb.row(py);
    for (int px = c.x; px < c.right(); ++px) {
      const std::uint32_t a = mask.at(px - placed.x, py - placed.y);
      if (a == 0) continue;
      if (a == 255) {
        dst[px] = rgb & 0xFFFFFF;
        continue;
      }
      const std::uint32_t bg = dst[px];
      auto mix = [a](std::uint32_t f, std::uint32_t b) { return (f * a + b * (255 - a) + 127) / 255; };
      dst[px] = (mix(fr, (bg >> 16) & 0xFF) << 16) | (mix(fg, (bg >> 8) & 0xFF) << 8) | mix(fbl, bg & 0xFF);
    }
  }
}

void Renderer::paint(const FormWindow& window, Framebuffer& fb, PixelRect area) const {
  const PixelRect clip = area.intersect(fb.bounds()).intersect({0, 0, window.client_width(), window.client_height()});
  if (clip.empty()) return;
  const FormObject& form = window.form();
  const std::uint32_t back = colors_.resolve(form.back_color());
  fill_rect(fb, clip, clip, back);
  // The first control of the description lies on top: paint from the last.
  const auto controls = form.controls();
  for (auto it = controls.rbegin(); it != controls.rend(); ++it)
    if ((*it)->visible()) paint_control(window, **it, fb, clip);
  if (const auto ring = window.focus_ring()) {
    // On the form's background around the box, never on its picture: white on a dark
    // background, black on a light one.
    const std::uint32_t r = (back >> 16) & 0xFF, g = (back >> 8) & 0xFF, b = back & 0xFF;
    const bool dark = 299 * r + 587 * g + 114 * b < 128000;
    solid_frame(fb, *ring, FormWindow::kFocusRingWidth, dark ? 0xFFFFFFu : 0x000000u, clip);
  }
  if (const auto outline = window.drag_outline()) invert_frame(fb, *outline, FormWindow::kOutlineWidth, clip);
}

std::vector<PixelRect> Renderer::paint_dirty(FormWindow& window, Framebuffer& fb) const {
  auto dirty = window.take_dirty();
  for (const PixelRect& r : dirty) paint(window, fb, r);
  return dirty;
}

void Renderer::paint_control(const FormWindow& window, const Control& c, Framebuffer& fb, PixelRect clip) const {
  const PixelRect inside = clip.intersect(c.pixel_rect());
  if (inside.empty()) return;
  switch (c.kind()) {
    case ControlKind::picture_box: paint_picture_box(c, fb, inside); break;
    case ControlKind::label: paint_label(c, fb, inside); break;
    case ControlKind::command_button:
      paint_button(c, window.looks_pressed(c), window.focus() == &c, fb, inside);
      break;
    case ControlKind::form: break;
  }
}

void Renderer::paint_picture_box(const Control& c, Framebuffer& fb, PixelRect clip) const {
  const PixelRect r = c.pixel_rect();
  // Sunken single border: shadow and dark shadow on the top and left, highlight and
  // light on the bottom and right.
  const std::uint32_t shadow = colors_.rgb(syscolor::button_shadow);
  const std::uint32_t dark = colors_.rgb(syscolor::dark_shadow);
  const std::uint32_t highlight = colors_.rgb(syscolor::button_highlight);
  const std::uint32_t light = colors_.rgb(syscolor::light);
  edge_ring(fb, r, 0, clip, shadow, highlight, 0);
  edge_ring(fb, r, 1, clip, dark, light, 0);

  const PixelRect client = c.client_pixel_rect();
  const PixelRect inner = client.intersect(clip);
  if (inner.empty()) return;
  fill_rect(fb, inner, inner, colors_.resolve(c.back_color()));
  if (const auto& pic = c.picture()) {
    // Unscaled at the client area's top-left, clipped at its edges.
    const PixelRect shown = inner.intersect({client.x, client.y, pic->width(), pic->height()}).intersect(fb.bounds());
    for (int y = shown.y; y < shown.bottom(); ++y) pic->read_row(y - client.y, shown.x - client.x, shown.w, fb.row(y) + shown.x);
  }
}

void Renderer::draw_text(Framebuffer& fb, std::string_view text, const FontSpec& font, int x, int y,
                         std::uint32_t rgb, PixelRect clip) const {
  if (!text_ || text.empty()) return;
  blend_mask(fb, text_->render(text, font), x, y, rgb, clip);
}

void Renderer::paint_label(const Control& c, Framebuffer& fb, PixelRect clip) const {
  const PixelRect r = c.pixel_rect();
  fill_rect(fb, r, clip, colors_.resolve(c.back_color()));
  if (!text_ || c.caption().empty()) return;
  // Left-aligned from the top-left, broken at word boundaries, clipped to the label.
  const FontSpec& font = c.font();
  const int line_height = text_->metrics(font).line_height();
  const auto lines = break_lines(c.caption(), r.w, [&](std::string_view run) { return text_->measure(run, font); });
  const PixelRect text_clip = clip.intersect(r);
  const std::uint32_t fore = colors_.resolve(c.fore_color());
  int y = r.y;
  for (std::string_view line : lines) {
    if (y >= text_clip.bottom()) break;
    if (y + line_height > text_clip.y) draw_text(fb, line, font, r.x, y, fore, text_clip);
    y += line_height;
  }
}

void Renderer::paint_button(const Control& c, bool pressed, bool focused, Framebuffer& fb, PixelRect clip) const {
  const PixelRect r = c.pixel_rect();
  const std::uint32_t face = colors_.rgb(syscolor::button_face);
  const std::uint32_t shadow = colors_.rgb(syscolor::button_shadow);
  const std::uint32_t dark = colors_.rgb(syscolor::dark_shadow);
  const std::uint32_t highlight = colors_.rgb(syscolor::button_highlight);
  const std::uint32_t light = colors_.rgb(syscolor::light);
  const std::uint32_t text = colors_.rgb(syscolor::button_text);
  fill_rect(fb, r, clip, face);
  if (pressed) {
    // Pushed: a dark frame with the shadow inside it at the top and left.
    edge_ring(fb, r, 0, clip, dark, dark, 0);
    edge_ring(fb, r, 1, clip, shadow, std::nullopt, 0);
  } else {
    // Raised: highlight and light at the top and left, dark shadow and shadow at the
    // bottom and right.
    edge_ring(fb, r, 0, clip, highlight, dark, 0);
    edge_ring(fb, r, 1, clip, light, shadow, 1);
  }
  const int e = kButtonEdge;
  const PixelRect inside = PixelRect{r.x + e, r.y + e, r.w - 2 * e, r.h - 2 * e}.intersect(clip);
  if (text_ && !c.caption().empty() && !inside.empty()) {
    // The caption centred on one line; the pushed button moves it one pixel right and down.
    const FontSpec& font = c.font();
    const int tw = text_->measure(c.caption(), font);
    const int th = text_->metrics(font).line_height();
    const int shift = pressed ? 1 : 0;
    draw_text(fb, c.caption(), font, r.x + (r.w - tw) / 2 + shift, r.y + (r.h - th) / 2 + shift, text, inside);
  }
  if (focused) {
    const int f = kFocusInset;
    dotted_frame(fb, {r.x + f, r.y + f, r.w - 2 * f, r.h - 2 * f}, text, clip);
  }
}

}  // namespace morvane::runtime
