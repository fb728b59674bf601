#include "runtime/backends/desktop/window_manager.h"

#ifdef MORVANE_DESKTOP_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>
#endif

namespace morvane::runtime {

#ifdef MORVANE_DESKTOP_X11
namespace {

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};

// The window that `owner`'s check property names, or 0.
::Window check_window(Display* d, ::Window owner, Atom check) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  ::Window named = 0;
  if (XGetWindowProperty(d, owner, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
      type == XA_WINDOW && format == 32 && count == 1 && data)
    named = static_cast<::Window>(*reinterpret_cast<unsigned long*>(data));
  if (data) XFree(data);
  return named;
}

int ignore_errors(Display*, XErrorEvent*) { return 0; }

}  // namespace

bool x11_window_manager_running() {
  std::unique_ptr<Display, DisplayCloser> d(XOpenDisplay(nullptr));
  if (!d) return false;
  const Atom check = XInternAtom(d.get(), "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  const ::Window named = check_window(d.get(), DefaultRootWindow(d.get()), check);
  if (!named) return false;
  // A stale property outlives its window manager; the live one's window names itself.
  auto* previous = XSetErrorHandler(ignore_errors);
  const bool alive = check_window(d.get(), named, check) == named;
  XSync(d.get(), False);
  XSetErrorHandler(previous);
  return alive;
}
#else
bool x11_window_manager_running() { return false; }
#endif

}  // namespace morvane::runtime
