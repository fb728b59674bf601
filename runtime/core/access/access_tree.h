// The window as a screen reader meets it: one node per control, in tab order, with a
// role, a name and a description from the program's words, states, a place and the
// actions that can be done on it now, plus the sentence said after each change. Made
// from the form, the program's event bindings and its words; kept current by update(),
// which a platform calls after every input (and after perform()) and whose list of
// changes it turns into its own accessibility events.
//
// Platform code never reaches into the window for these facts: what a bridge shows is
// what this tree says. Nodes keep their index for the run (hidden ones stay, marked
// invisible), so a platform may use the index as a child's identity.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/core/access/narration.h"
#include "runtime/core/access/words.h"
#include "runtime/core/controls/events.h"
#include "runtime/core/window/form_window.h"

namespace morvane::runtime::access {

enum class Role : std::uint8_t {
  text,         // a label: read, never focused
  push_button,  // a command button
  image,        // a picture box that does nothing when pressed
  draggable,    // a picture box in automatic drag mode: it can be picked up and put down
  pressable,    // a picture box whose click runs the program's code
};
std::string_view role_id(Role role);  // "text", "push button", "image", "draggable", "pressable"

enum class Action : std::uint8_t {
  press,     // a command button: as Space or Enter on it
  click,     // a pressable picture box: as Space or Enter on it
  pick_up,   // a draggable picture box: as Space or Enter on it
  put_down,  // the picked-up box: put down where the outline is, as Space or Enter then
};
// The action's programmatic name: "press", "click", "pick up", "put down".
std::string_view action_id(Action action);

struct States {
  bool focusable = false;  // it takes the focus (a visible control of a kind that does)
  bool focused = false;
  bool invisible = false;  // hidden: out of the tab order, takes no input
  bool picked_up = false;  // the source of a drag made with the keys
  friend bool operator==(const States&, const States&) = default;
};

struct Node {
  const Control* control = nullptr;  // borrowed; the form owns it for the run
  std::string id;                    // the control's name ("Command1"): stable for the run
  Role role = Role::image;
  std::string name;
  std::string description;
  States states;
  PixelRect place;                   // outer rectangle in client pixels; add the client
                                     // area's screen origin for a place on the screen
  std::vector<Action> actions;       // what perform() takes now, in the enum's order
};

enum class ChangeKind : std::uint8_t {
  focus,        // `node` took the focus (-1: no node has it)
  shown,        // `node` became visible
  hidden,       // `node` was hidden
  name,         // `node`'s name changed
  description,  // `node`'s description changed
  states,       // `node`'s focusable or picked-up state changed
  sentence,     // a new sentence: `text` (also sentence())
};

struct Change {
  ChangeKind kind;
  int node = -1;
  std::string text;  // the sentence, for ChangeKind::sentence
  friend bool operator==(const Change&, const Change&) = default;
};

class AccessTree {
 public:
  // `program` says which events run program code (a picture box whose click does is
  // pressable). The window and the program outlive the tree.
  AccessTree(FormWindow& window, const EventDispatcher& program, Words words);

  std::span<const Node> nodes() const { return nodes_; }
  // The node of the control named `id`, or -1.
  int find(std::string_view id) const;
  int find(const Control* control) const;
  // The focused node, or -1.
  int focused() const { return focused_; }
  // Nodes that Tab visits, in order: the visible focusable ones.
  std::vector<int> tab_order() const;

  // Reads the window again after an input and returns what changed since the last
  // call: the visibility changes, then the focus, names, descriptions and states, and
  // last the sentence, if any. The first call also gives the sentence for the start.
  std::vector<Change> update();
  // The last sentence said (empty before the first update).
  const std::string& sentence() const { return sentence_; }

  // Whether `action` can be done on `node` now, and doing it: the focus moves to the
  // node as Tab would move it (only when it is elsewhere), then the window gets the
  // same key presses that do the action from the keyboard, so it raises the same
  // events. False, and nothing done, when the action is not available now.
  bool can(int node, Action action) const;
  bool perform(int node, Action action);
  // The action's label in the program's words ("Press"), or its id without one.
  std::string action_label(Action action) const;

  // Moves the window's focus to `node` as the keyboard does (the focus ring shows), for
  // a platform whose own focus moved onto the node. False for a node that takes no focus,
  // and while a drag is under way (Tab then does nothing either).
  bool focus(int node);

  const Words& words() const { return words_; }
  // Takes other words (another language): the names and descriptions change at once,
  // and the next update() reports which did; the next sentence is in the new words.
  void set_words(Words words);

 private:
  // Reads the nodes again from the window; with `changes`, appends what changed.
  void update_nodes(std::vector<Change>* changes);
  // Names and describes the nodes from the words, keeping which changed for update().
  void name_nodes();
  States states_of(const Control& c) const;
  std::vector<Action> actions_of(const Control& c) const;

  FormWindow& window_;
  const EventDispatcher& program_;
  Words words_;
  Narration narration_;
  std::vector<Node> nodes_;
  std::vector<Change> renamed_;
  int focused_ = -1;
  std::string sentence_;
};

}  // namespace morvane::runtime::access
