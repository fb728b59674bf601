#include "tests/robustness/demo_invariants.h"

#include <array>

namespace morvane::robustness {

using runtime::InputEvent;


DemoInvariants::DemoInvariants(const runtime::Runtime& runtime)
    : runtime_(runtime), form_refs_(runtime.form().ref_count()) {
  for (const auto& c : runtime.form().controls()) control_refs_.push_back(c->ref_count());
}

std::string DemoInvariants::check() const {
  const runtime::FormObject& form = runtime_.form();
  std::string broken;
  const std::string bits = visibility_bits(form);
  if (!logic::is_demonstration_state(bits))
    broken += "visibility " + bits + " is none of Start 1100, Complex 0001, Product 1010; ";
  if (form.ref_count() != form_refs_)
    broken += "form references " + std::to_string(form.ref_count()) + ", were " + std::to_string(form_refs_) + "; ";
  const auto controls = form.controls();
  if (controls.size() != control_refs_.size()) {
    broken += "the form has " + std::to_string(controls.size()) + " controls, had " +
              std::to_string(control_refs_.size()) + "; ";
  } else {
    for (std::size_t i = 0; i < controls.size(); ++i)
      if (controls[i]->ref_count() != control_refs_[i])
        broken += controls[i]->name() + " references " + std::to_string(controls[i]->ref_count()) + ", were " +
                  std::to_string(control_refs_[i]) + "; ";
  }
  if (runtime_.untrapped_error()) broken += "run-time error: " + *runtime_.untrapped_error() + "; ";
  return broken;
}

InputDecoder::InputDecoder(std::span<const std::uint8_t> bytes, const runtime::FormObject& form) : bytes_(bytes) {
  for (const auto& c : form.controls()) targets_.push_back(c->pixel_rect());
}

std::uint8_t InputDecoder::byte() { return pos_ < bytes_.size() ? bytes_[pos_++] : 0; }

std::uint16_t InputDecoder::word() {
  const std::uint8_t lo = byte();
  return static_cast<std::uint16_t>(lo | (byte() << 8));
}

void InputDecoder::aim(InputEvent& e) {
  const std::size_t pick = byte() % (targets_.size() + 2);
  const std::uint16_t wx = word();
  const std::uint16_t wy = word();
  if (pick < targets_.size()) {
    // Inside the control or up to 4 pixels around it.
    const runtime::PixelRect& r = targets_[pick];
    e.x = r.x - 4 + wx % (r.w + 8);
    e.y = r.y - 4 + wy % (r.h + 8);
  } else {
    // Anywhere in or a little outside the window's design size.
    e.x = wx % 700 - 16;
    e.y = wy % 560 - 16;
  }
}

InputEvent InputDecoder::next() {
  // Space and Enter pick the substrate up and put it down, the arrows move it.
  constexpr std::array<int, 14> kKeys{runtime::keys::tab,   runtime::keys::enter, runtime::keys::space,
                                      runtime::keys::escape, 'A',                 'z',
                                      runtime::keys::left,  runtime::keys::up,    runtime::keys::right,
                                      runtime::keys::down,  runtime::keys::down,  runtime::keys::space,
                                      0,                    200};
  constexpr std::array<int, 8> kButtons{1, 1, 1, 1, 1, 1, 2, 4};
  InputEvent e{InputEvent::Type::pointer_move};
  const std::uint8_t kind = byte();
  if (kind < 70) {
    e.type = InputEvent::Type::pointer_down;
    aim(e);
    e.code = kButtons[byte() % kButtons.size()];
    const std::uint8_t t = byte();
    if (t == 255) {
      e.time_ms = runtime::kNoTime;
    } else {
      clock_ms_ += std::uint64_t{t} * 4;  // 0 to 1 s after the last press: double clicks happen
      e.time_ms = clock_ms_;
    }
  } else if (kind < 150) {
    e.type = InputEvent::Type::pointer_move;
    aim(e);
  } else if (kind < 210) {
    e.type = InputEvent::Type::pointer_up;
    aim(e);
    e.code = kButtons[byte() % kButtons.size()];
  } else if (kind == 244) {
    e.type = InputEvent::Type::focus_lost;
  } else if (kind < 244) {
    e.type = kind < 230 ? InputEvent::Type::key_down : InputEvent::Type::key_up;
    e.code = kKeys[byte() % kKeys.size()];
    e.shift = byte() & 7;
  } else if (kind < 254 || !allow_close_) {
    e.type = InputEvent::Type::resize;
    e.x = word() % 1040 - 16;
    e.y = word() % 1040 - 16;
  } else {
    e.type = InputEvent::Type::close;
  }
  return e;
}

const char* input_type_name(InputEvent::Type type) {
  switch (type) {
    case InputEvent::Type::pointer_down: return "pointer down";
    case InputEvent::Type::pointer_move: return "pointer move";
    case InputEvent::Type::pointer_up: return "pointer up";
    case InputEvent::Type::key_down: return "key down";
    case InputEvent::Type::key_up: return "key up";
    case InputEvent::Type::resize: return "resize";
    case InputEvent::Type::close: return "close";
    case InputEvent::Type::focus_lost: return "focus lost";
  }
  return "?";
}

}  // namespace morvane::robustness
