// Creates the form object and its controls from the window's model: each control
// gets its kind's defaults first, then the settings the model carries; pictures are
// read from their bitmap files.
#pragma once

#include <cstdint>
#include <span>

#include "form/window_model.h"
#include "runtime/core/form_object.h"
#include "runtime/core/project_image.h"

namespace morvane::runtime {

// Throws RuntimeError when the model and the control list disagree (a control
// without an entry, a kind that differs from the entry's class) and BitmapError
// on a picture that does not decode. A picture whose bytes lie inside `lasting`, bytes
// that outlive the form (the program's image), is shown from there in place; any other
// is decoded into memory of its own.
Ref<FormObject> load_form(const form::WindowModel& model, const ProjectInfo& project,
                          std::span<const std::uint8_t> lasting = {});

}  // namespace morvane::runtime
