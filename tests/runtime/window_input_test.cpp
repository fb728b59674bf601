// The window's input rules as the events they raise: one event at a time, which
// button ends a drag, makes a click or a double click or pushes a button, and where a
// drop lands in the target's own coordinates; and where the window first appears.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/core/controls/form_object.h"
#include "runtime/core/window/form_window.h"

namespace morvane::runtime {
namespace {

// Logs focus, click and drop events; a click on Picture3 runs a "handler" that hides
// Picture3 (and so moves the focus) and logs its start and end.
struct Recorder final : EventDispatcher {
  std::vector<std::string> log;
  void raise(Control& c, Event e, const EventArgs& a) override {
    switch (e) {
      case Event::got_focus: log.push_back("got_focus " + c.name()); break;
      case Event::lost_focus: log.push_back("lost_focus " + c.name()); break;
      case Event::drag_drop:
        log.push_back("drop " + c.name() + " from " + a.source->name() + " at " + std::to_string(int(a.x)) + "," +
                      std::to_string(int(a.y)));
        break;
      case Event::dbl_click: log.push_back("dbl_click " + c.name()); break;
      case Event::click:
        log.push_back("click " + c.name());
        if (c.name() == "Picture3") {
          c.set_visible(false);
          log.push_back("handler returns");
        }
        break;
      default: break;
    }
  }
};

Ref<FormObject> make_form() {
  auto form = Ref<FormObject>::adopt(new FormObject("Form1", 0x50));
  form->move(0, 0, 9945, 7650);
  // Pixels: Picture1 (10,10) 100x100, Picture2 (200,10) 50x50 dragged automatically,
  // Picture3 (10,150) 100x100; each with a 2-pixel border; Command1 (300,10) 60x30.
  struct Box {
    const char* name;
    int number, tab, x, y, size;
  };
  for (const Box b : {Box{"Picture1", 1, 1, 10, 10, 100}, Box{"Picture2", 2, 2, 200, 10, 50},
                      Box{"Picture3", 3, 3, 10, 150, 100}}) {
    auto box = Ref<PictureBox>::adopt(new PictureBox(b.name, b.number));
    box->move(b.x * 15, b.y * 15, b.size * 15, b.size * 15);
    box->set_tab_index(static_cast<std::int16_t>(b.tab));
    box->set_automatic_drag(b.number == 2);
    form->add_control(Ref<Control>(std::move(box)));
  }
  auto button = Ref<CommandButton>::adopt(new CommandButton("Command1", 4));
  button->move(300 * 15, 10 * 15, 60 * 15, 30 * 15);
  button->set_tab_index(4);
  form->add_control(Ref<Control>(std::move(button)));
  return form;
}

struct Op {
  char what;  // 'd' press, 'm' move, 'u' release
  int x, y, button;
  std::uint64_t time = kNoTime;  // of a press, in milliseconds
};

struct Case {
  const char* name;
  std::vector<Op> ops;
  std::vector<std::string> events;
};

TEST(WindowInput, EventsAndButtonsAndDropCoordinates) {
  const std::vector<Case> cases{
      {"a left click", {{'d', 20, 20, 1}, {'u', 20, 20, 1}}, {"click Picture1"}},
      {"events raised inside a handler wait until it has returned",
       {{'d', 20, 160, 1}, {'u', 20, 160, 1}},
       {"lost_focus Picture1", "got_focus Picture3", "click Picture3", "handler returns", "got_focus Command1"}},
      {"a press of one button with a release of another is no click", {{'d', 20, 20, 1}, {'u', 20, 20, 2}}, {}},
      {"a right press and a left release is no click", {{'d', 20, 20, 2}, {'u', 20, 20, 1}, {'u', 40, 40, 2}}, {}},
      {"the release of the pressed button still clicks after another's",
       {{'d', 20, 20, 1}, {'u', 20, 20, 2}, {'u', 20, 20, 1}},
       {"click Picture1"}},
      {"other buttons during a drag change nothing; the left release drops inside the border",
       {{'d', 210, 20, 1}, {'m', 30, 40, 0}, {'d', 30, 40, 2}, {'u', 30, 40, 2}, {'u', 30, 40, 4}, {'u', 30, 40, 1}},
       {"drop Picture1 from Picture2 at 270,420"}},
      {"a drop on the client area's first pixel is at 0,0", {{'d', 210, 20, 1}, {'u', 12, 12, 1}},
       {"drop Picture1 from Picture2 at 0,0"}},
      {"a drop on the border is at minus a border's width", {{'d', 210, 20, 1}, {'u', 10, 10, 1}},
       {"drop Picture1 from Picture2 at -30,-30"}},
      {"a drop on the bare form is in the form's coordinates", {{'d', 210, 20, 1}, {'u', 300, 300, 1}},
       {"drop Form1 from Picture2 at 4500,4500"}},
      {"a right press on the dragged box starts no drag", {{'d', 210, 20, 2}, {'u', 30, 40, 2}, {'u', 30, 40, 1}},
       {"lost_focus Picture1", "got_focus Picture2"}},
      {"a left click on a push button focuses it and clicks it", {{'d', 310, 20, 1}, {'u', 310, 20, 1}},
       {"lost_focus Picture1", "got_focus Command1", "click Command1"}},
      {"a right or a middle press on a push button neither pushes it nor moves the focus",
       {{'d', 310, 20, 2}, {'u', 310, 20, 2}, {'d', 310, 20, 4}},
       {}},
      {"a right double click on a box is a double click",
       {{'d', 20, 20, 2, 1000}, {'u', 20, 20, 2}, {'d', 21, 20, 2, 1200}, {'u', 21, 20, 2}},
       {"dbl_click Picture1"}},
      {"a box in automatic drag mode raises no double click, whichever button",
       {{'d', 210, 20, 2, 1000}, {'u', 210, 20, 2}, {'d', 210, 20, 2, 1200}, {'u', 210, 20, 2},
        {'d', 210, 20, 4, 1400}, {'u', 210, 20, 4}, {'d', 210, 20, 4, 1600}, {'u', 210, 20, 4}},
       {"lost_focus Picture1", "got_focus Picture2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Recorder recorder;
    FormWindow window(make_form(), recorder);
    for (const Op& op : c.ops) {
      if (op.what == 'd') window.pointer_down(op.x, op.y, op.button, op.time);
      if (op.what == 'm') window.pointer_move(op.x, op.y);
      if (op.what == 'u') window.pointer_up(op.x, op.y, op.button);
    }
    EXPECT_EQ(recorder.log, c.events);
    EXPECT_FALSE(window.dragging());
    EXPECT_EQ(window.pressed(), nullptr);
  }
}

TEST(WindowPlacement, FollowsTheStartUpPosition) {
  using Mode = WindowPlacement::Mode;
  FormObject form("Form1", 0x50);
  form.move(60, 450, 9945, 7650);
  EXPECT_EQ(form.placement(), (WindowPlacement{Mode::system_default, 0, 0})) << "unset: the system's default";
  const std::vector<std::pair<std::uint8_t, WindowPlacement>> cases{
      {0, {Mode::at, 4, 30}}, {1, {Mode::centred, 0, 0}}, {2, {Mode::centred, 0, 0}}, {3, {Mode::system_default, 0, 0}}};
  for (const auto& [value, placement] : cases) {
    form.set_startup_position(value);
    EXPECT_EQ(form.placement(), placement) << int(value);
  }
  EXPECT_THROW(form.set_startup_position(4), RuntimeError);
}

}  // namespace
}  // namespace morvane::runtime
