#include "runtime/backends/browser/page_access.h"

#include <emscripten.h>

#include <string>

namespace {

EM_JS(int, morvane_access_begin, (int width, int height, const char* name, const char* description,
                                   const char* switch_label), {
  var access = window.morvaneAccess;
  if (!access) return 0;
  access.begin(width, height, UTF8ToString(name), UTF8ToString(description), UTF8ToString(switch_label));
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

std::string word(const morvane::runtime::access::Words& words, const char* key) {
  return std::string(words.text(key).value_or(""));
}

}  // namespace

namespace morvane::runtime {

PageAccess::PageAccess(access::AccessTree& tree, int client_width, int client_height) : tree_(tree) {
  const access::Words& words = tree_.words();
  on_page_ = morvane_access_begin(client_width, client_height, word(words, "Form1 name").c_str(),
                                  word(words, "Form1 description").c_str(), word(words, "page switch").c_str()) != 0;
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
