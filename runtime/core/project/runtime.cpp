#include "runtime/core/project/runtime.h"

#include <cstdio>
#include <cstdlib>

#include "form/form_stream_error.h"
#include "form/form_stream_reader.h"
#include "runtime/core/controls/form_loader.h"
#include "formats/image_layout.h"

namespace morvane::runtime {

form::WindowModel read_form_description(const ProjectImage& image, const ProjectInfo& project) {
  return form::read_form_stream(form_stream(image, project));
}

Runtime::Runtime(Project start) : start_(std::move(start)) {
  project_ = read_project(start_.image, start_.descriptor);
  check_natives();
  // The image outlives the form: pictures read from its stream are shown in place.
  form::WindowModel model = start_.read_form ? start_.read_form(start_.image, project_)
                                             : read_form_description(start_.image, project_);
  form_ = load_form(model, project_, form_stream(start_.image, project_));
  window_ = std::make_unique<FormWindow>(form_, *this);
  raise(*form_, Event::load, {});
}

Runtime::~Runtime() {
  window_.reset();
  form_.reset();
}

const ControlEntryInfo* Runtime::entry_for(const Control& control) const {
  const bool is_form = &control == form_.get();
  for (const auto& e : project_.controls)
    if (is_form ? e.is_form() : (!e.is_form() && e.number == control.number())) return &e;
  return nullptr;
}

// Every handler body that a filled event slot leads to must name a routine the program
// has; a program that cannot run one of its bound events is refused before it starts.
void Runtime::check_natives() const {
  namespace code = formats::layout::code;
  for (const ControlEntryInfo& entry : project_.controls) {
    for (const BoundSlot& bound : entry.bound) {
      const std::uint32_t index = bound.target.native_index;
      if (index < start_.natives.size() && start_.natives[index]) continue;
      throw ImageError(start_.image.offset_of(bound.target.body, code::handler_body_size, "a handler body") +
                           code::native_index,
                       "a native routine index below " + std::to_string(start_.natives.size()) +
                           " in the handler that slot " + std::to_string(bound.slot) + " of " + entry.name +
                           " leads to, found " + std::to_string(index));
    }
  }
}

Status Runtime::call_entry(std::uint32_t address, std::uintptr_t object, const EventArgs& args) {
  return call_target(address, decode_entry(start_.image, project_, address), object, args);
}

Status Runtime::call_target(std::uint32_t address, const EntryTarget& target, std::uintptr_t object,
                            const EventArgs& args) {
  if (target.native_index >= start_.natives.size() || !start_.natives[target.native_index])
    throw RuntimeError(status::failed, "handler body names native routine " + std::to_string(target.native_index) +
                                           ", which the program does not have");
  // The event entry's subtraction: the event sink becomes the form reference plus one.
  // A handler is only ever given the form itself, marked or not.
  const std::uintptr_t reference = object - target.amount;
  if ((reference & ~std::uintptr_t{1}) != form_->instance_address()) {
    char at[16];
    std::snprintf(at, sizeof at, "0x%08X", address);
    throw RuntimeError(status::failed,
                       std::string("the entry at ") + at + " would hand its handler something else than the form");
  }
  return start_.natives[target.native_index](reference, args);
}

bool Runtime::handles(const Control& control, Event event) const {
  const ControlEntryInfo* entry = entry_for(control);
  const auto slot = event_slot(control.kind(), event);
  return entry && slot && entry->bound_slot(*slot) != nullptr;
}

void Runtime::raise(Control& control, Event event, const EventArgs& args) {
  if (untrapped_error_) return;
  const ControlEntryInfo* entry = entry_for(control);
  const auto slot = event_slot(control.kind(), event);
  const BoundSlot* bound = (entry && slot) ? entry->bound_slot(*slot) : nullptr;
  if (!bound) return;  // no handler: nothing of the program runs
  ++delivered_;
  // Keep the form alive for the call even if the window went away meanwhile.
  const Ref<FormObject> keep = Ref<FormObject>::share(form_.get());
  try {
    call_target(bound->entry, bound->target, form_->sink_address(entry->sink_place), args);
  } catch (const RuntimeError& e) {
    untrapped(format_runtime_error(e));
  } catch (const ImageError& e) {
    untrapped(std::string("broken program image: ") + e.what());
  }
}

void Runtime::untrapped(const std::string& message) {
  // An untrapped run-time error ends the run: the window would otherwise be left
  // half-way between two of its states.
  untrapped_error_ = message;
  std::fprintf(stderr, "morvane: %s\n", message.c_str());
  std::fflush(stderr);
  if (error_display_) error_display_(message);
  window_->close();
}

void report_start_failure(const std::exception& e, Platform& platform) {
  // Say which input a refusal's offset counts in.
  const char* input = dynamic_cast<const ImageError*>(&e)              ? "the project image, "
                      : dynamic_cast<const form::FormStreamError*>(&e) ? "the form description stream, "
                                                                       : "";
  const std::string message = std::string("cannot start: ") + input + e.what();
  std::fprintf(stderr, "morvane: %s\n", message.c_str());
  platform.show_fatal(message);
}

void ThunRTMain(Project project, Platform& platform) {
  int code = 1;
  try {
    Runtime runtime(std::move(project));
    code = platform.run(runtime);
  } catch (const std::exception& e) {
    report_start_failure(e, platform);
    code = 1;
  }
  std::fflush(stdout);
  std::fflush(stderr);
  std::exit(code);
}

}  // namespace morvane::runtime
