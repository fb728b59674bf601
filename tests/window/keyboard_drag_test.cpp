// The window's keyboard rules for a focused control in automatic drag mode and for a
// focused picture box: each case is a line of input, and what it must raise is either
// spelled out or what a mouse drag released at the given point raises.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/core/controls/form_object.h"
#include "tests/support/form_builder.h"
#include "runtime/core/window/form_window.h"

namespace morvane::runtime {
namespace {

// Keeps the events that say where things went: drops, clicks, focus moves, typed keys.
struct Recorder final : EventDispatcher {
  std::ostringstream log;
  void raise(Control& c, Event e, const EventArgs& a) override {
    switch (e) {
      case Event::drag_drop:
        log << "DragDrop " << c.name() << " <- " << (a.source ? a.source->name() : "?") << " @" << a.x << ","
            << a.y << "; ";
        break;
      case Event::click:
      case Event::got_focus:
      case Event::lost_focus:
      case Event::key_press: log << event_name(e) << " " << c.name() << "; "; break;
      default: break;
    }
  }
};

using morvane::testing::add_control;

// The enzyme window's boxes and button, with the substrate box focused.
struct Bench {
  Recorder events;
  Ref<FormObject> form = Ref<FormObject>::adopt(new FormObject("Form1", 0x50));
  std::unique_ptr<FormWindow> window;
  Bench() {
    form->move(0, 0, 9945, 7650);
    add_control<CommandButton>(*form, "Command1", 1, 5, 7680, 1080, 1215, 495);
    add_control<PictureBox>(*form, "Picture1", 5, 1, 3000, 4080, 4095, 3495);
    add_control<PictureBox>(*form, "Picture2", 4, 2, 2880, 960, 3135, 3015).set_automatic_drag(true);
    window = std::make_unique<FormWindow>(form, events);
    window->set_focus(form->find("Picture2"));
    events.log.str("");
  }
  Control& control(const char* name) { return *form->find(name); }
};

// One input line: words separated by spaces. A key name (Space, Enter, Tab, Esc, Up,
// Down, Left, Right, A) is pressed and released, "S+" before it holds Shift, "hold:"
// presses it without the release (the next "hold:" of the same key is an auto-repeat);
// "click:X,Y" is a left click there; "blur" is the window losing the keyboard;
// "focus:NAME" moves the focus.
void play(Bench& b, const std::string& line) {
  std::istringstream words(line);
  std::string w;
  while (words >> w) {
    if (w.rfind("click:", 0) == 0) {
      const int x = std::stoi(w.substr(6)), y = std::stoi(w.substr(w.find(',') + 1));
      b.window->pointer_down(x, y);
      b.window->pointer_up(x, y);
      continue;
    }
    if (w == "blur") {
      b.window->focus_lost();
      continue;
    }
    if (w.rfind("focus:", 0) == 0) {
      b.window->set_focus(b.form->find(w.substr(6)));
      continue;
    }
    const bool hold = w.rfind("hold:", 0) == 0;
    if (hold) w = w.substr(5);
    const int shift = w.rfind("S+", 0) == 0 ? shift_state::shift : 0;
    if (shift) w = w.substr(2);
    const int key = w == "Space"   ? keys::space
                    : w == "Enter" ? keys::enter
                    : w == "Tab"   ? keys::tab
                    : w == "Esc"   ? keys::escape
                    : w == "Up"    ? keys::up
                    : w == "Down"  ? keys::down
                    : w == "Left"  ? keys::left
                    : w == "Right" ? keys::right
                    : w == "A"     ? 'A'
                                   : -1;
    ASSERT_NE(key, -1) << "unknown word " << w;
    b.window->key_down(key, shift);
    if (!hold) b.window->key_up(key, shift);
  }
}

// What a mouse drag of the substrate from its centre, released at (x, y), raises.
std::string mouse_drop(int x, int y) {
  Bench b;
  const PixelRect r = b.control("Picture2").pixel_rect();
  b.window->pointer_down(r.x + r.w / 2, r.y + r.h / 2);
  b.window->pointer_move(x, y);
  b.window->pointer_up(x, y);
  return b.events.log.str();
}

struct Case {
  const char* what;
  const char* input;
  std::optional<std::pair<int, int>> mouse_release;  // the same as a mouse drop there
  const char* raised = "";                           // otherwise exactly these events
  bool dragging = false;                             // a drag still under way after it
  std::optional<PixelRect> outline = std::nullopt;   // then: a step inside the box's rectangle
};

// The substrate box is 192,64 209x201: its centre 296,164; the enzyme's box 200,272
// 273x233; the button 512,72 81x33. A small step is 8 pixels, a large one 40.
const Case kCases[] = {
    {"Space picks up, Shift+Down three times, Space puts down on the enzyme", "Space S+Down S+Down S+Down Space",
     std::pair{296, 284}},
    {"Enter works as Space, small steps add up", "Enter S+Down S+Down Down Down Down Down Down Right Enter",
     std::pair{304, 284}},
    {"a release over the bare form drops on the form", "Space S+Right S+Right S+Right Space", std::pair{416, 164}},
    {"over the button, the drop goes to the button and clicks nothing",
     "Space S+Right S+Right S+Right S+Right S+Right S+Right S+Up S+Up Space", std::pair{536, 84}},
    {"the outline's centre stays in the window", "Space S+Left S+Left S+Left S+Left S+Left S+Left S+Left S+Left Space",
     std::pair{0, 164}},
    {"put down where it was picked up: a drop on itself", "Space Space", std::pair{296, 164}},
    {"Escape cancels: no drop", "Space S+Down S+Down S+Down Esc", std::nullopt},
    {"a lost window focus cancels", "Space S+Down S+Down S+Down blur", std::nullopt},
    {"a click elsewhere cancels, and does nothing else", "Space S+Down S+Down S+Down click:550,88", std::nullopt},
    {"Tab and other keys do nothing during the drag", "Space S+Down Tab S+Tab A S+Down S+Down Space",
     std::pair{296, 284}},
    {"an auto-repeated Space neither puts down nor picks up again", "hold:Space hold:Space hold:Space", std::nullopt,
     "", true, PixelRect{196, 68, 201, 193}},
    {"picked up and still held, the arrows move it", "Space S+Down S+Down", std::nullopt, "", true,
     PixelRect{196, 148, 201, 193}},
    {"the focus leaving the source cancels", "Space S+Down focus:Picture1", std::nullopt,
     "LostFocus Picture2; GotFocus Picture1; "},
    {"Space on a focused picture box without drag mode clicks it", "focus:Picture1 Space",
     std::nullopt, "LostFocus Picture2; GotFocus Picture1; KeyPress Picture1; Click Picture1; "},
    {"Enter clicks it too; a held Enter clicks once", "focus:Picture1 hold:Enter hold:Enter",
     std::nullopt, "LostFocus Picture2; GotFocus Picture1; KeyPress Picture1; Click Picture1; "},
    {"Space on the button still clicks on release", "focus:Command1 Space", std::nullopt,
     "LostFocus Picture2; GotFocus Command1; KeyPress Command1; Click Command1; "},
};

TEST(KeyboardDrag, FollowsTheMouseRulesFromTheKeys) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    Bench b;
    play(b, c.input);
    const std::string want = c.mouse_release ? mouse_drop(c.mouse_release->first, c.mouse_release->second) : c.raised;
    EXPECT_EQ(b.events.log.str(), want);
    EXPECT_EQ(b.window->keyboard_drag(), c.dragging);
    EXPECT_EQ(b.window->dragging(), c.dragging);
    EXPECT_EQ(b.window->drag_outline(), c.outline);
  }
}

}  // namespace
}  // namespace morvane::runtime
