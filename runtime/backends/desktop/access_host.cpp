#include "runtime/backends/desktop/access_host.h"
#include "runtime/core/controls/caption_text.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace morvane::runtime {
namespace {

namespace am = access_module;

// Whether a session bus or an accessibility bus is named at all: without either there is
// no accessibility bus, and nothing is loaded. The module asks the session bus itself.
bool bus_may_be_there() {
  if (const char* no = std::getenv("NO_AT_BRIDGE"); no && std::string_view(no) == "1") return false;
  return std::getenv("AT_SPI_BUS_ADDRESS") || std::getenv("DBUS_SESSION_BUS_ADDRESS");
}

// The module beside the program (a build tree), or in ../lib/morvane (installed).
void* open_module() {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return nullptr;
  std::string dir(exe, static_cast<std::size_t>(n));
  dir.erase(dir.find_last_of('/'));
  for (const std::string& path : {dir + "/morvane-atk.so", dir + "/../lib/morvane/morvane-atk.so"})
    if (::access(path.c_str(), R_OK) == 0) {
      if (void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return module;
      std::fprintf(stderr, "morvane: the window stays off the accessibility bus: %s\n", dlerror());
      return nullptr;
    }
  return nullptr;
}

am::Role module_role(access::Role r) {
  switch (r) {
    case access::Role::text: return am::Role::label;
    case access::Role::push_button:
    case access::Role::pressable: return am::Role::push_button;
    case access::Role::image:
    case access::Role::draggable: return am::Role::image;
  }
  return am::Role::image;
}

}  // namespace

std::unique_ptr<AccessHost> AccessHost::start(Runtime& runtime, SDL_Window* window) {
  if (!bus_may_be_there()) return nullptr;
  void* module = open_module();
  if (!module) return nullptr;
  auto start = reinterpret_cast<am::StartBridge>(dlsym(module, am::kStartBridgeSymbol));
  if (!start) {
    std::fprintf(stderr, "morvane: the accessibility module has no %s\n", am::kStartBridgeSymbol);
    return nullptr;
  }
  access::AccessTree tree(runtime.window(), runtime, access::Words::from_bytes_or_none(runtime.words()));
  std::unique_ptr<AccessHost> host(new AccessHost(runtime, window, std::move(tree)));
  host->tree_.update();  // the nodes and the sentence for what shows now
  char why[256] = "";
  host->bridge_.reset(start(host.get(), why, sizeof why));
  // The module stays loaded: its libraries cannot be unloaded safely.
  if (!host->bridge_) return nullptr;
  if (host->window_active()) host->window_activated(true);  // a screen reader learns which window is active
  return host;
}

void AccessHost::tell(const std::vector<access::Change>& changes) {
  for (const access::Change& c : changes) {
    switch (c.kind) {
      case access::ChangeKind::focus: bridge_->changed(am::Change::focus, c.node); break;
      case access::ChangeKind::shown: bridge_->changed(am::Change::shown, c.node); break;
      case access::ChangeKind::hidden: bridge_->changed(am::Change::hidden, c.node); break;
      case access::ChangeKind::name: bridge_->changed(am::Change::name, c.node); break;
      case access::ChangeKind::description: bridge_->changed(am::Change::description, c.node); break;
      case access::ChangeKind::states: bridge_->changed(am::Change::states, c.node); break;
      case access::ChangeKind::sentence: bridge_->changed(am::Change::sentence, -1); break;
    }
  }
}

void AccessHost::after_input() { tell(tree_.update()); }

void AccessHost::window_activated(bool active) {
  bridge_->changed(active ? am::Change::window_activated : am::Change::window_deactivated, -1);
}

const char* AccessHost::window_title() {
  title_ = title_text(runtime_.form(), runtime_.project_info().locale);
  return title_.c_str();
}

const char* AccessHost::window_description() {
  text_ = std::string(tree_.words().text("Form1 description").value_or(""));
  return text_.c_str();
}

void AccessHost::window_origin(int* x, int* y) { SDL_GetWindowPosition(window_, x, y); }

bool AccessHost::window_active() { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0; }

int AccessHost::node_count() { return static_cast<int>(tree_.nodes().size()); }

am::Node AccessHost::node(int index) {
  const access::Node& n = tree_.nodes()[static_cast<std::size_t>(index)];
  am::Node out;
  out.role = module_role(n.role);
  out.states = (n.states.focusable ? am::state::focusable : 0u) | (n.states.focused ? am::state::focused : 0u) |
               (n.states.invisible ? am::state::invisible : 0u) | (n.states.picked_up ? am::state::picked_up : 0u);
  out.x = n.place.x;
  out.y = n.place.y;
  out.width = n.place.w;
  out.height = n.place.h;
  out.name = n.name.c_str();
  out.description = n.description.c_str();
  out.action_count = static_cast<int>(n.actions.size());
  return out;
}

std::optional<access::Action> AccessHost::action_at(int index, int action) const {
  if (index < 0 || static_cast<std::size_t>(index) >= tree_.nodes().size()) return std::nullopt;
  const auto& actions = tree_.nodes()[static_cast<std::size_t>(index)].actions;
  if (action < 0 || static_cast<std::size_t>(action) >= actions.size()) return std::nullopt;
  return actions[static_cast<std::size_t>(action)];
}

const char* AccessHost::action_name(int index, int action) {
  const auto a = action_at(index, action);
  text_ = a ? std::string(access::action_id(*a)) : std::string();
  return text_.c_str();
}

const char* AccessHost::action_label(int index, int action) {
  const auto a = action_at(index, action);
  text_ = a ? tree_.action_label(*a) : std::string();
  return text_.c_str();
}

bool AccessHost::do_action(int index, int action) {
  const auto a = action_at(index, action);
  if (!a || !tree_.perform(index, *a)) return false;
  after_input();
  return true;
}

bool AccessHost::take_focus(int index) {
  if (!tree_.focus(index)) return false;
  after_input();
  return true;
}

}  // namespace morvane::runtime
