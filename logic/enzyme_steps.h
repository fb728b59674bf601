// What the three handlers do, written once over the runtime's operations `Ops`: the
// program's code proper. Each step returns false when an error was raised (the
// handler then leaves at once); operations that throw instead never return false.
// Plain C++ without the library: the same steps run in a module of their own.
#pragma once

#include <cstdint>

#include "logic/enzyme_boxes.h"

namespace morvane::logic::steps {

inline constexpr std::int16_t kShow = -1, kHide = 0;
inline constexpr char16_t kSubstrate[] = u"substrate";
inline constexpr char16_t kTagMember[] = u"Tag";
inline constexpr char16_t kVisibleMember[] = u"Visible";

// The reset button's Click: back to the start.
template <class Ops>
bool reset(Ops& ops, const EnzymeBoxes& boxes) {
  return ops.set_visible(boxes.enzyme, kShow) && ops.set_visible(boxes.substrate, kShow) &&
         ops.set_visible(boxes.product, kHide) && ops.set_visible(boxes.complex, kHide);
}

// DragDrop on the enzyme: a source tagged "substrate" becomes the complex.
template <class Ops>
bool enzyme_drop(Ops& ops, const EnzymeBoxes& boxes, typename Ops::ObjectRef source) {
  typename Ops::Value tag{};
  if (!ops.get_member(source, kTagMember, tag)) return false;
  const bool equal = ops.equals(tag, kSubstrate);
  ops.free(tag);
  if (!equal) return true;
  return ops.set_member(source, kVisibleMember, kHide) && ops.set_visible(boxes.enzyme, kHide) &&
         ops.set_visible(boxes.complex, kShow);
}

// Click of the complex: the complex becomes the product and the free enzyme.
template <class Ops>
bool complex_click(Ops& ops, const EnzymeBoxes& boxes) {
  return ops.set_visible(boxes.complex, kHide) && ops.set_visible(boxes.product, kShow) &&
         ops.set_visible(boxes.enzyme, kShow);
}

}  // namespace morvane::logic::steps
