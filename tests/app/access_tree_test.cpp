// The demonstration's accessible tree with the program's English words: the nodes, and a
// whole lesson played with keys, actions and the mouse, step by step.
#include "runtime/core/access/access_tree.h"

#include <functional>
#include <optional>

#include "tests/support/demo_fixture.h"

namespace {

using namespace morvane;
using morvane::testing::DemoFixture;
using runtime::access::AccessTree;
using runtime::access::Action;
using runtime::access::ChangeKind;
using runtime::access::Role;
namespace keys = runtime::keys;

class AccessTreeTest : public DemoFixture {
 public:
  // For the lesson's steps.
  using DemoFixture::centre;
  using DemoFixture::click;
  using DemoFixture::control;
  using DemoFixture::key;
  using DemoFixture::to_complex;

  void SetUp() override {
    DemoFixture::SetUp();
    tree_.emplace(rt().window(), rt(), runtime::access::Words::from_bytes(rt().words()));
  }
  int node(const char* id) {
    const int n = tree_->find(id);
    if (n < 0) throw std::runtime_error(std::string("no node ") + id);
    return n;
  }
  std::optional<AccessTree> tree_;
};

TEST_F(AccessTreeTest, OneNodePerControlInTabOrderWithItsRoleAndWords) {
  struct Expected {
    const char* id;
    Role role;
    const char* name;
    bool invisible;
    std::vector<Action> actions;
  };
  const std::vector<Expected> expected{
      {"Label1", Role::text, "What Do Enzymes Do?", false, {}},
      {"Picture1", Role::image, "The free enzyme", false, {}},
      {"Picture2", Role::draggable, "The substrate", false, {Action::pick_up}},
      {"Picture3", Role::image, "The product", true, {}},
      {"Picture4", Role::pressable, "The enzyme-substrate complex", true, {}},
      {"Command1", Role::push_button, "Reset", false, {Action::press}},
  };
  ASSERT_EQ(tree_->nodes().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& n = tree_->nodes()[i];
    SCOPED_TRACE(expected[i].id);
    EXPECT_EQ(n.id, expected[i].id);
    EXPECT_EQ(n.role, expected[i].role);
    EXPECT_EQ(n.name, expected[i].name);
    EXPECT_EQ(n.states.invisible, expected[i].invisible);
    EXPECT_EQ(n.states.focusable, n.id != "Label1" && !expected[i].invisible);
    EXPECT_EQ(n.actions, expected[i].actions);
    EXPECT_EQ(n.place, control(expected[i].id).pixel_rect());
    EXPECT_EQ(n.description.empty(), n.id == "Label1");
  }
  EXPECT_EQ(tree_->tab_order(), (std::vector<int>{node("Picture1"), node("Picture2"), node("Command1")}));
  EXPECT_EQ(tree_->focused(), node("Picture1"));
  EXPECT_EQ(tree_->action_label(Action::press), "Press");
}

// A missing message would leave a step unsaid: every place a drag can reach has its words.
TEST_F(AccessTreeTest, TheWordsNameEveryControlAndEveryPlaceADragCanReach) {
  const auto& words = tree_->words();
  std::vector<std::string> places{form().name()};
  for (const auto& c : form().controls()) places.push_back(c->name());
  for (const auto& c : form().controls()) {
    SCOPED_TRACE(c->name());
    EXPECT_TRUE(words.text(c->name() + " name"));
    if (!c->automatic_drag()) continue;
    EXPECT_TRUE(words.text(c->name() + " picked up"));
    EXPECT_TRUE(words.text(c->name() + " cancelled"));
    for (const std::string& p : places) {
      EXPECT_TRUE(words.text(c->name() + " over " + p)) << p;
      EXPECT_TRUE(words.text(c->name() + " put down on " + p)) << p;
    }
  }
  for (Action a : {Action::press, Action::click, Action::pick_up, Action::put_down})
    EXPECT_TRUE(words.text("action " + std::string(runtime::access::action_id(a))));
  for (const char* key : {"Form1 name", "Form1 description", "page switch"}) EXPECT_TRUE(words.text(key)) << key;
}

// A lesson: after each step, where the focus is, who is picked up, and the sentence
// said (none when nothing new is to be said).
struct Step {
  const char* what;
  std::function<void(AccessTreeTest&)> act;
  const char* focus;
  const char* picked_up;  // "" for none
  std::optional<std::string> said;
};

constexpr const char* kStart = "The free enzyme, with its substrate above it.";
constexpr const char* kComplex = "The enzyme-substrate complex: the substrate sits in the enzyme's notch.";
constexpr const char* kProduct = "The free enzyme again, with the product above it.";

TEST_F(AccessTreeTest, ALessonStepByStep) {
  auto press = [](int key, int shift = 0) { return [=](AccessTreeTest& t) { t.key(key, shift); }; };
  auto perform = [](const char* id, Action a) {
    return [=](AccessTreeTest& t) { ASSERT_TRUE(t.tree_->perform(t.node(id), a)) << id; };
  };
  const std::vector<Step> steps{
      {"the start", [](AccessTreeTest&) {}, "Picture1", "", kStart},
      {"Tab", press(keys::tab), "Picture2", "", std::nullopt},
      {"Space picks up", press(keys::space), "Picture2", "Picture2",
       "The substrate is picked up, over its own place. Move it with the arrow keys, put it down with Space or "
       "Enter, or cancel with Escape."},
      {"Shift+Down, still over itself", press(keys::down, runtime::shift_state::shift), "Picture2", "Picture2",
       std::nullopt},
      {"Tab does nothing while dragging", press(keys::tab), "Picture2", "Picture2", std::nullopt},
      {"Shift+Down", press(keys::down, runtime::shift_state::shift), "Picture2", "Picture2", std::nullopt},
      {"Shift+Down onto the enzyme", press(keys::down, runtime::shift_state::shift), "Picture2", "Picture2",
       "Over the free enzyme."},
      {"Right, still over the enzyme", press(keys::right), "Picture2", "Picture2", std::nullopt},
      {"Space puts down", press(keys::space), "Command1", "", std::string("Put down on the free enzyme. ") + kComplex},
      {"Tab to the complex", press(keys::tab), "Picture4", "", std::nullopt},
      {"the complex's click action", perform("Picture4", Action::click), "Command1", "", kProduct},
      {"Reset's press action", perform("Command1", Action::press), "Command1", "", kStart},
      {"the substrate's pick-up action", perform("Picture2", Action::pick_up), "Picture2", "Picture2",
       "The substrate is picked up, over its own place. Move it with the arrow keys, put it down with Space or "
       "Enter, or cancel with Escape."},
      {"Up onto the background", [](AccessTreeTest& t) { for (int i = 0; i < 13; ++i) t.key(keys::up); },
       "Picture2", "Picture2", "Over the empty background."},
      {"the put-down action there", perform("Picture2", Action::put_down), "Picture2", "",
       std::string("Put down on the empty background. ") + kStart},
      {"Space, Escape", [](AccessTreeTest& t) { t.key(keys::space); t.key(keys::escape); }, "Picture2", "",
       std::string("The drag is cancelled. ") + kStart},
      {"a mouse drop says no step", [](AccessTreeTest& t) { t.to_complex(); }, "Command1", "", kComplex},
      {"a mouse click on Reset", [](AccessTreeTest& t) { t.click(t.centre("Command1")); }, "Command1", "", kStart},
      {"a state the program never reaches", [](AccessTreeTest& t) {
         t.control("Picture3").set_visible(true);
         t.control("Picture4").set_visible(true);
       },
       "Command1", "", "The free enzyme. The substrate. The enzyme-substrate complex. The product."},
      {"no picture", [](AccessTreeTest& t) {
         for (const char* n : {"Picture1", "Picture2", "Picture3", "Picture4"}) t.control(n).set_visible(false);
       },
       "Command1", "", "No picture is shown."},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act(*this);
    const auto changes = tree_->update();
    std::optional<std::string> said;
    for (const auto& c : changes)
      if (c.kind == ChangeKind::sentence) said = c.text;
    EXPECT_EQ(said, s.said);
    ASSERT_GE(tree_->focused(), 0);
    EXPECT_EQ(tree_->nodes()[static_cast<std::size_t>(tree_->focused())].id, s.focus);
    for (const auto& n : tree_->nodes()) {
      EXPECT_EQ(n.states.picked_up, n.id == s.picked_up) << n.id;
      EXPECT_EQ(n.states.focused, n.id == s.focus) << n.id;
      EXPECT_EQ(n.states.invisible, !n.control->visible()) << n.id;
    }
  }
}

TEST_F(AccessTreeTest, ChangesNameWhatBecameVisibleAndTheFocus) {
  tree_->update();
  key(keys::tab);
  key(keys::space);
  for (int i = 0; i < 3; ++i) key(keys::down, runtime::shift_state::shift);
  tree_->update();
  EXPECT_FALSE(tree_->can(node("Command1"), Action::press));  // the keys do nothing else while dragging
  EXPECT_FALSE(tree_->focus(node("Command1")));
  key(keys::space);
  const auto changes = tree_->update();
  const std::vector<runtime::access::Change> expected{
      {ChangeKind::hidden, node("Picture1"), {}},
      {ChangeKind::hidden, node("Picture2"), {}},
      {ChangeKind::shown, node("Picture4"), {}},
      {ChangeKind::focus, node("Command1"), {}},
      {ChangeKind::states, node("Picture2"), {}},  // no longer picked up (nor focusable)
      {ChangeKind::states, node("Picture1"), {}},
      {ChangeKind::states, node("Picture4"), {}},
      {ChangeKind::sentence, -1, std::string("Put down on the free enzyme. ") + kComplex},
  };
  EXPECT_EQ(changes.size(), expected.size());
  for (const auto& e : expected) EXPECT_NE(std::find(changes.begin(), changes.end(), e), changes.end()) << int(e.kind) << " " << e.node;
  EXPECT_EQ(changes.back().kind, ChangeKind::sentence);
  EXPECT_TRUE(tree_->update().empty());
  // Focus from a platform: the window's focus and its ring follow.
  EXPECT_TRUE(tree_->focus(node("Picture4")));
  EXPECT_EQ(rt().window().focus()->name(), "Picture4");
  EXPECT_TRUE(rt().window().focus_ring().has_value());
  EXPECT_FALSE(tree_->focus(node("Picture1")));  // hidden
  EXPECT_FALSE(tree_->focus(node("Label1")));
  tree_->update();
  // Other words: what was renamed is reported; a control without words keeps its caption.
  tree_->set_words(runtime::access::Words({"de", {{"Picture1 name", "Das freie Enzym"}}}));
  EXPECT_EQ(tree_->nodes()[static_cast<std::size_t>(node("Picture1"))].name, "Das freie Enzym");
  EXPECT_EQ(tree_->nodes()[static_cast<std::size_t>(node("Command1"))].name, "Reset");
  const auto renamed = tree_->update();
  EXPECT_NE(std::find(renamed.begin(), renamed.end(), runtime::access::Change{ChangeKind::name, node("Picture2"), {}}),
            renamed.end());
  EXPECT_NE(std::find(renamed.begin(), renamed.end(),
                      runtime::access::Change{ChangeKind::description, node("Command1"), {}}),
            renamed.end());
}

}  // namespace
