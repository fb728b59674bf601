// The demonstration driven through real pointer and key input on the headless
// platform: every state against every event, routed through the event tables.
#include <cstring>

#include "tests/support/visible_fault.h"
#include "app/project_image_builder.h"
#include "assets/pictures.h"
#include "logic/enzyme_handlers.h"
#include "formats/image_layout.h"
#include "runtime/core/paint/renderer.h"
#include "runtime/core/paint/system_colors.h"
#include "tests/support/demo_fixture.h"

namespace {

using namespace morvane;
using morvane::testing::DemoFixture;
using morvane::testing::Point;

class Demonstration : public DemoFixture {
 protected:
  void go_to(const std::string& s) {
    if (s == "Complex") to_complex();
    if (s == "Product") to_product();
    ASSERT_EQ(state(), s);
  }
  // Reference counts of the form and every control.
  std::vector<std::uint32_t> counts() {
    std::vector<std::uint32_t> c{form().ref_count()};
    for (const auto& ctl : form().controls()) c.push_back(ctl->ref_count());
    return c;
  }
};

TEST_F(Demonstration, StartsInStartStateWithFocusOnPicture1) {
  EXPECT_EQ(state(), "Start");
  ASSERT_NE(rt().window().focus(), nullptr);
  EXPECT_EQ(rt().window().focus()->name(), "Picture1");
  EXPECT_EQ(form().caption(), "What Do Enzymes Do?");
  EXPECT_EQ(rt().window().client_width(), 663);
  EXPECT_EQ(rt().window().client_height(), 510);
}

// The whole transition table: state × {Reset click, drop of the substrate on the
// enzyme, click on the complex}.
struct Transition {
  const char* from;
  const char* event;
  const char* to;
};

class TransitionTable : public Demonstration, public ::testing::WithParamInterface<Transition> {};

TEST_P(TransitionTable, EventMovesToListedState) {
  const Transition t = GetParam();
  go_to(t.from);
  const std::string event = t.event;
  if (event == "reset") click(centre("Command1"));
  if (event == "drop") drag(centre("Picture2"), centre("Picture1"));
  if (event == "complex") click(centre("Picture4"));
  EXPECT_EQ(state(), t.to);
}

// Where an event cannot occur (its control hidden), the same input lands on what
// lies there instead and changes nothing.
INSTANTIATE_TEST_SUITE_P(
    AllStates, TransitionTable,
    ::testing::Values(Transition{"Start", "reset", "Start"}, Transition{"Start", "drop", "Complex"},
                      Transition{"Start", "complex", "Start"}, Transition{"Complex", "reset", "Start"},
                      Transition{"Complex", "drop", "Complex"}, Transition{"Complex", "complex", "Product"},
                      Transition{"Product", "reset", "Start"}, Transition{"Product", "drop", "Product"},
                      Transition{"Product", "complex", "Product"}),
    [](const auto& info) { return std::string(info.param.from) + "_" + info.param.event; });

TEST_F(Demonstration, EventsWithoutHandlersChangeNothing) {
  for (const char* s : {"Start", "Complex", "Product"}) {
    SCOPED_TRACE(s);
    start(app::enzyme_project());
    go_to(s);
    const auto delivered = rt().events_delivered();
    for (const char* name : {"Picture1", "Picture2", "Picture3", "Label1"})
      if (control(name).visible()) click(centre(name));
    click({20, 400});  // the bare form
    key(runtime::keys::tab);
    key('a');
    platform().feed({runtime::InputEvent::Type::resize, 700, 540});
    platform().feed({runtime::InputEvent::Type::resize, 663, 510});
    EXPECT_EQ(state(), s);
    EXPECT_EQ(rt().events_delivered(), delivered) << "no program code may run";
  }
}

TEST_F(Demonstration, SubstrateRaisesNoClickOfItsOwn) {
  const auto delivered = rt().events_delivered();
  click(centre("Picture2"));
  EXPECT_EQ(state(), "Start");
  EXPECT_EQ(rt().events_delivered(), delivered);
}

TEST_F(Demonstration, DropsElsewhereChangeNothing) {
  const Point targets[] = {centre("Label1"), centre("Command1"), centre("Picture2"), {20, 400}, {640, 490}};
  for (const Point& p : targets) {
    drag(centre("Picture2"), p);
    EXPECT_EQ(state(), "Start") << p.x << "," << p.y;
    EXPECT_FALSE(rt().window().dragging());
  }
  // Released outside the client area: no drop at all.
  drag(centre("Picture2"), {900, 900});
  EXPECT_EQ(state(), "Start");
}

TEST_F(Demonstration, DropAnywhereOnEnzymeGivesComplex) {
  const auto r = control("Picture1").pixel_rect();
  // Picture2 overlaps nothing of Picture1; every corner and the middle count.
  const Point corners[] = {{r.x, r.y}, {r.right() - 1, r.y}, {r.x, r.bottom() - 1}, {r.right() - 1, r.bottom() - 1},
                           {r.x + r.w / 2, r.y + r.h / 2}};
  for (const Point& p : corners) {
    start(app::enzyme_project());
    drag(centre("Picture2"), p);
    EXPECT_EQ(state(), "Complex") << p.x << "," << p.y;
  }
}

TEST_F(Demonstration, DragOutlineFollowsPointerKeepingOffset) {
  const auto src = control("Picture2").pixel_rect();
  platform().feed({runtime::InputEvent::Type::pointer_down, src.x + 10, src.y + 20, 1});
  platform().feed({runtime::InputEvent::Type::pointer_move, src.x + 60, src.y + 90});
  const auto outline = rt().window().drag_outline();
  ASSERT_TRUE(outline.has_value());
  EXPECT_EQ(*outline, (runtime::PixelRect{src.x + 50, src.y + 70, src.w, src.h}));
  EXPECT_EQ(control("Picture2").pixel_rect(), src) << "the control itself stays in place";
  platform().feed({runtime::InputEvent::Type::pointer_up, src.x + 60, src.y + 90, 1});
  EXPECT_FALSE(rt().window().drag_outline().has_value());
}

TEST_F(Demonstration, TagsThatAreNotExactlySubstrateChangeNothing) {
  for (const char16_t* tag : {u"", u"Substrate", u"substrate ", u"SUBSTRATE", u"substrat"}) {
    start(app::enzyme_project());
    control("Picture2").set_member(u"Tag", runtime::Variant::from_string(tag));
    to_complex();
    EXPECT_EQ(state(), "Start") << runtime::to_utf8(tag);
  }
}

TEST_F(Demonstration, DoubleClickOnComplexActsAsOneClick) {
  to_complex();
  const Point p = centre("Picture4");
  platform().feed({runtime::InputEvent::Type::pointer_down, p.x, p.y, 1, 0, 1000});
  platform().feed({runtime::InputEvent::Type::pointer_up, p.x, p.y, 1});
  platform().feed({runtime::InputEvent::Type::pointer_down, p.x, p.y, 1, 0, 1100});
  platform().feed({runtime::InputEvent::Type::pointer_up, p.x, p.y, 1});
  EXPECT_EQ(state(), "Product");
}

TEST_F(Demonstration, SubstrateCannotBeDraggedAgainUntilReset) {
  to_product();
  drag({290, 100}, centre("Picture1"));  // where the substrate was: now the product
  EXPECT_EQ(state(), "Product");
  EXPECT_FALSE(rt().window().dragging());
  click(centre("Command1"));
  to_complex();
  EXPECT_EQ(state(), "Complex");
}

TEST_F(Demonstration, KeyboardFocusAndButton) {
  auto focus = [&] { return rt().window().focus() ? rt().window().focus()->name() : std::string("none"); };
  EXPECT_EQ(focus(), "Picture1");
  key(runtime::keys::tab);
  EXPECT_EQ(focus(), "Picture2");
  key(runtime::keys::tab);
  EXPECT_EQ(focus(), "Command1") << "hidden Picture3 and Picture4 are skipped";
  key(runtime::keys::tab);
  EXPECT_EQ(focus(), "Picture1") << "the label takes no focus";
  key(runtime::keys::tab, runtime::shift_state::shift);
  EXPECT_EQ(focus(), "Command1");

  to_complex();
  ASSERT_EQ(state(), "Complex");
  rt().window().set_focus(&control("Command1"));
  key(runtime::keys::space);
  EXPECT_EQ(state(), "Start");
  to_complex();
  rt().window().set_focus(&control("Command1"));
  key(runtime::keys::enter);
  EXPECT_EQ(state(), "Start");
}

TEST_F(Demonstration, HidingTheFocusedControlMovesTheFocusOn) {
  rt().window().set_focus(&control("Picture2"));
  to_complex();
  ASSERT_NE(rt().window().focus(), nullptr);
  EXPECT_TRUE(rt().window().focus()->visible());
}

TEST_F(Demonstration, ClosingEndsTheRunInAnyState) {
  for (const char* s : {"Start", "Complex", "Product"}) {
    start(app::enzyme_project());
    go_to(s);
    platform().feed({runtime::InputEvent::Type::close});
    EXPECT_TRUE(rt().finished());
    EXPECT_EQ(rt().exit_code(), 0);
  }
}

// Routing is data: a copy of the image with one slot cleared disables exactly that event.
TEST_F(Demonstration, ClearedSlotDisablesExactlyThatEvent) {
  const auto original = app::embedded_image();
  const auto project = runtime::read_project(original, app::kDescriptorAddress);
  struct Case {
    const char* control;
    int slot;
  };
  for (const Case c : {Case{"Picture1", 3}, Case{"Picture4", 1}, Case{"Command1", 0}}) {
    SCOPED_TRACE(c.control);
    std::vector<std::uint8_t> copy(original.bytes.begin(), original.bytes.end());
    for (const auto& e : project.controls)
      if (e.name == c.control)
        std::memset(copy.data() + (e.event_table - original.base) + 24 + 4 * c.slot, 0, 4);
    start(app::enzyme_project({copy, original.base}));
    const std::string which = c.control;
    to_complex();
    EXPECT_EQ(state(), which == "Picture1" ? "Start" : "Complex");
    if (which == "Picture1") continue;
    click(centre("Picture4"));
    EXPECT_EQ(state(), which == "Picture4" ? "Complex" : "Product");
    click(centre("Command1"));
    EXPECT_EQ(state(), which == "Command1" ? (which == "Picture4" ? "Complex" : "Product") : "Start");
  }
}

TEST_F(Demonstration, MarkedAndUnmarkedEntryWorkOnTheSameForm) {
  // Through the method entry: the unmarked form.
  const auto project = rt().project_info();
  const auto image = app::embedded_image();
  const std::uint32_t ot = runtime::le32(image.bytes.data() + (image.base + 0x94 + 4 - image.base));
  const std::uint32_t od = runtime::le32(image.bytes.data() + (ot - image.base) + formats::layout::object_table::objects);
  const std::uint32_t methods = runtime::le32(image.bytes.data() + (od - image.base) + formats::layout::object_descriptor::method_list);
  auto method = [&](int i) { return runtime::le32(image.bytes.data() + (methods - image.base) + 4 * i); };

  to_complex();
  // ComplexClick (native index 2) through its method entry, with the unmarked form.
  EXPECT_EQ(rt().call_entry(method(app::kComplexClick), form().instance_address(), {}), 0);
  EXPECT_EQ(state(), "Product");
  // ResetClick through its event entry, with Command1's sink: the entry marks the form.
  const auto& command_entry = project.controls[5];
  EXPECT_EQ(rt().call_entry(command_entry.bound_slot(0)->entry,
                            form().sink_address(command_entry.sink_place), {}),
            0);
  EXPECT_EQ(state(), "Start");
  // And the handler directly, both ways.
  EXPECT_EQ(logic::ComplexClick(form().instance_address() | 1, app::kEnzymeBoxes), 0);
  EXPECT_EQ(logic::ResetClick(form().instance_address(), app::kEnzymeBoxes), 0);
  EXPECT_EQ(state(), "Start");
}

TEST_F(Demonstration, ReferenceCountsReturnAfterEveryHandler) {
  const auto before = counts();
  to_complex();
  EXPECT_EQ(counts(), before);
  click(centre("Picture4"));
  EXPECT_EQ(counts(), before);
  click(centre("Command1"));
  EXPECT_EQ(counts(), before);
  control("Picture2").set_member(u"Tag", runtime::Variant::from_string(u"Substrate"));
  to_complex();
  EXPECT_EQ(counts(), before);
}

// A Visible setter that fails part-way through a handler: the assignments before it
// stay, the failing one and the later ones are not made, and nothing is leaked.
TEST_F(Demonstration, AHandlerFailingPartWayKeepsWhatItDidAndDoesNoMore) {
  struct Case {
    const char* from;
    const char* handler;
    const char* failing;
    const char* after;  // Visible of Picture1..4
  };
  for (const Case& c : {Case{"Product", "ResetClick", "Picture3", "1110"}, Case{"Complex", "ResetClick", "Picture2", "1001"},
                        Case{"Start", "EnzymeDragDrop", "Picture4", "0000"}}) {
    SCOPED_TRACE(std::string(c.handler) + " failing at " + c.failing + " from " + c.from);
    start(app::enzyme_project());
    go_to(c.from);
    const auto before = counts();
    const std::string failing = c.failing;
    const morvane::testing::VisibleFault fault(rt().window(), [failing](runtime::Control& control, runtime::Boolean) {
      return control.name() == failing ? runtime::status::failed : runtime::status::ok;
    });
    // Called directly (unmarked), the caller gets the failing status.
    runtime::Object* const source = &control("Picture2");
    const runtime::Status status = std::string(c.handler) == "ResetClick"
                                       ? logic::ResetClick(form().instance_address(), app::kEnzymeBoxes)
                                       : logic::EnzymeDragDrop(form().instance_address(), app::kEnzymeBoxes, source, 0, 0);
    EXPECT_EQ(status, runtime::status::failed);
    EXPECT_EQ(state(), c.after);
    EXPECT_EQ(counts(), before);
    EXPECT_FALSE(rt().finished());
  }
}

TEST_F(Demonstration, UntrappedErrorFromAnEventEndsTheRunWithItsMessage) {
  to_complex();
  const auto before = counts();
  const morvane::testing::VisibleFault fault(rt().window(), [](runtime::Control& c, runtime::Boolean) {
    return c.name() == "Picture1" ? runtime::status::invalid_value : runtime::status::ok;
  });
  ::testing::internal::CaptureStderr();
  click(centre("Picture4"));  // ComplexClick: Picture4 hidden, Picture3 shown, Picture1 fails
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(rt().finished());
  EXPECT_EQ(rt().exit_code(), 1);
  ASSERT_TRUE(rt().untrapped_error().has_value());
  EXPECT_NE(rt().untrapped_error()->find("Picture1"), std::string::npos) << *rt().untrapped_error();
  EXPECT_NE(err.find("run-time error 0x800A017C in Picture1"), std::string::npos) << err;
  ASSERT_EQ(platform().shown_errors().size(), 1u);
  EXPECT_FALSE(control("Picture4").visible());
  EXPECT_TRUE(control("Picture3").visible());
  EXPECT_EQ(counts(), before);
}

TEST_F(Demonstration, DropOfAnObjectWithoutTagRaisesByNameError) {
  // A source whose by-name read fails: the error comes from the by-name access.
  EXPECT_EQ(logic::EnzymeDragDrop(form().instance_address(), app::kEnzymeBoxes, nullptr, 0, 0), runtime::status::failed);
  runtime::Object* label = &control("Label1");
  EXPECT_EQ(logic::EnzymeDragDrop(form().instance_address(), app::kEnzymeBoxes, label, 0, 0), 0) << "the label's Tag is empty";
  EXPECT_EQ(state(), "Start");
}

// Repainting only what changed must leave the same pixels as painting everything.
// The window loaded from the embedded image and painted: in every state each visible
// picture box's client area holds its bitmap's rows, read straight from the committed
// file at their offsets (bottom-up, 612 bytes a row, blue first), cut where the client
// area ends, and the box's background beyond the picture.
TEST_F(Demonstration, EachPictureBoxShowsItsBitmapRowsInItsClientArea) {
  struct Box {
    const char* name;
    std::span<const std::uint8_t> file;
  };
  const Box boxes[] = {{"Picture1", assets::enzyme_bmp}, {"Picture2", assets::substrate_bmp},
                       {"Picture3", assets::product_bmp}, {"Picture4", assets::complex_bmp}};
  const runtime::SystemColors colours;
  for (const char* s : {"Start", "Complex", "Product"}) {
    start(app::enzyme_project());
    go_to(s);
    const runtime::Framebuffer& fb = platform().framebuffer();
    for (const Box& box : boxes) {
      const runtime::Control& c = control(box.name);
      if (!c.visible()) continue;
      SCOPED_TRACE(std::string(s) + " " + box.name);
      const runtime::PixelRect outer = c.pixel_rect();
      const runtime::PixelRect client{outer.x + 2, outer.y + 2, outer.w - 4, outer.h - 4};
      const std::uint32_t background = colours.resolve(c.back_color());
      int wrong = 0;
      for (int y = 0; y < client.h; ++y)
        for (int x = 0; x < client.w; ++x) {
          std::uint32_t want = background;
          if (x < 203 && y < 203) {
            const std::size_t at = 54 + static_cast<std::size_t>(202 - y) * 612 + 3 * static_cast<std::size_t>(x);
            want = std::uint32_t{box.file[at + 2]} << 16 | std::uint32_t{box.file[at + 1]} << 8 | box.file[at];
          }
          if (fb.at(client.x + x, client.y + y) != want && ++wrong <= 5)
            ADD_FAILURE() << "pixel " << x << "," << y << " of the client area";
        }
      EXPECT_EQ(wrong, 0);
    }
  }
  // Picture2's client area is 197 rows high: the picture's rows 197-202 are cut off,
  // and its right-hand column pair is the box's own (white) background.
  start(app::enzyme_project());
  EXPECT_EQ(control("Picture2").pixel_rect().h - 4, 197);
  EXPECT_EQ(colours.resolve(control("Picture2").back_color()), 0xFFFFFFu);
}

TEST_F(Demonstration, IncrementalRepaintMatchesFullRepaint) {
  auto expect_same = [&](const char* step) {
    runtime::Framebuffer full(rt().window().client_width(), rt().window().client_height());
    runtime::Renderer(platform().colors()).paint(rt().window(), full, full.bounds());
    std::size_t differ = 0;
    for (std::size_t i = 0; i < full.pixels.size(); ++i) differ += full.pixels[i] != platform().framebuffer().pixels[i];
    EXPECT_EQ(differ, 0u) << step;
  };
  const Point from = centre("Picture2");
  platform().feed({runtime::InputEvent::Type::pointer_down, from.x, from.y, 1});
  expect_same("press");
  for (int i = 1; i <= 12; ++i) {
    platform().feed({runtime::InputEvent::Type::pointer_move, from.x + 7 * i, from.y + 19 * i});
    expect_same("drag move");
  }
  platform().feed({runtime::InputEvent::Type::pointer_up, from.x + 84, from.y + 228, 1});
  expect_same("drop");
  click(centre("Picture4"));
  expect_same("complex clicked");
  platform().feed({runtime::InputEvent::Type::pointer_down, 552, 88, 1});
  expect_same("button held");
  platform().feed({runtime::InputEvent::Type::pointer_up, 552, 88, 1});
  expect_same("reset");
}

// Called directly, the error is the caller's status; entered as an event, it goes on.
TEST_F(Demonstration, RefusesAReferenceThatIsNoForm) {
  alignas(8) int not_a_form[8] = {};
  const auto reference = reinterpret_cast<std::uintptr_t>(not_a_form);
  EXPECT_EQ(logic::ResetClick(reference, app::kEnzymeBoxes), runtime::status::failed);
  EXPECT_THROW(logic::ResetClick(reference | 1, app::kEnzymeBoxes), runtime::RuntimeError);
}

}  // namespace
