#include "web/window_description.h"

#include <array>
#include <stdexcept>

namespace morvane::web {

namespace {

struct Shown {
  const char* box;
  const char* what;
};

// In the order a sentence names them when the state is none of the three.
constexpr std::array<Shown, 4> kPictures{{
    {"Picture1", "the free enzyme"},
    {"Picture2", "the substrate"},
    {"Picture4", "the enzyme-substrate complex"},
    {"Picture3", "the product"},
}};

// A control by what it shows, for "over ..." and "put down on ...": null is the form.
std::string place(const runtime::Control* c) {
  if (!c) return "the empty background";
  for (const Shown& s : kPictures)
    if (c->name() == s.box) return s.what;
  if (c->kind() == runtime::ControlKind::command_button) return "the " + c->caption() + " button";
  if (c->kind() == runtime::ControlKind::label) return "the title";
  return c->name();
}

std::string capitalised(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

bool visible(const runtime::FormObject& form, const char* name) {
  const runtime::Control* c = form.find(name);
  if (!c) throw std::logic_error(std::string("the form has no ") + name);
  return c->visible();
}

}  // namespace

std::string describe_window(const runtime::FormObject& form) {
  const bool enzyme = visible(form, "Picture1"), substrate = visible(form, "Picture2");
  const bool product = visible(form, "Picture3"), complex = visible(form, "Picture4");
  if (enzyme && substrate && !product && !complex) return "The free enzyme, with its substrate above it.";
  if (!enzyme && !substrate && !product && complex) return "The enzyme-substrate complex: the substrate sits in the enzyme's notch.";
  if (enzyme && !substrate && product && !complex) return "The free enzyme again, with the product above it.";
  std::string list;
  for (const Shown& s : kPictures) {
    if (!visible(form, s.box)) continue;
    if (!list.empty()) list += ", ";
    list += s.what;
  }
  if (list.empty()) return "No picture is shown.";
  return capitalised(list) + ".";
}

std::optional<std::string> Narrator::after_input(const runtime::FormWindow& window) {
  const runtime::DragEnd end = window.last_drag_end();
  const bool ended = end.serial != drag_ends_;
  drag_ends_ = end.serial;
  if (window.keyboard_drag()) {
    const runtime::Control* over = window.drag_target();
    const bool picked_up = !dragging_;
    if (!picked_up && over == over_) return std::nullopt;
    dragging_ = true;
    over_ = over;
    source_ = window.drag_source();
    const std::string where = over == window.drag_source() ? "its own place" : place(over);
    if (picked_up)
      return capitalised(place(window.drag_source())) + " is picked up, over " + where +
             ". Move it with the arrow keys, put it down with Space or Enter, or cancel with Escape.";
    return "Over " + where + ".";
  }
  dragging_ = false;
  std::string now = describe_window(window.form());
  const bool changed = now != shown_;
  shown_ = now;
  if (ended && end.by_keys)
    return (end.dropped ? "Put down on " + (end.target == source_ ? std::string("its own place") : place(end.target)) + ". "
                        : std::string("The drag is cancelled. ")) +
           now;
  if (!changed) return std::nullopt;
  return now;
}

}  // namespace morvane::web
