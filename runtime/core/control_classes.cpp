#include "runtime/core/control_classes.h"

namespace morvane::runtime {
namespace {
ClassId make(std::uint16_t low_word) {
  // 33AD xxxx - 6699 - 11CF - B70C - 00AA0060D393
  return {static_cast<std::uint8_t>(low_word), static_cast<std::uint8_t>(low_word >> 8), 0xAD, 0x33, 0x99, 0x66,
          0xCF, 0x11, 0xB7, 0x0C, 0x00, 0xAA, 0x00, 0x60, 0xD3, 0x93};
}
}  // namespace

ClassId class_id(ControlKind kind) {
  switch (kind) {
    case ControlKind::picture_box: return make(0x4ED2);
    case ControlKind::label: return make(0x4EDA);
    case ControlKind::command_button: return make(0x4EF2);
    case ControlKind::form: return make(0x4F3A);
  }
  return {};
}

std::optional<ControlKind> kind_of_class(const ClassId& id) {
  for (ControlKind k : {ControlKind::picture_box, ControlKind::label, ControlKind::command_button, ControlKind::form})
    if (class_id(k) == id) return k;
  return std::nullopt;
}

}  // namespace morvane::runtime
