#include "runtime/backends/desktop/sdl_keys.h"

#include "runtime/core/window/keys.h"

namespace morvane::runtime {

int runtime_key(SDL_Keycode key) {
  switch (key) {
    case SDLK_TAB: return keys::tab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return keys::enter;
    case SDLK_SPACE: return keys::space;
    case SDLK_ESCAPE: return keys::escape;
    case SDLK_BACKSPACE: return keys::backspace;
    case SDLK_LEFT: return keys::left;
    case SDLK_UP: return keys::up;
    case SDLK_RIGHT: return keys::right;
    case SDLK_DOWN: return keys::down;
    case SDLK_DELETE: return keys::delete_key;
    default: break;
  }
  // Letters and digits: the upper-case letter's or the digit's code.
  if (key >= SDLK_a && key <= SDLK_z) return keys::letter_a + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return keys::digit_0 + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return keys::f1 + (key - SDLK_F1);
  return 0;
}

int runtime_shift(Uint16 mod) {
  int shift = 0;
  if (mod & KMOD_SHIFT) shift |= shift_state::shift;
  if (mod & KMOD_CTRL) shift |= shift_state::ctrl;
  if (mod & KMOD_ALT) shift |= shift_state::alt;
  return shift;
}

int runtime_button(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 4;
    default: return 0;
  }
}

}  // namespace morvane::runtime
