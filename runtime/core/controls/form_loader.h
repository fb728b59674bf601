// Creates the form object and its controls from the window's model: each control
// gets its kind's defaults from the property table first, then the properties the
// model carries; pictures are read from their bitmap files.
#pragma once

#include <cstdint>
#include <span>

#include "form/window_model.h"
#include "runtime/core/controls/form_object.h"
#include "runtime/core/project/project_image.h"

namespace morvane::runtime {

// Throws RuntimeError when the model and the control list disagree (a control
// without an entry, a kind that differs from the entry's class). A picture whose bytes
// lie inside `stream`, the form description stream, which outlives the form, is shown
// from there in place, and one that does not decode is refused with a FormStreamError
// that names its box and its offset in the stream; any other picture is decoded into
// memory of its own (a RuntimeError naming its box when it does not decode).
Ref<FormObject> load_form(const form::WindowModel& model, const ProjectInfo& project,
                          std::span<const std::uint8_t> stream = {},
                          const form::PropertyTable& table = form::form_properties());

}  // namespace morvane::runtime
