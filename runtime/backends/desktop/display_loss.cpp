#include "runtime/backends/desktop/display_loss.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef MORVANE_DESKTOP_X11
#include <X11/Xlib.h>
#endif

namespace morvane::runtime {

#ifdef MORVANE_DESKTOP_X11
namespace {

int on_display_lost(Display* display) {
  const char* name = display ? DisplayString(display) : nullptr;
  std::fflush(stdout);
  std::fprintf(stderr, "morvane: lost the connection to the display%s%s; the program ends\n", name ? " " : "",
               name ? name : "");
  std::fflush(stderr);
  // No destructors, no exit handlers: they could only talk to the display that is gone.
  std::_Exit(1);
}

}  // namespace

void end_cleanly_on_display_loss() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(on_display_lost);
}
#else
void end_cleanly_on_display_loss() {}
#endif

}  // namespace morvane::runtime
