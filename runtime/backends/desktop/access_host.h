// The desktop window on the accessibility bus: after the first frame, where the session
// has an accessibility bus, the program's accessibility module (morvane-atk.so, beside
// the program or in ../lib/morvane) is loaded and fed from the accessible tree. Where
// there is no bus, nothing is loaded and this costs nothing.
#pragma once

#include <SDL.h>

#include <memory>
#include <optional>
#include <string>

#include "runtime/backends/desktop/access_module.h"
#include "runtime/core/access/access_tree.h"
#include "runtime/core/project/runtime.h"

namespace morvane::runtime {

class AccessHost final : public access_module::Host {
 public:
  // Joins the bus, or returns null (saying why on standard error where it is not just
  // that the session has no bus).
  static std::unique_ptr<AccessHost> start(Runtime& runtime, SDL_Window* window);

  // Reads the window again after input and tells the bus what changed.
  void after_input();
  void window_activated(bool active);
  // Waits for the display (its connection's descriptor) or the bus; true when the bus's
  // work may have changed the window.
  bool wait(int display_fd) { return bridge_->wait(display_fd, -1); }

  // access_module::Host
  const char* window_title() override;
  const char* window_description() override;
  void window_origin(int* x, int* y) override;
  bool window_active() override;
  int node_count() override;
  access_module::Node node(int index) override;
  const char* action_name(int index, int action) override;
  const char* action_label(int index, int action) override;
  bool do_action(int index, int action) override;
  bool take_focus(int index) override;
  const char* sentence() override { return tree_.sentence().c_str(); }

 private:
  AccessHost(Runtime& runtime, SDL_Window* window, access::AccessTree tree)
      : runtime_(runtime), window_(window), tree_(std::move(tree)) {}
  std::optional<access::Action> action_at(int index, int action) const;
  void tell(const std::vector<access::Change>& changes);

  Runtime& runtime_;
  SDL_Window* window_;
  access::AccessTree tree_;
  std::unique_ptr<access_module::Bridge> bridge_;  // made by the module, which stays loaded
  std::string title_, text_;
};

}  // namespace morvane::runtime
