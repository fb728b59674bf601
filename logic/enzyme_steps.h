// What the three handlers do, written once over the runtime's operations `Ops`: the
// program's code proper. Each step returns false when an error was raised (the
// handler then leaves at once); operations that throw instead never return false.
// Plain C++ without the library: the same steps run in a module of their own.
#pragma once

#include <cstdint>

#include "form/form1_numbers.h"

namespace morvane::logic::steps {

// Form1's picture boxes by control number.
inline constexpr int kPicture4 = form::form1::picture4, kPicture3 = form::form1::picture3,
                     kPicture2 = form::form1::picture2, kPicture1 = form::form1::picture1;
inline constexpr std::int16_t kShow = -1, kHide = 0;
inline constexpr char16_t kSubstrate[] = u"substrate";
inline constexpr char16_t kTagMember[] = u"Tag";
inline constexpr char16_t kVisibleMember[] = u"Visible";

// Click of Command1: back to the start.
template <class Ops>
bool reset(Ops& ops) {
  return ops.set_visible(kPicture1, kShow) && ops.set_visible(kPicture2, kShow) &&
         ops.set_visible(kPicture3, kHide) && ops.set_visible(kPicture4, kHide);
}

// DragDrop on Picture1: a source tagged "substrate" becomes the complex.
template <class Ops>
bool enzyme_drop(Ops& ops, typename Ops::ObjectRef source) {
  typename Ops::Value tag{};
  if (!ops.get_member(source, kTagMember, tag)) return false;
  const bool equal = ops.equals(tag, kSubstrate);
  ops.free(tag);
  if (!equal) return true;
  return ops.set_member(source, kVisibleMember, kHide) && ops.set_visible(kPicture1, kHide) &&
         ops.set_visible(kPicture4, kShow);
}

// Click of Picture4: the complex becomes the product and the free enzyme.
template <class Ops>
bool complex_click(Ops& ops) {
  return ops.set_visible(kPicture4, kHide) && ops.set_visible(kPicture3, kShow) && ops.set_visible(kPicture1, kShow);
}

}  // namespace morvane::logic::steps
