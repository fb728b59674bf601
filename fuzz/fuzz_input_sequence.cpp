// Input sequences on the running demonstration: any bytes become pointer, key (the
// keys also drag), focus-loss, resize and close events fed to the headless runtime;
// after every event the visibility state must be Start, Complex or Product and every
// reference count back where it was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "app/project.h"
#include "app/project_image_builder.h"
#include "runtime/backends/headless/headless_platform.h"
#include "tests/robustness/demo_invariants.h"

using namespace morvane;

namespace {

// Form1 as read from the embedded stream, once; each run starts from a copy.
const form::WindowModel& form1() {
  static const form::WindowModel model = [] {
    const runtime::ProjectImage image = app::embedded_image();
    return runtime::read_form_description(image, runtime::read_project(image, app::kDescriptorAddress));
  }();
  return model;
}

[[noreturn]] void fail(std::size_t index, const runtime::InputEvent& e, const std::string& what) {
  std::fprintf(stderr, "after event %zu (%s, %d, %d, code %d, shift %d): %s\n", index, robustness::input_type_name(e.type),
               e.x, e.y, e.code, e.shift, what.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  runtime::Project project = app::enzyme_project();
  project.read_form = [](const runtime::ProjectImage&, const runtime::ProjectInfo&) { return form1(); };
  runtime::Runtime rt(std::move(project));
  runtime::HeadlessPlatform platform;
  platform.attach(rt);
  const robustness::DemoInvariants invariants(rt);
  robustness::InputDecoder input(std::span<const std::uint8_t>(data, size), rt.form());
  for (std::size_t i = 0; !input.done(); ++i) {
    const runtime::InputEvent e = input.next();
    platform.feed(e);
    if (const std::string broken = invariants.check(); !broken.empty()) fail(i, e, broken);
    if (e.type == runtime::InputEvent::Type::close && !rt.finished()) fail(i, e, "the window stayed open after close");
  }
  return 0;
}
