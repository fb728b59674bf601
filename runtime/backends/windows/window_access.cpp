#include "runtime/backends/windows/window_access.h"

#include <oleacc.h>

#include "runtime/backends/windows/windows_platform.h"

namespace morvane::runtime {
namespace {

long system_role(access::Role role) {
  switch (role) {
    case access::Role::text: return ROLE_SYSTEM_STATICTEXT;
    case access::Role::push_button:
    case access::Role::pressable: return ROLE_SYSTEM_PUSHBUTTON;
    case access::Role::image:
    case access::Role::draggable: return ROLE_SYSTEM_GRAPHIC;
  }
  return ROLE_SYSTEM_GRAPHIC;
}

long system_state(const access::Node& n) {
  long s = 0;
  if (n.role == access::Role::text) s |= STATE_SYSTEM_READONLY;
  if (n.states.focusable) s |= STATE_SYSTEM_FOCUSABLE;
  if (n.states.focused) s |= STATE_SYSTEM_FOCUSED;
  if (n.states.invisible) s |= STATE_SYSTEM_INVISIBLE;
  // The system has no state for an object that is being dragged; selected is the nearest.
  if (n.states.picked_up) s |= STATE_SYSTEM_SELECTED;
  return s;
}

}  // namespace

long WindowAccess::child_count() const { return alert_id(); }

std::wstring WindowAccess::description() const {
  return widen(std::string(tree_.words().text("Form1 description").value_or("")));
}

AccessibleChild WindowAccess::child(long id) const {
  AccessibleChild c;
  if (id == alert_id()) {
    c.role = ROLE_SYSTEM_ALERT;
    c.name = widen(tree_.sentence());
    c.state = STATE_SYSTEM_READONLY | (tree_.sentence().empty() ? STATE_SYSTEM_INVISIBLE : 0);
    return c;
  }
  const access::Node& n = tree_.nodes()[static_cast<std::size_t>(id - 1)];
  c.role = system_role(n.role);
  c.state = system_state(n);
  c.place = RECT{n.place.x, n.place.y, n.place.right(), n.place.bottom()};
  c.name = widen(n.name);
  c.description = widen(n.description);
  if (!n.actions.empty()) c.default_action = widen(tree_.action_label(n.actions.front()));
  return c;
}

bool WindowAccess::request_default_action(long id) {
  if (id < 1 || id >= alert_id()) return false;
  const access::Node& n = tree_.nodes()[static_cast<std::size_t>(id - 1)];
  if (n.actions.empty()) return false;
  // The action as it is named now: if the node changes before the message comes, the
  // tree refuses it.
  PostMessageW(window_, kDoAction, static_cast<WPARAM>(id - 1), static_cast<LPARAM>(n.actions.front()));
  return true;
}

bool WindowAccess::request_focus(long id) {
  if (id < 1 || id >= alert_id() || !tree_.nodes()[static_cast<std::size_t>(id - 1)].states.focusable) return false;
  PostMessageW(window_, kTakeFocus, static_cast<WPARAM>(id - 1), 0);
  return true;
}

void WindowAccess::handle_posted(UINT message, WPARAM wp, LPARAM lp) {
  const int node = static_cast<int>(wp);
  if (message == kDoAction) tree_.perform(node, static_cast<access::Action>(lp));
  else if (message == kTakeFocus) tree_.focus(node);
  after_input();
}

void WindowAccess::window_focused() {
  raise(EVENT_OBJECT_FOCUS, focused_child() > 0 ? focused_child() : CHILDID_SELF);
}

void WindowAccess::after_input() {
  for (const access::Change& c : tree_.update()) {
    const long child = c.node + 1;
    switch (c.kind) {
      case access::ChangeKind::focus:
        // Only the window that has the keyboard says where its focus is.
        if (GetFocus() == window_) raise(EVENT_OBJECT_FOCUS, c.node >= 0 ? child : CHILDID_SELF);
        break;
      case access::ChangeKind::shown: raise(EVENT_OBJECT_SHOW, child); break;
      case access::ChangeKind::hidden: raise(EVENT_OBJECT_HIDE, child); break;
      case access::ChangeKind::name: raise(EVENT_OBJECT_NAMECHANGE, child); break;
      case access::ChangeKind::description: raise(EVENT_OBJECT_DESCRIPTIONCHANGE, child); break;
      case access::ChangeKind::states: raise(EVENT_OBJECT_STATECHANGE, child); break;
      case access::ChangeKind::sentence:
        raise(EVENT_OBJECT_NAMECHANGE, alert_id());
        raise(EVENT_SYSTEM_ALERT, alert_id());
        break;
    }
  }
}

}  // namespace morvane::runtime
