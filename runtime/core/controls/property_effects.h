// What setting a property does to a control, and how the control reads it back: the
// runtime's behaviour for the properties it acts on (a control keeps any other property
// as it was given). Which properties there are, and their codes and defaults, is the
// property table's (form/properties.cpp).
#pragma once

#include <optional>
#include <string_view>

#include "form/window_model.h"

namespace morvane::runtime {

class Control;

struct PropertyEffect {
  std::string_view field;
  void (*set)(Control& control, const form::PropertyValue& value);
  std::optional<form::PropertyValue> (*get)(const Control& control);  // nothing: not read back
};

// Null when the runtime does not act on the field.
const PropertyEffect* property_effect(std::string_view field);

}  // namespace morvane::runtime
