// The form object: the form's own settings, its controls in the order of the form
// description, and the instance block in which each control's event sink lives at
// the place that the control list gives it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/core/controls/controls.h"
#include "runtime/core/objects/runtime_error.h"

namespace morvane::runtime {

// Where the window first appears, as the form's start-up position value says.
enum class StartUpPosition : std::uint8_t {
  manual = 0,         // the client area where the form's left and top put it on the screen
  center_owner = 1,   // centred on the owner window; a start-up form has none, so on the screen
  center_screen = 2,
  system_default = 3  // where the window system puts a new window
};

// What a platform does with the start-up position: leave the place to the window
// system, centre the window on the screen, or put the client area at (x, y) pixels.
struct WindowPlacement {
  enum class Mode { system_default, centred, at } mode = Mode::system_default;
  int x = 0;
  int y = 0;
  friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

class FormObject final : public Control {
 public:
  // instance_size: bytes of the instance block; every sink place + 4 must fit in it.
  FormObject(std::string name, std::size_t instance_size);
  ~FormObject() override;

  // Client area size in twips (the design size; the window may be resized).
  std::int32_t client_width() const { return width(); }
  std::int32_t client_height() const { return height(); }

  StartUpPosition startup_position() const { return startup_position_; }
  // Throws RuntimeError for a value that names no position.
  void set_startup_position(std::uint8_t value);
  WindowPlacement placement() const;

  void add_control(Ref<Control> control);  // in the order of the form description
  std::span<const Ref<Control>> controls() const { return controls_; }
  Control* find(std::string_view name) const;
  Control* by_number(int number) const;

  // The typed accessor of control `number`: a new reference, released by the caller.
  template <class T>
  Ref<T> take(int number) {
    Control* c = by_number(number);
    T* typed = c ? dynamic_cast<T*>(c) : nullptr;
    if (!typed)
      throw RuntimeError(status::failed, "form " + name() + " has no control number " + std::to_string(number) +
                                             " of the requested kind");
    return Ref<T>::share(typed);
  }

  // The instance block. Its address is the form reference that event entries and
  // handlers work with; the lowest bit of such a reference is free for a mark.
  std::uintptr_t instance_address() const;
  std::uintptr_t sink_address(std::uint32_t place) const;
  void connect_sink(std::uint32_t place, int control_number);
  // The control whose sink lies at `place` (-1: none; 0: the form itself).
  int sink_control(std::uint32_t place) const;
  // Recovers the form from an unmarked reference; throws if it is not a form's.
  static FormObject& from_reference(std::uintptr_t reference);

 private:
  StartUpPosition startup_position_ = StartUpPosition::system_default;
  std::size_t instance_size_;
  std::unique_ptr<std::byte[]> instance_;
  std::vector<Ref<Control>> controls_;
};

}  // namespace morvane::runtime
