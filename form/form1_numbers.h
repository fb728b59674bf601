// Form1's control numbers: each control's place in the form description stream's child
// list (1 to 6), which the control list of the project image and the handlers' typed
// view of the form name it by. Plain constants, so that code built without the C++
// library (the Windows executable's handler routines) can use them too.
#pragma once

#include <cstdint>

namespace morvane::form::form1 {

inline constexpr std::uint16_t command1 = 1;
inline constexpr std::uint16_t picture4 = 2;
inline constexpr std::uint16_t picture3 = 3;
inline constexpr std::uint16_t picture2 = 4;
inline constexpr std::uint16_t picture1 = 5;
inline constexpr std::uint16_t label1 = 6;

}  // namespace morvane::form::form1
