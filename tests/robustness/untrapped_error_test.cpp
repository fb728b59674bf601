// An untrapped run-time error from a handler, through the whole life of the program:
// the start routine prints the error's message, frees the form, its controls and the
// runtime, and ends the process with exit code 1. Under AddressSanitizer a leak on this
// path turns the exit code into LeakSanitizer's, so the test fails.
#include <gtest/gtest.h>

#include "tests/support/visible_fault.h"
#include "app/project.h"
#include "runtime/backends/headless/headless_platform.h"
#include "runtime/core/project/runtime.h"

namespace {

using namespace morvane;

// Runs the window the way a platform does, with a Visible setter that fails on `failing`,
// and clicks the given control.
class FaultyPlatform final : public runtime::Platform {
 public:
  FaultyPlatform(const char* failing, const char* clicked) : failing_(failing), clicked_(clicked) {}

  int run(runtime::Runtime& rt) override {
    runtime::HeadlessPlatform screen;
    screen.attach(rt);
    const std::string failing = failing_;
    const morvane::testing::VisibleFault fault(rt.window(), [failing](runtime::Control& c, runtime::Boolean) {
      return c.name() == failing ? runtime::status::invalid_value : runtime::status::ok;
    });
    const auto r = rt.form().find(clicked_)->pixel_rect();
    screen.click(r.x + r.w / 2, r.y + r.h / 2);
    // The error closed the window; further input reaches nothing.
    screen.click(r.x + r.w / 2, r.y + r.h / 2);
    return rt.finished() ? rt.exit_code() : 0;
  }
  void show_fatal(const std::string&) override {}

 private:
  const char* failing_;
  const char* clicked_;
};

TEST(UntrappedErrorDeathTest, ResetClickFailingEndsTheProcessWithTheErrorsMessage) {
  EXPECT_EXIT(
      {
        FaultyPlatform platform("Picture3", "Command1");
        runtime::ThunRTMain(app::enzyme_project(), platform);
      },
      ::testing::ExitedWithCode(1), "morvane: run-time error 0x800A017C in Picture3: ");
}

TEST(UntrappedErrorDeathTest, TheDropFailingHalfWayEndsTheProcessToo) {
  // EnzymeDragDrop hides Picture2 by name, then fails on Picture1's typed assignment.
  class DropPlatform final : public runtime::Platform {
   public:
    int run(runtime::Runtime& rt) override {
      runtime::HeadlessPlatform screen;
      screen.attach(rt);
      const morvane::testing::VisibleFault fault(rt.window(), [](runtime::Control& c, runtime::Boolean) {
        return c.name() == "Picture1" ? runtime::status::invalid_value : runtime::status::ok;
      });
      const auto from = rt.form().find("Picture2")->pixel_rect();
      const auto to = rt.form().find("Picture1")->pixel_rect();
      screen.drag(from.x + 20, from.y + 20, to.x + 20, to.y + 20);
      return rt.exit_code();
    }
    void show_fatal(const std::string&) override {}
  };
  EXPECT_EXIT(
      {
        DropPlatform platform;
        runtime::ThunRTMain(app::enzyme_project(), platform);
      },
      ::testing::ExitedWithCode(1), "morvane: run-time error 0x800A017C in Picture1: ");
}

}  // namespace
