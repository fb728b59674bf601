// When the connection to the X display breaks while the window is open (the server
// ends or crashes), Xlib calls its I/O error handler, which must not return: Xlib ends
// the process itself if it does, with a message of its own. The handler installed here
// says what happened in one line of the program's own and ends the process at once
// with exit code 1, touching nothing of the lost display again.
#pragma once

namespace morvane::runtime {

// Installs the handler when SDL runs on X11; does nothing on other drivers.
void end_cleanly_on_display_loss();

}  // namespace morvane::runtime
