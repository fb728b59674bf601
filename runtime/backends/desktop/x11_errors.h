// X protocol errors that the window's own closing can cause and that mean nothing.
#pragma once

namespace morvane::runtime {

// SDL wakes its event wait by sending an event to its own window over a second
// connection to the X server. When that request and the window's destruction travel
// on different connections, the server may take the destruction first and answer the
// send with BadWindow, which Xlib's default handler turns into "X Error" and exit 1,
// long after the window was closed. This installs (process-wide, before SDL starts on
// X11) a handler that drops exactly that error and hands every other one to the
// handler that was there before. Does nothing without X support.
void ignore_sends_to_destroyed_windows();

}  // namespace morvane::runtime
