// Class identifiers of the runtime's four control kinds, as the control list names them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "runtime/core/controls.h"

namespace morvane::runtime {

using ClassId = std::array<std::uint8_t, 16>;

// {33AD4ED2-6699-11CF-B70C-00AA0060D393} picture box, {33AD4EDA-...} label,
// {33AD4EF2-...} command button, {33AD4F3A-...} form; stored with the first three
// groups little-endian.
ClassId class_id(ControlKind kind);
std::optional<ControlKind> kind_of_class(const ClassId& id);

}  // namespace morvane::runtime
