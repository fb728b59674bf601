// Adds a control of kind T to a form made up in a test, placed in twips with its tab index.
#pragma once

#include <cstdint>

#include "runtime/core/controls/form_object.h"

namespace morvane::testing {

template <class T>
T& add_control(runtime::FormObject& form, const char* name, int number, int tab, std::int32_t left,
               std::int32_t top, std::int32_t width, std::int32_t height) {
  auto ref = runtime::Ref<T>::adopt(new T(name, number));
  T& c = *ref;
  c.move(left, top, width, height);
  c.set_tab_index(static_cast<std::int16_t>(tab));
  form.add_control(runtime::Ref<runtime::Control>(std::move(ref)));
  return c;
}

}  // namespace morvane::testing
