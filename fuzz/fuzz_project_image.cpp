// Project image reader and start-up: any bytes, taken as the image with the project
// descriptor at its first byte, are either refused with a clear error (ImageError,
// RuntimeError, FormStreamError, BitmapError) or give a program that starts and runs.
// Every filled event slot of every control entry is decoded, and the form description
// stream that the form table names is read.
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/project.h"
#include "app/project_image_builder.h"
#include "form/form_stream_reader.h"
#include "runtime/backends/headless/headless_platform.h"
#include "runtime/core/project/project_image.h"
#include "runtime/core/project/runtime.h"

using namespace morvane;

namespace {

void walk_image(const runtime::ProjectImage& image) {
  runtime::ProjectInfo project;
  try {
    project = runtime::read_project(image, app::kDescriptorAddress);
  } catch (const runtime::ImageError&) {
    return;
  }
  // Every filled slot was resolved on reading; decoding its entry again gives the same.
  for (const auto& entry : project.controls)
    for (const auto& bound : entry.bound)
      if (runtime::decode_entry(image, project, bound.entry).body != bound.target.body) __builtin_trap();
  try {
    (void)form::read_form_stream(runtime::form_stream(image, project));
  } catch (const runtime::ImageError&) {
  } catch (const form::FormStreamError&) {
  }
}

// Starts the program; when its window is small enough to paint cheaply, drives it a little.
void start(const runtime::ProjectImage& image) {
  try {
    runtime::Runtime rt(app::enzyme_project(image));
    if (rt.finished()) return;
    const runtime::FormWindow& w = rt.window();
    if (w.client_width() > 1024 || w.client_height() > 1024) return;
    runtime::HeadlessPlatform platform;
    platform.attach(rt);
    for (const auto& c : rt.form().controls()) {
      const runtime::PixelRect r = c->pixel_rect();
      platform.click(r.x + r.w / 2, r.y + r.h / 2);
    }
    if (auto* from = rt.form().find("Picture2"); from && !rt.finished()) {
      if (auto* to = rt.form().find("Picture1")) {
        const auto a = from->pixel_rect(), b = to->pixel_rect();
        platform.drag(a.x + a.w / 2, a.y + a.h / 2, b.x + b.w / 2, b.y + b.h / 2);
      }
    }
    platform.feed({runtime::InputEvent::Type::close});
  } catch (const runtime::ImageError&) {
  } catch (const runtime::RuntimeError&) {
  } catch (const form::FormStreamError&) {
  } catch (const runtime::BitmapError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const runtime::ProjectImage image{std::span<const std::uint8_t>(data, size), app::kImageBase};
  walk_image(image);
  start(image);
  return 0;
}
