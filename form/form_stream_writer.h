// Lays the window model out as a form description stream, byte for byte as the runtime
// reads it: a 53-byte header, 36 zero bytes, the form record with its properties and
// child list, and the closing 0x04.
#pragma once

#include <cstdint>
#include <vector>

#include "form/property_table.h"
#include "form/window_model.h"

namespace morvane::form {

// Throws std::invalid_argument, naming the record and the field, for a model that cannot be
// encoded: a string longer than 65535, a rectangle outside 16 bits, a field the record's kind
// cannot carry, a control number that is not the control's place, no controls, ...
// `table` gives each kind's property codes.
std::vector<std::uint8_t> write_form_stream(const WindowModel& model,
                                            const PropertyTable& table = form_properties());

}  // namespace morvane::form
