// What the desktop program and its accessibility module (morvane-atk.so, loaded with
// dlopen after the first frame) say to each other. Both are built from this header by
// the same compiler, but each has its own C++ library, so only plain values and
// pointers to characters cross: no standard library object, no exception.
#pragma once

#include <cstdint>

namespace morvane::runtime::access_module {

enum class Role : int { label, push_button, image, notification };

namespace state {
inline constexpr unsigned focusable = 1u << 0;
inline constexpr unsigned focused = 1u << 1;
inline constexpr unsigned invisible = 1u << 2;
inline constexpr unsigned picked_up = 1u << 3;
}  // namespace state

// One node of the window, as it is now. The texts stay valid until the host's next call.
struct Node {
  Role role = Role::image;
  unsigned states = 0;
  int x = 0, y = 0, width = 0, height = 0;  // in the window's client pixels
  const char* name = "";
  const char* description = "";
  int action_count = 0;
};

// The program's side, called by the module from the program's one thread.
class Host {
 public:
  virtual const char* window_title() = 0;
  // What the window is for (with the keys that work it).
  virtual const char* window_description() = 0;
  // Where the client area's top-left corner is on the screen.
  virtual void window_origin(int* x, int* y) = 0;
  virtual bool window_active() = 0;
  virtual int node_count() = 0;
  virtual Node node(int index) = 0;
  // The action's name for programs ("press") and as a screen reader says it ("Press").
  virtual const char* action_name(int index, int action) = 0;
  virtual const char* action_label(int index, int action) = 0;
  // Done through the window's input rules; false where the node cannot do it now.
  virtual bool do_action(int index, int action) = 0;
  virtual bool take_focus(int index) = 0;
  // The last sentence said, "" before the first.
  virtual const char* sentence() = 0;

 protected:
  ~Host() = default;
};

// What changed, for the module to tell the bus.
enum class Change : int { focus, shown, hidden, name, description, states, sentence, window_activated, window_deactivated };

// The module's side.
class Bridge {
 public:
  virtual ~Bridge() = default;
  virtual void changed(Change change, int index) = 0;
  // Waits until the display's connection `display_fd` can be read, the module has work,
  // or timeout_ms has passed (-1: no limit); does the module's work. True when it did
  // some (the window may have changed).
  virtual bool wait(int display_fd, int timeout_ms) = 0;
};

// The module's one exported routine: joins the accessibility bus, or returns null
// (with the reason in `why`, up to `why_size` characters) where the session has none.
using StartBridge = Bridge* (*)(Host* host, char* why, int why_size);
inline constexpr const char* kStartBridgeSymbol = "morvane_start_access_bridge";

}  // namespace morvane::runtime::access_module
