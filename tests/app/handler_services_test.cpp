// The handler routines of the Windows executable, run here through the services table
// in place of the direct handlers: the same states, the same reference counts, and the
// same errors (an event's goes on to the runtime, a direct call's comes back as status).
#include <functional>
#include <optional>

#include "app/project_image_builder.h"
#include "app/windows/handler_routines.h"
#include "formats/image_layout.h"
#include "tests/support/demo_fixture.h"
#include "tests/support/visible_fault.h"

namespace {

using namespace morvane;

class ThroughServices : public morvane::testing::DemoFixture {
 protected:
  void SetUp() override {
    runtime::Project p = app::enzyme_project();
    p.natives = {runtime::native_routine(&reset_click_routine), runtime::native_routine(&enzyme_drag_drop_routine),
                 runtime::native_routine(&complex_click_routine)};
    start(std::move(p));
  }
  std::vector<std::uint32_t> counts() {
    std::vector<std::uint32_t> c{form().ref_count()};
    for (const auto& ctl : form().controls()) c.push_back(ctl->ref_count());
    return c;
  }
  void fail_visible_of(const char* name, runtime::Status s) {
    fault_.emplace(rt().window(), [name, s](runtime::Control& c, runtime::Boolean) {
      return c.name() == name ? s : runtime::status::ok;
    });
  }
  std::optional<morvane::testing::VisibleFault> fault_;
};

TEST_F(ThroughServices, TheDemonstrationRunsItsStatesAndLeavesTheCountsAsTheyWere) {
  const auto before = counts();
  struct Step {
    const char* what;
    std::function<void()> act;
    const char* state;
  };
  const Step steps[] = {
      {"drop of a source without the tag", [&] { drag(centre("Command1"), centre("Picture1")); }, "Start"},
      {"drop of the substrate", [&] { to_complex(); }, "Complex"},
      {"click on the complex", [&] { click(centre("Picture4")); }, "Product"},
      {"Reset", [&] { click(centre("Command1")); }, "Start"},
  };
  for (const Step& s : steps) {
    s.act();
    EXPECT_EQ(state(), s.state) << s.what;
    EXPECT_EQ(counts(), before) << s.what;
  }
  EXPECT_FALSE(rt().finished());
}

TEST_F(ThroughServices, AnErrorFromAnEventEndsTheRunAndADirectCallGetsItsStatus) {
  to_complex();
  const auto before = counts();
  // ComplexClick entered through its method entry (unmarked): the failing status.
  fail_visible_of("Picture3", runtime::status::invalid_value);
  // The method entries follow the three event entries at the code's start.
  namespace code = formats::layout::code;
  const std::uint32_t method_entry =
      rt().project_info().code_start + app::kNativeCount * code::event_entry_size + app::kComplexClick * code::method_entry_size;
  EXPECT_EQ(rt().call_entry(method_entry, form().instance_address(), {}), runtime::status::invalid_value);
  EXPECT_EQ(counts(), before);
  EXPECT_FALSE(rt().finished());
  // Through the event: the run ends with the error of the failing box.
  fault_.reset();
  click(centre("Command1"));
  to_complex();
  fail_visible_of("Picture3", runtime::status::invalid_value);
  ::testing::internal::CaptureStderr();
  click(centre("Picture4"));
  ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(rt().finished());
  ASSERT_TRUE(rt().untrapped_error().has_value());
  EXPECT_NE(rt().untrapped_error()->find("run-time error 0x800A017C in Picture3"), std::string::npos)
      << *rt().untrapped_error();
  EXPECT_EQ(counts(), before);
}

}  // namespace
