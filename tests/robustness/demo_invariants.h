// What must hold after every input event of a running demonstration, and a decoder
// that turns arbitrary bytes into input events aimed at the window's controls. The
// input-sequence fuzz target and the soak share both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/form1.h"
#include "logic/demonstration_state.h"
#include "runtime/backends/headless/headless_platform.h"
#include "runtime/core/project/runtime.h"

namespace morvane::robustness {

inline std::string visibility_bits(const runtime::FormObject& form) {
  return logic::visibility_bits(form, app::kEnzymeBoxes);
}

// Watches one runtime: the visibility state must be Start (1100), Complex (0001) or
// Product (1010), every reference count (the form's and each control's) must be back
// at what it was when the watch began, and no run-time error may have ended the run.
class DemoInvariants {
 public:
  explicit DemoInvariants(const runtime::Runtime& runtime);
  // Empty when everything holds; otherwise what is broken.
  std::string check() const;

 private:
  const runtime::Runtime& runtime_;
  std::uint32_t form_refs_;
  std::vector<std::uint32_t> control_refs_;
};

// Turns bytes into input events, a few bytes each. Pointer positions are aimed: the
// first byte of a pointer event picks a control (its rectangle plus a margin) or the
// whole window, so that short random inputs reach every state. Resize sizes stay
// within 0..1023 pixels (and a few negative values) to keep the framebuffer small.
class InputDecoder {
 public:
  InputDecoder(std::span<const std::uint8_t> bytes, const runtime::FormObject& form);
  bool done() const { return pos_ >= bytes_.size(); }
  runtime::InputEvent next();
  // Drop close events (the soak closes on its own schedule).
  void allow_close(bool allow) { allow_close_ = allow; }

 private:
  std::uint8_t byte();
  std::uint16_t word();
  void aim(runtime::InputEvent& e);

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  std::vector<runtime::PixelRect> targets_;  // the controls, in description order
  std::uint64_t clock_ms_ = 1000;
  bool allow_close_ = true;
};

const char* input_type_name(runtime::InputEvent::Type type);

}  // namespace morvane::robustness
