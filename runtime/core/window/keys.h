// The runtime's key codes (the system's virtual-key codes for the keys it knows) and
// shift states, as every platform hands them to the form's window. Each code is written
// here only: the SDL mapping, the Win32 mapping and the page's key names use these.
#pragma once

namespace morvane::runtime {

namespace keys {
inline constexpr int backspace = 8;
inline constexpr int tab = 9;
inline constexpr int enter = 13;
inline constexpr int escape = 27;
inline constexpr int space = 32;
inline constexpr int left = 37;
inline constexpr int up = 38;
inline constexpr int right = 39;
inline constexpr int down = 40;
inline constexpr int delete_key = 46;
inline constexpr int digit_0 = '0';  // to '9'
inline constexpr int letter_a = 'A';  // to 'Z'
inline constexpr int f1 = 112;        // to F12
inline constexpr int function_keys = 12;

// Whether the runtime knows `code`.
constexpr bool known(int code) {
  switch (code) {
    case backspace: case tab: case enter: case escape: case space:
    case left: case up: case right: case down: case delete_key: return true;
    default: break;
  }
  return (code >= digit_0 && code <= digit_0 + 9) || (code >= letter_a && code <= letter_a + 25) ||
         (code >= f1 && code < f1 + function_keys);
}
}  // namespace keys

namespace shift_state {
inline constexpr int shift = 1;
inline constexpr int ctrl = 2;
inline constexpr int alt = 4;
}  // namespace shift_state

}  // namespace morvane::runtime
