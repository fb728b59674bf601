#include "runtime/core/access/access_tree.h"

#include "runtime/core/controls/caption_text.h"

#include <algorithm>

namespace morvane::runtime::access {

std::string_view role_id(Role role) {
  switch (role) {
    case Role::text: return "text";
    case Role::push_button: return "push button";
    case Role::image: return "image";
    case Role::draggable: return "draggable";
    case Role::pressable: return "pressable";
  }
  return "image";
}

std::string_view action_id(Action action) {
  switch (action) {
    case Action::press: return "press";
    case Action::click: return "click";
    case Action::pick_up: return "pick up";
    case Action::put_down: return "put down";
  }
  return "press";
}

namespace {

Role role_of(const Control& c, const EventDispatcher& program) {
  switch (c.kind()) {
    case ControlKind::label: return Role::text;
    case ControlKind::command_button: return Role::push_button;
    default: break;
  }
  if (c.automatic_drag()) return Role::draggable;
  if (program.handles(c, Event::click)) return Role::pressable;
  return Role::image;
}

}  // namespace

AccessTree::AccessTree(FormWindow& window, const EventDispatcher& program, Words words)
    : window_(window), program_(program), words_(std::move(words)) {
  // In tab order; controls of one tab index in the form's order.
  std::vector<const Control*> order;
  for (const auto& c : window_.form().controls()) {
    auto at = order.begin();
    while (at != order.end() && (*at)->tab_index() <= c->tab_index()) ++at;
    order.insert(at, c.get());
  }
  nodes_.resize(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    nodes_[i].control = order[i];
    nodes_[i].id = order[i]->name();
    nodes_[i].role = role_of(*order[i], program_);
  }
  name_nodes();
  update_nodes(nullptr);
  renamed_.clear();
}

void AccessTree::set_words(Words words) {
  words_ = std::move(words);
  name_nodes();
}

void AccessTree::name_nodes() {
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    Node& n = nodes_[i];
    const int at = static_cast<int>(i);
    const auto name = words_.text(n.id + " name");
    std::string now = name ? std::string(*name) : (n.control->caption().empty() ? n.id : caption_text(*n.control));
    if (now != n.name) renamed_.push_back({ChangeKind::name, at, {}});
    n.name = std::move(now);
    now = std::string(words_.text(n.id + " description").value_or(""));
    if (now != n.description) renamed_.push_back({ChangeKind::description, at, {}});
    n.description = std::move(now);
  }
}

int AccessTree::find(std::string_view id) const {
  for (std::size_t i = 0; i < nodes_.size(); ++i)
    if (nodes_[i].id == id) return static_cast<int>(i);
  return -1;
}

int AccessTree::find(const Control* control) const {
  if (!control) return -1;
  for (std::size_t i = 0; i < nodes_.size(); ++i)
    if (nodes_[i].control == control) return static_cast<int>(i);
  return -1;
}

std::vector<int> AccessTree::tab_order() const {
  std::vector<int> order;
  for (const Control* c : window_.tab_order()) order.push_back(find(c));
  return order;
}

States AccessTree::states_of(const Control& c) const {
  States s;
  s.invisible = !c.visible();
  s.focusable = c.takes_focus() && c.visible();
  s.focused = window_.focus() == &c;
  s.picked_up = window_.keyboard_drag() && window_.drag_source() == &c;
  return s;
}

std::vector<Action> AccessTree::actions_of(const Control& c) const {
  std::vector<Action> a;
  if (!c.visible()) return a;
  // While a drag is under way, only putting it down is possible (as the keys then do
  // nothing else); a mouse drag owns the window until it ends.
  if (window_.dragging()) {
    if (window_.keyboard_drag() && window_.drag_source() == &c) a.push_back(Action::put_down);
    return a;
  }
  switch (role_of(c, program_)) {
    case Role::push_button: a.push_back(Action::press); break;
    case Role::pressable: a.push_back(Action::click); break;
    case Role::draggable: a.push_back(Action::pick_up); break;
    default: break;
  }
  return a;
}

void AccessTree::update_nodes(std::vector<Change>* changes) {
  std::vector<Change> later;  // names, descriptions and states: after the focus
  later.swap(renamed_);
  const int focused_before = focused_;
  focused_ = -1;
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    Node& n = nodes_[i];
    const Control& c = *n.control;
    const int at = static_cast<int>(i);
    const States s = states_of(c);
    if (changes && s.invisible != n.states.invisible)
      changes->push_back({s.invisible ? ChangeKind::hidden : ChangeKind::shown, at, {}});
    if (changes && (s.picked_up != n.states.picked_up || s.focusable != n.states.focusable))
      later.push_back({ChangeKind::states, at, {}});
    n.states = s;
    n.place = c.pixel_rect();
    n.actions = actions_of(c);
    if (s.focused) focused_ = at;
  }
  if (!changes) return;
  if (focused_ != focused_before) changes->push_back({ChangeKind::focus, focused_, {}});
  changes->insert(changes->end(), later.begin(), later.end());
}

std::vector<Change> AccessTree::update() {
  std::vector<Change> changes;
  update_nodes(&changes);
  if (const auto said = narration_.after_input(window_, words_)) {
    sentence_ = *said;
    changes.push_back({ChangeKind::sentence, -1, sentence_});
  }
  return changes;
}

bool AccessTree::can(int node, Action action) const {
  if (node < 0 || static_cast<std::size_t>(node) >= nodes_.size()) return false;
  const auto a = actions_of(*nodes_[static_cast<std::size_t>(node)].control);
  return std::find(a.begin(), a.end(), action) != a.end();
}

bool AccessTree::perform(int node, Action action) {
  if (!can(node, action)) return false;
  Control* c = window_.form().find(nodes_[static_cast<std::size_t>(node)].id);
  if (action != Action::put_down && window_.focus() != c) window_.set_focus_by_keys(c);
  // Enter does each action from the keyboard; its release ends it, so that a later key
  // is no repeat of it.
  window_.key_down(keys::enter);
  window_.key_up(keys::enter);
  return true;
}

std::string AccessTree::action_label(Action action) const {
  const std::string id(action_id(action));
  return std::string(words_.text("action " + id).value_or(id));
}

bool AccessTree::focus(int node) {
  if (node < 0 || static_cast<std::size_t>(node) >= nodes_.size()) return false;
  Control* c = window_.form().find(nodes_[static_cast<std::size_t>(node)].id);
  if (!c || !c->takes_focus() || !c->visible() || window_.dragging()) return false;
  window_.set_focus_by_keys(c);
  return true;
}

}  // namespace morvane::runtime::access
