// A running demonstration on the headless platform, driven by pointer and key input.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/form1.h"
#include "app/project.h"
#include "logic/demonstration_state.h"
#include "runtime/backends/headless/headless_platform.h"

namespace morvane::testing {

struct Point {
  int x;
  int y;
};

class DemoFixture : public ::testing::Test {
 protected:
  void SetUp() override { start(app::enzyme_project()); }

  void start(runtime::Project project) {
    platform_.reset();
    runtime_ = std::make_unique<runtime::Runtime>(std::move(project));
    platform_ = std::make_unique<runtime::HeadlessPlatform>();
    platform_->attach(*runtime_);
  }

  runtime::Runtime& rt() { return *runtime_; }
  runtime::HeadlessPlatform& platform() { return *platform_; }
  runtime::FormObject& form() { return runtime_->form(); }
  runtime::Control& control(const char* name) {
    runtime::Control* c = form().find(name);
    if (!c) throw std::runtime_error(std::string("no control ") + name);
    return *c;
  }
  // The centre of a control, in client pixels.
  Point centre(const char* name) {
    const auto r = control(name).pixel_rect();
    return {r.x + r.w / 2, r.y + r.h / 2};
  }

  // "Start", "Complex", "Product", or the four Visible bits of Picture1..4.
  std::string state() { return logic::demonstration_state(form(), app::kEnzymeBoxes); }

  void click(Point p) { platform().click(p.x, p.y); }
  void drag(Point from, Point to) { platform().drag(from.x, from.y, to.x, to.y); }
  void key(int code, int shift = 0) {
    platform().feed({runtime::InputEvent::Type::key_down, 0, 0, code, shift});
    platform().feed({runtime::InputEvent::Type::key_up, 0, 0, code, shift});
  }
  // Start → Complex by dragging the substrate onto the enzyme.
  void to_complex() { drag(centre("Picture2"), centre("Picture1")); }
  void to_product() {
    to_complex();
    click(centre("Picture4"));
  }

  std::unique_ptr<runtime::Runtime> runtime_;
  std::unique_ptr<runtime::HeadlessPlatform> platform_;
};

}  // namespace morvane::testing
