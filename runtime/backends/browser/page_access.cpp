#include "runtime/backends/browser/page_access.h"

#include <emscripten.h>

#include <string>

namespace {

// `words` holds the page's own words, each ending in a zero byte: its title, the
// drawing area's name, its description and instruction, the switch's and the picker's labels.
EM_JS(int, morvane_access_begin, (int width, int height, const char* words, int count), {
  var access = window.morvaneAccess;
  if (!access) return 0;
  access.begin(width, height, new TextDecoder().decode(HEAPU8.subarray(words, words + count)).split(String.fromCharCode(0)));
  return 1;
});

EM_JS(void, morvane_access_node, (int index, int role, const char* name, const char* description, int hidden,
                                  int focusable, int picked_up, int x, int y, int w, int h), {
  window.morvaneAccess.node(index, role, UTF8ToString(name), UTF8ToString(description), !!hidden, !!focusable,
                            !!picked_up, x, y, w, h);
});

EM_JS(void, morvane_access_focus, (int index, int first), { window.morvaneAccess.focus(index, !!first); });
EM_JS(void, morvane_access_say, (const char* text), { window.morvaneAccess.say(UTF8ToString(text)); });
EM_JS(void, morvane_access_end, (), { if (window.morvaneAccess) window.morvaneAccess.end(); });

// The drawing area's description tells the keys, then the pointer.
constexpr const char* kPageWords[] = {"page title", "page canvas name", "Form1 description", "page canvas instruction",
                                      "page switch", "page language"};

}  // namespace

namespace morvane::runtime {

PageAccess::PageAccess(access::AccessTree& tree, int client_width, int client_height) : tree_(tree) {
  std::string words;
  for (const char* key : kPageWords) (words += tree_.words().text(key).value_or("")) += '\0';
  on_page_ = morvane_access_begin(client_width, client_height, words.data(), static_cast<int>(words.size())) != 0;
}

PageAccess::~PageAccess() {
  if (on_page_) morvane_access_end();
}

void PageAccess::put_nodes() {
  const auto nodes = tree_.nodes();
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const access::Node& n = nodes[i];
    morvane_access_node(static_cast<int>(i), static_cast<int>(n.role), n.name.c_str(), n.description.c_str(),
                        n.states.invisible, n.states.focusable, n.states.picked_up, n.place.x, n.place.y, n.place.w,
                        n.place.h);
  }
}

void PageAccess::update() {
  const std::vector<access::Change> changes = tree_.update();
  if (!on_page_ || (changes.empty() && !first_)) return;
  put_nodes();
  // Each time, so that a focused element that was just hidden hands the focus on.
  morvane_access_focus(tree_.focused(), first_ ? 1 : 0);
  first_ = false;
  for (const access::Change& c : changes)
    if (c.kind == access::ChangeKind::sentence) morvane_access_say(c.text.c_str());
}

}  // namespace morvane::runtime
