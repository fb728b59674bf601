// Whether a window manager runs on the X display.
#pragma once

namespace morvane::runtime {

// True when the X display named by the environment has a running window manager,
// as the extended window manager hints announce it (_NET_SUPPORTING_WM_CHECK on the
// root window, naming a window that names itself). False without X support.
bool x11_window_manager_running();

}  // namespace morvane::runtime
