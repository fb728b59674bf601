#include "runtime/core/controls/form_object.h"

#include <cstring>

#include "formats/image_layout.h"

namespace morvane::runtime {
namespace {
// The instance block starts with a tag and the address of its form object, so that a
// form reference can be turned back into the form and a stray value is recognised.
constexpr std::uint64_t kInstanceTag = 0x4D52564E464F524Dull;  // "MROFNVRM"
constexpr std::size_t kHeaderSize = formats::layout::object_info::instance_header_size;
constexpr std::uint32_t kNoSink = 0xFFFFFFFFu;
static_assert(sizeof kInstanceTag + sizeof(void*) <= kHeaderSize, "the tag and the form's address fit the header");
}  // namespace

void FormObject::set_startup_position(std::uint8_t value) {
  if (value > static_cast<std::uint8_t>(StartUpPosition::system_default))
    throw RuntimeError(status::failed, "the start-up position of " + name() + " is " + std::to_string(value) +
                                           "; expected 0 (manual) to 3 (the window system's default)");
  startup_position_ = static_cast<StartUpPosition>(value);
}

WindowPlacement FormObject::placement() const {
  using Mode = WindowPlacement::Mode;
  switch (startup_position_) {
    case StartUpPosition::manual: return {Mode::at, twips_to_pixels(left()), twips_to_pixels(top())};
    case StartUpPosition::center_owner:
    case StartUpPosition::center_screen: return {Mode::centred, 0, 0};
    case StartUpPosition::system_default: break;
  }
  return {};
}

FormObject::FormObject(std::string name, std::size_t instance_size)
    : Control(ControlKind::form, std::move(name), 0),
      instance_size_(std::max(instance_size, kHeaderSize)),
      instance_(new std::byte[instance_size_]) {
  std::memset(instance_.get(), 0xFF, instance_size_);
  std::memcpy(instance_.get(), &kInstanceTag, sizeof kInstanceTag);
  const FormObject* self = this;
  std::memcpy(instance_.get() + 8, &self, sizeof self);
}

FormObject::~FormObject() {
  // Invalidate the block so that a stale reference is refused rather than followed.
  std::memset(instance_.get(), 0, kHeaderSize);
  for (auto& c : controls_) c->set_host(nullptr);
}

void FormObject::add_control(Ref<Control> control) { controls_.push_back(std::move(control)); }

Control* FormObject::find(std::string_view n) const {
  if (n == name()) return const_cast<FormObject*>(this);
  for (const auto& c : controls_)
    if (c->name() == n) return c.get();
  return nullptr;
}

Control* FormObject::by_number(int number) const {
  for (const auto& c : controls_)
    if (c->number() == number) return c.get();
  return nullptr;
}

std::uintptr_t FormObject::instance_address() const { return reinterpret_cast<std::uintptr_t>(instance_.get()); }

std::uintptr_t FormObject::sink_address(std::uint32_t place) const { return instance_address() + place; }

void FormObject::connect_sink(std::uint32_t place, int control_number) {
  if (place < kHeaderSize || place > instance_size_ - 4)
    throw RuntimeError(status::failed, "event sink place " + std::to_string(place) + " lies outside the form object");
  const auto value = static_cast<std::uint32_t>(control_number);
  const std::uint8_t le[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                              static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  std::memcpy(instance_.get() + place, le, 4);
}

int FormObject::sink_control(std::uint32_t place) const {
  if (place < kHeaderSize || place > instance_size_ - 4) return -1;
  std::uint8_t le[4];
  std::memcpy(le, instance_.get() + place, 4);
  const std::uint32_t v = le[0] | (le[1] << 8) | (le[2] << 16) | (static_cast<std::uint32_t>(le[3]) << 24);
  return v == kNoSink ? -1 : static_cast<int>(v);
}

FormObject& FormObject::from_reference(std::uintptr_t reference) {
  if (reference == 0 || (reference & 1u))
    throw RuntimeError(status::failed, "not a form reference (null or still marked)");
  const auto* block = reinterpret_cast<const std::byte*>(reference);
  std::uint64_t tag;
  std::memcpy(&tag, block, sizeof tag);
  if (tag != kInstanceTag) throw RuntimeError(status::failed, "not a form reference");
  FormObject* form;
  std::memcpy(&form, block + 8, sizeof form);
  return *form;
}

}  // namespace morvane::runtime
