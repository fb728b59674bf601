#include "runtime/backends/headless/headless_platform.h"

#ifdef MORVANE_HEADLESS_PNG
#include <png.h>
#endif

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace morvane::runtime {

HeadlessPlatform::HeadlessPlatform(TextRasterizer* text) : shell_(text) {}

void HeadlessPlatform::attach(Runtime& runtime) {
  runtime_ = &runtime;
  runtime.set_error_display([this](const std::string& m) { shown_errors_.push_back(m); });
  shell_.fit(runtime.window());
  repaint();
}

void HeadlessPlatform::repaint() {
  if (!runtime_) return;
  shell_.paint_dirty(runtime_->window());
}

void HeadlessPlatform::system_colors_changed() {
  if (!runtime_) return;
  shell_.paint_all(runtime_->window());
}

void HeadlessPlatform::feed(const InputEvent& e) {
  if (!runtime_) throw std::logic_error("headless platform used before attach()");
  FormWindow& w = runtime_->window();
  using enum InputEvent::Type;
  switch (e.type) {
    case pointer_down: w.pointer_down(e.x, e.y, e.code ? e.code : 1, e.time_ms); break;
    case pointer_move: w.pointer_move(e.x, e.y); break;
    case pointer_up: w.pointer_up(e.x, e.y, e.code ? e.code : 1); break;
    case key_down: w.key_down(e.code, e.shift); break;
    case key_up: w.key_up(e.code, e.shift); break;
    case resize:
      w.resize(e.x, e.y);
      shell_.fit(w);
      break;
    case close: w.close(); break;
    case focus_lost: w.focus_lost(); break;
  }
  if (!w.closed()) repaint();
}

void HeadlessPlatform::drag(int from_x, int from_y, int to_x, int to_y, int steps) {
  feed({InputEvent::Type::pointer_down, from_x, from_y, 1});
  for (int i = 1; i <= steps; ++i)
    feed({InputEvent::Type::pointer_move, from_x + (to_x - from_x) * i / steps, from_y + (to_y - from_y) * i / steps});
  feed({InputEvent::Type::pointer_up, to_x, to_y, 1});
}

void HeadlessPlatform::click(int x, int y) {
  feed({InputEvent::Type::pointer_down, x, y, 1});
  feed({InputEvent::Type::pointer_up, x, y, 1});
}

int HeadlessPlatform::run(Runtime& runtime) {
  attach(runtime);
  if (!runtime.finished()) runtime.window().close();
  return runtime.exit_code();
}

#ifdef MORVANE_HEADLESS_PNG
void write_png(const Framebuffer& fb, const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file) throw std::runtime_error("cannot write " + path);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("cannot create a PNG writer");
  }
  std::vector<png_byte> row(static_cast<std::size_t>(fb.width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("failed writing " + path);
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(fb.width), static_cast<png_uint_32>(fb.height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < fb.height; ++y) {
    const std::uint32_t* src = fb.row(y);
    for (int x = 0; x < fb.width; ++x) {
      row[static_cast<std::size_t>(x) * 3] = static_cast<png_byte>(src[x] >> 16);
      row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<png_byte>(src[x] >> 8);
      row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<png_byte>(src[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
}
#else
void write_png(const Framebuffer&, const std::string& path) {
  throw std::runtime_error("cannot write " + path + ": this build has no PNG support");
}
#endif

}  // namespace morvane::runtime
