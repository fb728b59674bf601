// Key codes and modifier states of SDL, as the runtime's window knows them.
#pragma once

#include <SDL.h>

namespace morvane::runtime {

// The runtime key code for an SDL key, or 0 for a key that the runtime does not know.
int runtime_key(SDL_Keycode key);
// The runtime's shift state (1 shift, 2 ctrl, 4 alt) for SDL's modifier state.
int runtime_shift(Uint16 mod);
// The runtime's button number (1 left, 2 right, 4 middle) for an SDL button, or 0.
int runtime_button(Uint8 button);

}  // namespace morvane::runtime
