// The window's accessible tree as the system's accessibility library sees it: one child
// per node, numbered from 1 in the tree's order, and one more, an alert whose name is
// the last sentence. After each input the tree's changes become the system's events:
// focus, show, hide, name, description and state changes, and for a new sentence a
// name change and an alert of that last child, which screen readers read out.
#pragma once

#include <windows.h>

#include "runtime/backends/windows/client_accessible.h"
#include "runtime/core/access/access_tree.h"

namespace morvane::runtime {

class WindowAccess final : public AccessibleContent {
 public:
  // Actions and focus moves asked for by a client are posted to `window` as these
  // messages and done by handle_posted() from the window's loop.
  static constexpr UINT kDoAction = WM_APP + 1;
  static constexpr UINT kTakeFocus = WM_APP + 2;

  WindowAccess(access::AccessTree tree, HWND window) : tree_(std::move(tree)), window_(window) {}

  // Reads the window again and raises the events for what changed.
  void after_input();
  void handle_posted(UINT message, WPARAM wp, LPARAM lp);
  // The system's focus event for the focused child, as the window gains the keyboard.
  void window_focused();

  // AccessibleContent
  std::wstring description() const override;
  long child_count() const override;
  AccessibleChild child(long id) const override;
  long focused_child() const override { return tree_.focused() + 1; }
  bool request_default_action(long id) override;
  bool request_focus(long id) override;

 private:
  long alert_id() const { return static_cast<long>(tree_.nodes().size()) + 1; }
  void raise(DWORD event, long child) { NotifyWinEvent(event, window_, OBJID_CLIENT, child); }

  access::AccessTree tree_;
  HWND window_;
};

}  // namespace morvane::runtime
