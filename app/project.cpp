#include "app/project.h"

#include "app/project_image_builder.h"
#include "logic/enzyme_handlers.h"

namespace morvane::app {

extern const std::span<const std::uint8_t> project_image_bytes;
extern const std::span<const std::uint8_t> words_bytes;

namespace {

runtime::Status reset_click(std::uintptr_t form, const runtime::EventArgs&) {
  return logic::ResetClick(form, kEnzymeBoxes);
}
runtime::Status enzyme_drag_drop(std::uintptr_t form, const runtime::EventArgs& a) {
  runtime::Object* const source = a.source;
  return logic::EnzymeDragDrop(form, kEnzymeBoxes, source, a.x, a.y);
}
runtime::Status complex_click(std::uintptr_t form, const runtime::EventArgs&) {
  return logic::ComplexClick(form, kEnzymeBoxes);
}

}  // namespace

runtime::ProjectImage embedded_image() { return {project_image_bytes, kImageBase}; }

std::vector<runtime::NativeRoutine> native_routines() {
  std::vector<runtime::NativeRoutine> natives(kHandlerCount);
  natives[static_cast<std::size_t>(Handler::reset_click)] = reset_click;
  natives[static_cast<std::size_t>(Handler::enzyme_drag_drop)] = enzyme_drag_drop;
  natives[static_cast<std::size_t>(Handler::complex_click)] = complex_click;
  return natives;
}

runtime::Project enzyme_project(runtime::ProjectImage image) {
  runtime::Project p;
  p.image = image;
  p.descriptor = kDescriptorAddress;
  p.natives = native_routines();
  p.words = words_bytes;
  return p;
}

}  // namespace morvane::app
