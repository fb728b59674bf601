// The runtime's key codes (the system's virtual-key codes for the keys it knows) and
// shift states, as every platform hands them to the form's window.
#pragma once

namespace morvane::runtime {

namespace keys {
inline constexpr int tab = 9;
inline constexpr int enter = 13;
inline constexpr int space = 32;
inline constexpr int escape = 27;
inline constexpr int left = 37;
inline constexpr int up = 38;
inline constexpr int right = 39;
inline constexpr int down = 40;
}  // namespace keys

namespace shift_state {
inline constexpr int shift = 1;
inline constexpr int ctrl = 2;
inline constexpr int alt = 4;
}  // namespace shift_state

}  // namespace morvane::runtime
