// Micro-benchmarks, each beside the physical anchor it is judged against:
//   stream read and decode      vs memcpy of the stream              (target: at most 3x)
//   full repaint                vs memcpy of the framebuffer         (target: at most 3x)
//   one drag frame              vs a full repaint                    (target: at most 1/5)
//   drop, click, reset (input to finished pixels), in absolute time  (target: under 1 ms)
// and, without a target, the parts of the work that the ratios are made of and the
// parts of start-up that happen before the first frame. Run with repetitions and random
// interleaving (bench/run.sh does) and bench/ratios.py prints each ratio against its
// target from the JSON output.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/project.h"
#include "app/project_image_builder.h"
#include "form/form_stream_reader.h"
#include "runtime/backends/headless/headless_platform.h"
#include "runtime/core/paint/renderer.h"
#include "runtime/bitmap/bitmap.h"
#include "runtime/bitmap/pixel_rows.h"
#include "runtime/text/freetype_text.h"

namespace {

using namespace morvane;

const form::PictureBytes* picture_of(const form::ControlRecord& c) {
  return std::get_if<form::PictureBytes>(c.properties.find("picture"));
}

std::span<const std::uint8_t> embedded_stream() {
  static const auto image = app::embedded_image();
  static const auto project = runtime::read_project(image, app::kDescriptorAddress);
  return runtime::form_stream(image, project);
}

// ---- the stream ----

void BM_StreamMemcpy(benchmark::State& state) {
  const auto stream = embedded_stream();
  std::vector<std::uint8_t> dst(stream.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), stream.data(), stream.size());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_StreamMemcpy);

// What the runtime does with the stream when it loads the form: reading it into the
// model and making the four pictures ready to draw. The painter reads the pictures' rows
// in place from the stream, so "decoding" is checking each bitmap file and viewing it.
void BM_StreamReadAndDecode(benchmark::State& state) {
  const auto stream = embedded_stream();
  for (auto _ : state) {
    const form::WindowModel model = form::read_form_stream(stream);
    int rows = 0;
    for (const auto& c : model.controls)
      if (const auto* p = picture_of(c)) rows += runtime::Picture(runtime::view_bmp(p->bytes())).height();
    benchmark::DoNotOptimize(rows);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_StreamReadAndDecode);

// The same with the pictures decoded into pixels in memory (as the runtime did before
// it read them in place, and as decode_bmp still does).
void BM_StreamReadAndDecodeToPixels(benchmark::State& state) {
  const auto stream = embedded_stream();
  for (auto _ : state) {
    const form::WindowModel model = form::read_form_stream(stream);
    std::size_t pixels = 0;
    for (const auto& c : model.controls)
      if (const auto* p = picture_of(c)) pixels += runtime::decode_bmp(p->bytes()).pixels.size();
    benchmark::DoNotOptimize(pixels);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_StreamReadAndDecodeToPixels);

// Parts of it: the reading alone, and the decoding alone.
void BM_StreamRead(benchmark::State& state) {
  const auto stream = embedded_stream();
  for (auto _ : state) {
    const form::WindowModel model = form::read_form_stream(stream);
    benchmark::DoNotOptimize(model.controls.data());
  }
}
BENCHMARK(BM_StreamRead);

void BM_PicturesDecode(benchmark::State& state) {
  const form::WindowModel model = form::read_form_stream(embedded_stream());
  for (auto _ : state) {
    for (const auto& c : model.controls) {
      const auto* p = picture_of(c);
      if (!p) continue;
      const runtime::Image image = runtime::decode_bmp(p->bytes());
      benchmark::DoNotOptimize(image.pixels.data());
    }
  }
}
BENCHMARK(BM_PicturesDecode);

// The row unpacking alone, with each unpacker the processor runs (the decoder uses the
// last one listed), over the four pictures' rows.
void BM_PictureRowsUnpack(benchmark::State& state) {
  const auto unpackers = runtime::available_bgr_row_unpackers();
  const auto& chosen = unpackers.at(static_cast<std::size_t>(state.range(0)));
  state.SetLabel(std::string(chosen.name));
  const form::WindowModel model = form::read_form_stream(embedded_stream());
  std::vector<std::span<const std::uint8_t>> files;
  for (const auto& c : model.controls)
    if (const auto* p = picture_of(c)) files.push_back(p->bytes());
  // The pictures are 203 x 203 24-bit bitmaps: rows of 612 bytes after a 54-byte header.
  constexpr std::size_t width = 203, stride = 612, header = 54;
  std::vector<std::uint32_t> out(files.size() * width * width);
  for (auto _ : state) {
    std::uint32_t* o = out.data();
    for (const auto file : files)
      for (std::size_t y = 0; y < width; ++y, o += width) chosen.unpack(file.data() + header + y * stride, width, o);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PictureRowsUnpack)->DenseRange(0, static_cast<int>(runtime::available_bgr_row_unpackers().size()) - 1);

// ---- painting ----

struct Running {
  runtime::text::FreeTypeTextRasterizer text;
  std::unique_ptr<runtime::Runtime> rt;
  std::unique_ptr<runtime::HeadlessPlatform> platform;
  Running() {
    rt = std::make_unique<runtime::Runtime>(app::enzyme_project());
    platform = std::make_unique<runtime::HeadlessPlatform>(&text);
    platform->attach(*rt);
  }
  runtime::FormWindow& window() { return rt->window(); }
};

void BM_FramebufferMemcpy(benchmark::State& state) {
  std::vector<std::uint32_t> src(663 * 510, 0x123456), dst(663 * 510);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size() * sizeof(std::uint32_t));
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(src.size() * 4));
}
BENCHMARK(BM_FramebufferMemcpy);

void BM_FullRepaint(benchmark::State& state) {
  Running r;
  runtime::SystemColors colors;
  runtime::Renderer renderer(colors, &r.text);
  runtime::Framebuffer fb(663, 510);
  renderer.paint(r.window(), fb, fb.bounds());  // glyphs drawn once and kept
  for (auto _ : state) {
    renderer.paint(r.window(), fb, fb.bounds());
    benchmark::DoNotOptimize(fb.pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 663 * 510 * 4);
}
BENCHMARK(BM_FullRepaint);

// One frame of a drag: the pointer moves a few pixels, the outline is repainted.
void BM_DragFrame(benchmark::State& state) {
  Running r;
  r.platform->feed({runtime::InputEvent::Type::pointer_down, 290, 150, 1});
  int step = 0;
  for (auto _ : state) {
    const int dx = (step++ & 1) ? 3 : -3;
    r.platform->feed({runtime::InputEvent::Type::pointer_move, 300 + dx, 160 + dx});
    benchmark::DoNotOptimize(r.platform->framebuffer().pixels.data());
  }
}
BENCHMARK(BM_DragFrame);

// A frame of a drag as the desktop shows it: the pointer's moves of one display refresh
// (a 200 Hz mouse, a 60 Hz display: three or four moves along the whole-process
// benchmark's loop) and then one paint of everything they changed.
void BM_DragFrameAtRefresh(benchmark::State& state) {
  runtime::text::FreeTypeTextRasterizer text;
  runtime::Runtime rt(app::enzyme_project());
  runtime::SystemColors colors;
  runtime::Renderer renderer(colors, &text);
  runtime::Framebuffer fb(rt.window().client_width(), rt.window().client_height());
  rt.window().invalidate_all();
  renderer.paint_dirty(rt.window(), fb);
  rt.window().pointer_down(290, 150, 1, 0);
  int step = 0;
  double area = 0;
  std::int64_t frames = 0;
  for (auto _ : state) {
    for (int i = 0; i < (frames % 3 == 2 ? 4 : 3); ++i, ++step) {
      const double phase = (step % 400) / 400.0;
      const int dx = static_cast<int>(160 * (1 - std::abs(1 - 2 * phase)));
      const int dy = static_cast<int>(230 * (1 - std::abs(1 - 2 * std::fmod(phase * 2, 1.0))));
      rt.window().pointer_move(290 + dx, 150 + dy);
    }
    for (const auto& r : renderer.paint_dirty(rt.window(), fb)) area += static_cast<double>(r.w) * r.h;
    ++frames;
    benchmark::DoNotOptimize(fb.pixels.data());
  }
  state.counters["pixels"] = benchmark::Counter(area / static_cast<double>(std::max<std::int64_t>(1, frames)));
}
BENCHMARK(BM_DragFrameAtRefresh);

// From the pointer's release (or the click) to the framebuffer holding the result:
// routing, the handler and the repaint of what changed. Only that part is timed.
template <class Prepare, class Act>
void timed_action(benchmark::State& state, Prepare prepare, Act act) {
  Running r;
  for (auto _ : state) {
    prepare(r);
    const auto t0 = std::chrono::steady_clock::now();
    act(r);
    const auto t1 = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
  }
}

void press_and_drag(Running& r) {
  r.platform->feed({runtime::InputEvent::Type::pointer_down, 290, 150, 1});
  r.platform->feed({runtime::InputEvent::Type::pointer_move, 330, 380});
}

void BM_Drop(benchmark::State& state) {
  timed_action(
      state,
      [](Running& r) {
        r.platform->click(552, 88);  // Reset
        press_and_drag(r);
      },
      [](Running& r) { r.platform->feed({runtime::InputEvent::Type::pointer_up, 330, 380, 1}); });
}
BENCHMARK(BM_Drop)->UseManualTime();

void BM_ClickComplex(benchmark::State& state) {
  timed_action(
      state,
      [](Running& r) {
        r.platform->click(552, 88);
        press_and_drag(r);
        r.platform->feed({runtime::InputEvent::Type::pointer_up, 330, 380, 1});
      },
      [](Running& r) { r.platform->click(340, 380); });
}
BENCHMARK(BM_ClickComplex)->UseManualTime();

void BM_ClickReset(benchmark::State& state) {
  timed_action(
      state,
      [](Running& r) {
        press_and_drag(r);
        r.platform->feed({runtime::InputEvent::Type::pointer_up, 330, 380, 1});
        r.platform->click(340, 380);
      },
      [](Running& r) { r.platform->click(552, 88); });
}
BENCHMARK(BM_ClickReset)->UseManualTime();

// ---- start-up, before the first frame (no target of their own) ----

// The runtime's start: the project read from the image, the stream read, the pictures
// decoded, the form and its controls created.
void BM_RuntimeStart(benchmark::State& state) {
  for (auto _ : state) {
    runtime::Runtime rt(app::enzyme_project());
    benchmark::DoNotOptimize(&rt);
  }
}
BENCHMARK(BM_RuntimeStart);

// The first full paint with text that has not been used yet: the installed fonts'
// configuration loaded, the faces found and opened, the captions' glyphs drawn.
void BM_FirstPaintColdText(benchmark::State& state) {
  runtime::Runtime rt(app::enzyme_project());
  runtime::SystemColors colors;
  runtime::Framebuffer fb(663, 510);
  for (auto _ : state) {
    runtime::text::FreeTypeTextRasterizer text;
    runtime::Renderer renderer(colors, &text);
    renderer.paint(rt.window(), fb, fb.bounds());
    benchmark::DoNotOptimize(fb.pixels.data());
  }
}
BENCHMARK(BM_FirstPaintColdText)->Unit(benchmark::kMillisecond);

// The same first paint in a later run, with the font lookups of an earlier run in the
// font cache file: the file read and checked, the faces opened, the glyphs drawn.
void BM_FirstPaintCachedFonts(benchmark::State& state) {
  runtime::Runtime rt(app::enzyme_project());
  runtime::SystemColors colors;
  runtime::Framebuffer fb(663, 510);
  const auto folder = std::filesystem::temp_directory_path() / ("morvane-bench-fonts-" + std::to_string(::getpid()));
  const auto cache = folder / "fonts";
  {
    runtime::text::FreeTypeTextRasterizer text(cache);
    runtime::Renderer(colors, &text).paint(rt.window(), fb, fb.bounds());
  }
  bool used_fontconfig = false;
  for (auto _ : state) {
    runtime::text::FreeTypeTextRasterizer text(cache);
    runtime::Renderer renderer(colors, &text);
    renderer.paint(rt.window(), fb, fb.bounds());
    used_fontconfig |= text.fontconfig_loaded();
    benchmark::DoNotOptimize(fb.pixels.data());
  }
  std::filesystem::remove_all(folder);
  if (used_fontconfig) state.SkipWithError("the font cache was not used");
}
BENCHMARK(BM_FirstPaintCachedFonts)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
