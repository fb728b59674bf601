// Micro-benchmarks, each beside the physical anchor it is judged against:
//   stream read and decode      vs memcpy of the stream
//   full repaint                vs memcpy of the framebuffer
//   one drag frame              vs a full repaint
//   drop, click, reset (input to finished pixels), in absolute time
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "app/program.h"
#include "app/project_image_builder.h"
#include "form/form_stream_reader.h"
#include "runtime/backends/headless/headless_platform.h"
#include "runtime/core/renderer.h"
#include "runtime/image/bitmap.h"
#include "runtime/text/freetype_text.h"

namespace {

using namespace morvane;

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

// Reading the stream into the model and decoding its four pictures into the pixels
// the painter draws.
void BM_StreamReadAndDecode(benchmark::State& state) {
  const auto stream = embedded_stream();
  for (auto _ : state) {
    const form::WindowModel model = form::read_form_stream(stream);
    std::size_t pixels = 0;
    for (const auto& c : model.controls)
      if (c.picture) pixels += runtime::decode_bmp(*c.picture).pixels.size();
    benchmark::DoNotOptimize(pixels);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_StreamReadAndDecode);

// ---- painting ----

struct Running {
  runtime::text::FreeTypeTextRasterizer text;
  std::unique_ptr<runtime::Runtime> rt;
  std::unique_ptr<runtime::HeadlessPlatform> platform;
  Running() {
    rt = std::make_unique<runtime::Runtime>(app::enzyme_program());
    platform = std::make_unique<runtime::HeadlessPlatform>(&text);
    platform->attach(*rt);
  }
  runtime::Window& window() { return rt->window(); }
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

}  // namespace

BENCHMARK_MAIN();
