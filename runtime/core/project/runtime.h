// Start-up and event routing: reads the project image, loads the start-up form,
// and routes each event through the control's event table into the program.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "form/window_model.h"
#include "runtime/core/controls/events.h"
#include "runtime/core/controls/form_object.h"
#include "runtime/core/project/program_services.h"
#include "runtime/core/project/project_image.h"
#include "runtime/core/window/form_window.h"

namespace morvane::runtime {

// A routine of the program's own code: receives the object argument (for an event
// entry, the form reference with its lowest bit set) and the event's arguments.
using NativeRoutine = std::function<Status(std::uintptr_t object, const EventArgs& args)>;

// Calls `call` with a services table of its own, the object argument and the event's
// arguments. An error raised through the table goes on (RuntimeError) when `object` is
// marked (entered as an event) and is returned as its failing status when it is not.
using ServicesCall = std::function<std::int32_t(const ProgramServices* services, std::uintptr_t object, void* source,
                                                float x, float y)>;
Status call_with_services(std::uintptr_t object, const EventArgs& args, const ServicesCall& call);

// A handler routine of a program module of its own, called through the services table.
NativeRoutine native_routine(HandlerRoutine routine);

// Produces the window's model of the start-up form from the project image (normally
// by reading the form description stream that the form table names); throws on failure.
using FormReader = std::function<form::WindowModel(const ProjectImage& image, const ProjectInfo& project)>;

// The project as the runtime starts it: its image, where its descriptor lies, and the
// routines that its code names.
struct Project {
  ProjectImage image;
  std::uint32_t descriptor = 0;              // address of the project descriptor
  std::vector<NativeRoutine> natives;        // by the index that handler bodies name
  FormReader read_form;                      // empty: read_form_description
  // The program's words for its accessible tree (formats/words_file.h); empty: none.
  std::span<const std::uint8_t> words;
};

class Runtime final : public EventDispatcher {
 public:
  // Reads the image and loads the start-up form. Throws ImageError, RuntimeError or
  // the form reader's error on a program it cannot start.
  explicit Runtime(Project start);
  ~Runtime() override;

  const ProjectInfo& project_info() const { return project_; }
  // The program's words as the project carries them (not yet read).
  std::span<const std::uint8_t> words() const { return start_.words; }
  FormObject& form() const { return *form_; }
  FormWindow& window() const { return *window_; }

  // The run is over: the form was closed or an untrapped error ended it.
  bool finished() const { return window_->closed(); }
  int exit_code() const { return untrapped_error_ ? 1 : 0; }
  const std::optional<std::string>& untrapped_error() const { return untrapped_error_; }
  // Where untrapped errors are shown besides standard error (the platform's window).
  void set_error_display(std::function<void(const std::string&)> display) { error_display_ = std::move(display); }

  // Calls entry `address` of the program's code with `object` as first argument,
  // the way the runtime calls event entries and method entries.
  Status call_entry(std::uint32_t address, std::uintptr_t object, const EventArgs& args);

  // EventDispatcher: routes through the control's event table.
  void raise(Control& control, Event event, const EventArgs& args) override;
  bool handles(const Control& control, Event event) const override;

  // How many events reached program code.
  std::uint64_t events_delivered() const { return delivered_; }

 private:
  void check_natives() const;
  // Calls the entry at `address`, which does what `target` says.
  Status call_target(std::uint32_t address, const EntryTarget& target, std::uintptr_t object, const EventArgs& args);
  void untrapped(const std::string& message);
  const ControlEntryInfo* entry_for(const Control& control) const;

  Project start_;
  ProjectInfo project_;
  Ref<FormObject> form_;
  std::unique_ptr<FormWindow> window_;
  std::optional<std::string> untrapped_error_;
  std::function<void(const std::string&)> error_display_;
  std::uint64_t delivered_ = 0;
};

// A platform runs the message loop of the loaded form's window.
class Platform {
 public:
  virtual ~Platform() = default;
  // Shows the window and runs until the run is finished; returns the exit code.
  virtual int run(Runtime& runtime) = 0;
  // Says that the program cannot start, where a person can see it (besides stderr).
  virtual void show_fatal(const std::string& message) = 0;
};

// The start-up form's model from the form description stream that the form table names.
form::WindowModel read_form_description(const ProjectImage& image, const ProjectInfo& project);

// Tells why the program cannot start, on standard error and where the platform shows
// it: "cannot start: ", the input a refusal's offset counts in (the project image or the
// form description stream), and the refusal.
void report_start_failure(const std::exception& e, Platform& platform);

// Runs the whole life of the program and ends the process; never returns.
[[noreturn]] void ThunRTMain(Project project, Platform& platform);

}  // namespace morvane::runtime
