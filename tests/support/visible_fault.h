// A host that stands between a window and its controls for a test and turns the typed
// Visible assignments that `fault` picks into failures; everything else reaches the window.
#pragma once

#include <functional>

#include "runtime/core/window/form_window.h"

namespace morvane::testing {

class VisibleFault final : public runtime::ControlHost {
 public:
  using Fault = std::function<runtime::Status(runtime::Control&, runtime::Boolean)>;

  VisibleFault(runtime::FormWindow& window, Fault fault) : window_(window), fault_(std::move(fault)) {
    for (const auto& c : window_.form().controls()) c->set_host(this);
  }
  ~VisibleFault() override {
    for (const auto& c : window_.form().controls()) c->set_host(&window_);
  }
  VisibleFault(const VisibleFault&) = delete;
  VisibleFault& operator=(const VisibleFault&) = delete;

  void control_changed(runtime::Control& c, runtime::PixelRect area) override { window_.control_changed(c, area); }
  void visibility_changed(runtime::Control& c) override { window_.visibility_changed(c); }
  runtime::Status check_visible_assignment(runtime::Control& c, runtime::Boolean value) override {
    const runtime::Status s = fault_(c, value);
    return runtime::failed(s) ? s : window_.check_visible_assignment(c, value);
  }

 private:
  runtime::FormWindow& window_;
  Fault fault_;
};

}  // namespace morvane::testing
