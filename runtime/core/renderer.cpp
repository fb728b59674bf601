#include "runtime/core/renderer.h"

#include <algorithm>
#include <cstring>

namespace morvane::runtime {

void fill_rect(Framebuffer& fb, PixelRect r, PixelRect clip, std::uint32_t rgb) {
  r = r.intersect(clip).intersect(fb.bounds());
  for (int y = r.y; y < r.bottom(); ++y) std::fill_n(fb.row(y) + r.x, r.w, rgb);
}

void invert_frame(Framebuffer& fb, PixelRect r, int width, PixelRect clip) {
  const PixelRect edges[4] = {{r.x, r.y, r.w, width},
                              {r.x, r.bottom() - width, r.w, width},
                              {r.x, r.y + width, width, r.h - 2 * width},
                              {r.right() - width, r.y + width, width, r.h - 2 * width}};
  for (const PixelRect& e : edges) {
    const PixelRect c = e.intersect(clip).intersect(fb.bounds());
    for (int y = c.y; y < c.bottom(); ++y) {
      std::uint32_t* p = fb.row(y) + c.x;
      for (int x = 0; x < c.w; ++x) p[x] ^= 0xFFFFFF;
    }
  }
}

void Renderer::paint(const Window& window, Framebuffer& fb, PixelRect area) const {
  const PixelRect clip = area.intersect(fb.bounds()).intersect({0, 0, window.client_width(), window.client_height()});
  if (clip.empty()) return;
  const FormObject& form = window.form();
  fill_rect(fb, clip, clip, colors_.resolve(form.back_color()));
  // The first control of the description lies on top: paint from the last.
  const auto controls = form.controls();
  for (auto it = controls.rbegin(); it != controls.rend(); ++it)
    if ((*it)->visible()) paint_control(window, **it, fb, clip);
  if (const auto outline = window.drag_outline()) invert_frame(fb, *outline, Window::kOutlineWidth, clip);
}

std::vector<PixelRect> Renderer::paint_dirty(Window& window, Framebuffer& fb) const {
  auto dirty = window.take_dirty();
  for (const PixelRect& r : dirty) paint(window, fb, r);
  return dirty;
}

void Renderer::paint_control(const Window& window, const Control& c, Framebuffer& fb, PixelRect clip) const {
  const PixelRect inside = clip.intersect(c.pixel_rect());
  if (inside.empty()) return;
  switch (c.kind()) {
    case ControlKind::picture_box: paint_picture_box(c, fb, inside); break;
    case ControlKind::label: paint_label(c, fb, inside); break;
    case ControlKind::command_button:
      paint_button(c, window.pressed() == &c, window.focus() == &c, fb, inside);
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
  fill_rect(fb, {r.x, r.y, r.w, 1}, clip, shadow);
  fill_rect(fb, {r.x, r.y, 1, r.h}, clip, shadow);
  fill_rect(fb, {r.x, r.bottom() - 1, r.w, 1}, clip, highlight);
  fill_rect(fb, {r.right() - 1, r.y, 1, r.h}, clip, highlight);
  fill_rect(fb, {r.x + 1, r.y + 1, r.w - 2, 1}, clip, dark);
  fill_rect(fb, {r.x + 1, r.y + 1, 1, r.h - 2}, clip, dark);
  fill_rect(fb, {r.x + 1, r.bottom() - 2, r.w - 2, 1}, clip, light);
  fill_rect(fb, {r.right() - 2, r.y + 1, 1, r.h - 2}, clip, light);

  const int b = PictureBox::kBorder;
  const PixelRect client{r.x + b, r.y + b, r.w - 2 * b, r.h - 2 * b};
  const PixelRect inner = client.intersect(clip);
  if (inner.empty()) return;
  fill_rect(fb, inner, inner, colors_.resolve(c.back_color()));
  if (const auto& pic = c.picture()) {
    // Unscaled at the client area's top-left, clipped at its edges.
    const PixelRect shown = inner.intersect({client.x, client.y, pic->width, pic->height}).intersect(fb.bounds());
    for (int y = shown.y; y < shown.bottom(); ++y) {
      const std::uint32_t* src = pic->pixels.data() + static_cast<std::size_t>(y - client.y) * static_cast<std::size_t>(pic->width) +
                                 (shown.x - client.x);
      std::memcpy(fb.row(y) + shown.x, src, static_cast<std::size_t>(shown.w) * sizeof(std::uint32_t));
    }
  }
}

void Renderer::paint_label(const Control& c, Framebuffer& fb, PixelRect clip) const {
  fill_rect(fb, c.pixel_rect(), clip, colors_.resolve(c.back_color()));
}

void Renderer::paint_button(const Control& c, bool pressed, bool focused, Framebuffer& fb, PixelRect clip) const {
  const PixelRect r = c.pixel_rect();
  const std::uint32_t face = colors_.rgb(syscolor::button_face);
  const std::uint32_t shadow = colors_.rgb(syscolor::button_shadow);
  const std::uint32_t dark = colors_.rgb(syscolor::dark_shadow);
  const std::uint32_t highlight = colors_.rgb(syscolor::button_highlight);
  const std::uint32_t light = colors_.rgb(syscolor::light);
  fill_rect(fb, r, clip, face);
  if (pressed) {
    fill_rect(fb, {r.x, r.y, r.w, 1}, clip, dark);
    fill_rect(fb, {r.x, r.y, 1, r.h}, clip, dark);
    fill_rect(fb, {r.x, r.bottom() - 1, r.w, 1}, clip, dark);
    fill_rect(fb, {r.right() - 1, r.y, 1, r.h}, clip, dark);
    fill_rect(fb, {r.x + 1, r.y + 1, r.w - 2, 1}, clip, shadow);
    fill_rect(fb, {r.x + 1, r.y + 1, 1, r.h - 2}, clip, shadow);
  } else {
    fill_rect(fb, {r.x, r.y, r.w, 1}, clip, highlight);
    fill_rect(fb, {r.x, r.y, 1, r.h}, clip, highlight);
    fill_rect(fb, {r.x, r.bottom() - 1, r.w, 1}, clip, dark);
    fill_rect(fb, {r.right() - 1, r.y, 1, r.h}, clip, dark);
    fill_rect(fb, {r.x + 1, r.y + 1, r.w - 2, 1}, clip, light);
    fill_rect(fb, {r.x + 1, r.y + 1, 1, r.h - 2}, clip, light);
    fill_rect(fb, {r.x + 1, r.bottom() - 2, r.w - 2, 1}, clip, shadow);
    fill_rect(fb, {r.right() - 2, r.y + 1, 1, r.h - 2}, clip, shadow);
  }
  (void)focused;
}

}  // namespace morvane::runtime
