// The running demonstration under arbitrary input: the invariants that the input
// fuzzer and the soak check, the committed input corpus replayed (every reproducer the
// fuzzer ever found lands there), and the limits on sizes that come from outside.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/support/visible_fault.h"
#include "app/project.h"
#include "app/project_image_builder.h"
#include "form/window_model.h"
#include "runtime/backends/headless/headless_platform.h"
#include "runtime/core/controls/form_loader.h"
#include "runtime/core/project/runtime.h"
#include "tests/robustness/demo_invariants.h"

namespace {

using namespace morvane;
using runtime::InputEvent;

struct Replay {
  std::string broken;                // what broke first, with the event's index
  std::set<std::string> states_seen;  // visibility bits after each event
  bool closed = false;
};

Replay replay(const std::vector<std::uint8_t>& bytes) {
  Replay out;
  runtime::Runtime rt(app::enzyme_project());
  runtime::HeadlessPlatform platform;
  platform.attach(rt);
  const robustness::DemoInvariants invariants(rt);
  robustness::InputDecoder input(bytes, rt.form());
  for (std::size_t i = 0; !input.done() && out.broken.empty(); ++i) {
    const InputEvent e = input.next();
    platform.feed(e);
    out.states_seen.insert(robustness::visibility_bits(rt.form()));
    const std::string broken = invariants.check();
    if (!broken.empty())
      out.broken = "event " + std::to_string(i) + " (" + robustness::input_type_name(e.type) + "): " + broken;
  }
  out.closed = rt.finished();
  return out;
}

std::vector<std::uint8_t> read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class Invariants : public ::testing::Test {
 protected:
  runtime::Runtime rt{app::enzyme_project()};
  runtime::Control& control(const char* name) { return *rt.form().find(name); }
};

TEST_F(Invariants, HoldAtTheStart) {
  const robustness::DemoInvariants invariants(rt);
  EXPECT_EQ(invariants.check(), "");
  EXPECT_EQ(robustness::visibility_bits(rt.form()), "1100");
}

TEST_F(Invariants, ReportAStateOutsideTheThree) {
  const robustness::DemoInvariants invariants(rt);
  control("Picture3").set_visible(true);
  EXPECT_NE(invariants.check().find("visibility 1110 is none of"), std::string::npos) << invariants.check();
}

TEST_F(Invariants, ReportAReferenceHeldOrDroppedTooMany) {
  const robustness::DemoInvariants invariants(rt);
  {
    const auto held = runtime::Ref<runtime::Control>::share(&control("Picture2"));
    EXPECT_NE(invariants.check().find("Picture2 references"), std::string::npos) << invariants.check();
    const auto form = runtime::Ref<runtime::FormObject>::share(&rt.form());
    EXPECT_NE(invariants.check().find("form references"), std::string::npos) << invariants.check();
  }
  EXPECT_EQ(invariants.check(), "");
}

TEST_F(Invariants, ReportARunTimeError) {
  runtime::HeadlessPlatform platform;
  platform.attach(rt);
  const robustness::DemoInvariants invariants(rt);
  const morvane::testing::VisibleFault fault(rt.window(), [](runtime::Control&, runtime::Boolean) { return runtime::status::failed; });
  ::testing::internal::CaptureStderr();
  const auto r = control("Command1").pixel_rect();
  platform.click(r.x + 5, r.y + 5);
  ::testing::internal::GetCapturedStderr();
  EXPECT_NE(invariants.check().find("run-time error"), std::string::npos) << invariants.check();
}

// The decoder's aim reaches the controls: the seed walks through all three states.
TEST(InputCorpus, TheDragClickResetSeedVisitsEveryState) {
  const auto r = replay(read_file(std::filesystem::path(MORVANE_INPUT_CORPUS) / "drag_click_reset.bin"));
  EXPECT_EQ(r.broken, "");
  EXPECT_EQ(r.states_seen, (std::set<std::string>{"1100", "0001", "1010"}));
}

TEST(InputCorpus, EveryCommittedSequenceKeepsTheInvariants) {
  int files = 0;
  for (const auto& f : std::filesystem::directory_iterator(MORVANE_INPUT_CORPUS)) {
    SCOPED_TRACE(f.path().filename().string());
    const auto r = replay(read_file(f.path()));
    EXPECT_EQ(r.broken, "");
    ++files;
  }
  EXPECT_GE(files, 3);
}

TEST(InputCorpus, ACloseEndsTheRunAndLaterInputChangesNothing) {
  // Drag to the complex, close, then click the complex: still the complex, closed.
  const auto seed = read_file(std::filesystem::path(MORVANE_INPUT_CORPUS) / "drag_click_reset.bin");
  std::vector<std::uint8_t> bytes(seed.begin(), seed.begin() + 27);  // the press, two moves, the release
  bytes.push_back(255);                                            // close
  bytes.insert(bytes.end(), seed.begin() + 27, seed.end());         // click the complex, click Reset
  const auto r = replay(bytes);
  EXPECT_EQ(r.broken, "");
  EXPECT_TRUE(r.closed);
  EXPECT_EQ(r.states_seen, (std::set<std::string>{"1100", "0001"}));
}

// Sizes from outside are bounded before anything is allocated for them.
TEST(Sizes, AResizeIsClampedToTheLargestClientArea) {
  runtime::Runtime rt(app::enzyme_project());
  rt.window().resize(1 << 30, -5);
  EXPECT_EQ(rt.window().client_width(), runtime::kMaxClientSide);
  EXPECT_EQ(rt.window().client_height(), 0);
  runtime::HeadlessPlatform platform;
  platform.attach(rt);
  platform.feed({InputEvent::Type::resize, -100, 1 << 30});
  EXPECT_EQ(platform.framebuffer().width, 0);
  EXPECT_EQ(platform.framebuffer().height, runtime::kMaxClientSide);
  platform.feed({InputEvent::Type::resize, 663, 510});
  EXPECT_EQ(platform.framebuffer().width, 663);
}

TEST(Sizes, AFormDescriptionWithAnUnshowableClientAreaIsRefused) {
  const auto image = app::embedded_image();
  const auto project = runtime::read_project(image, app::kDescriptorAddress);
  const form::WindowModel good = runtime::read_form_description(image, project);
  struct Area {
    std::int32_t width, height;
    bool accepted;
  };
  for (const Area a : {Area{9945, 7650, true}, Area{0, 0, true}, Area{16384 * 15, 15, true},
                       Area{16385 * 15, 7650, false}, Area{9945, -15, false}, Area{0x7FFFFFFF, 0x7FFFFFFF, false}}) {
    SCOPED_TRACE(std::to_string(a.width) + " x " + std::to_string(a.height));
    form::WindowModel m = good;
    m.form.properties.set("client_area", form::Rect{60, 450, a.width, a.height});
    if (a.accepted) {
      EXPECT_NO_THROW(runtime::load_form(m, project));
    } else {
      try {
        runtime::load_form(m, project);
        ADD_FAILURE() << "accepted";
      } catch (const runtime::RuntimeError& e) {
        EXPECT_NE(std::string(e.what()).find("expected 0 to 16384 each way"), std::string::npos) << e.what();
      }
    }
  }
}

}  // namespace
