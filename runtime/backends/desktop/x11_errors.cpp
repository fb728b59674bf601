#include "runtime/backends/desktop/x11_errors.h"

#ifdef MORVANE_DESKTOP_X11
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#endif

namespace morvane::runtime {

#ifdef MORVANE_DESKTOP_X11
namespace {

XErrorHandler previous_handler = nullptr;

int on_x_error(Display* display, XErrorEvent* e) {
  if (e->error_code == BadWindow && e->request_code == X_SendEvent) return 0;
  return previous_handler ? previous_handler(display, e) : 0;
}

}  // namespace

void ignore_sends_to_destroyed_windows() {
  XErrorHandler current = XSetErrorHandler(on_x_error);
  if (current != on_x_error) previous_handler = current;
}
#else
void ignore_sends_to_destroyed_windows() {}
#endif

}  // namespace morvane::runtime
