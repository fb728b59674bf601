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
  list[0] = static_cast<char>(list[0] - 'a' + 'A');
  return list + ".";
}

}  // namespace morvane::web
