// The window's client area as the system's accessibility library sees it: one
// IAccessible whose children are simple elements, numbered from 1 in the order that
// the content gives. It answers from the content at each call, so it never goes stale;
// once the window is gone it answers that the object is no longer there.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

namespace morvane::runtime {

// One child as the system describes it.
struct AccessibleChild {
  long role = ROLE_SYSTEM_GRAPHIC;
  long state = 0;                // STATE_SYSTEM_* bits
  RECT place{};                  // in client coordinates
  std::wstring name, description, default_action;
};

// What the object shows; the platform gives it from the runtime's accessible tree.
class AccessibleContent {
 public:
  virtual ~AccessibleContent() = default;
  // What the client area is for (with the keys that work it).
  virtual std::wstring description() const = 0;
  virtual long child_count() const = 0;
  virtual AccessibleChild child(long id) const = 0;  // 1 .. child_count()
  virtual long focused_child() const = 0;            // 0: none
  // The child's default action, done later from the window's own loop (a client's
  // call must not wait for the program's handlers); false where it has none.
  virtual bool request_default_action(long id) = 0;
  virtual bool request_focus(long id) = 0;
};

// The identifier of IAccessible, defined here: MinGW's is an import thunk on x86-64.
extern const IID kIidAccessible;

// Creates the object with one reference, held by the caller.
IAccessible* make_client_accessible(HWND window, AccessibleContent* content);
// The window is going: the object forgets its content and answers no more.
void disconnect_client_accessible(IAccessible* object);

}  // namespace morvane::runtime
