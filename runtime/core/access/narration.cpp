#include "runtime/core/access/narration.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace morvane::runtime::access {

namespace {

constexpr std::string_view kShows = "shows";
constexpr std::string_view kShown = " shown";

std::vector<std::string_view> split_names(std::string_view list) {
  std::vector<std::string_view> names;
  while (!list.empty()) {
    const std::size_t space = list.find(' ');
    const std::string_view name = list.substr(0, space);
    if (!name.empty()) names.push_back(name);
    if (space == std::string_view::npos) break;
    list.remove_prefix(space + 1);
  }
  return names;
}

// The names after "shows", or nothing for another key.
std::optional<std::vector<std::string_view>> shows_key(std::string_view key) {
  if (key.substr(0, kShows.size()) != kShows) return std::nullopt;
  if (key.size() > kShows.size() && key[kShows.size()] != ' ') return std::nullopt;
  return split_names(key.substr(kShows.size()));
}

bool is_shown_key(std::string_view key) {
  return key.size() > kShown.size() && key.substr(key.size() - kShown.size()) == kShown &&
         key.find(' ') == key.size() - kShown.size();
}

// The key's word for a control: its name, or the form's for the bare background.
std::string_view key_name(const Control* c, const FormWindow& window) { return c ? c->name() : window.form().name(); }

std::string joined(std::string_view first, std::string_view second) {
  std::string s(first);
  if (!s.empty() && !second.empty()) s += ' ';
  s += second;
  return s;
}

// The words for "<source><what><target>", or nothing.
std::string say(const Words& words, const Control& source, const char* what, std::string_view target = {}) {
  std::string key(source.name());
  key += what;
  key += target;
  return std::string(words.text(key).value_or(""));
}

}  // namespace

std::string state_sentence(const FormObject& form, const Words& words) {
  // The watched controls, and which of them show now.
  std::vector<std::string_view> watched;
  auto watch = [&](std::string_view name) {
    if (std::find(watched.begin(), watched.end(), name) == watched.end()) watched.push_back(name);
  };
  for (const formats::WordEntry& e : words.entries()) {
    if (const auto names = shows_key(e.key))
      for (std::string_view n : *names) watch(n);
    else if (is_shown_key(e.key))
      watch(std::string_view(e.key).substr(0, e.key.size() - kShown.size()));
  }
  if (watched.empty()) return {};
  auto visible = [&](std::string_view name) {
    const Control* c = form.find(name);
    return c && c->visible();
  };
  for (const formats::WordEntry& e : words.entries()) {
    const auto names = shows_key(e.key);
    if (!names) continue;
    const bool match = std::all_of(watched.begin(), watched.end(), [&](std::string_view w) {
      return visible(w) == (std::find(names->begin(), names->end(), w) != names->end());
    });
    if (match) return e.text;
  }
  std::string said;
  for (const formats::WordEntry& e : words.entries())
    if (is_shown_key(e.key) && visible(std::string_view(e.key).substr(0, e.key.size() - kShown.size())))
      said = joined(said, e.text);
  return said;
}

std::optional<std::string> Narration::after_input(const FormWindow& window, const Words& words) {
  std::optional<std::string> said = next(window, words);
  if (said && said->empty()) return std::nullopt;
  return said;
}

std::optional<std::string> Narration::next(const FormWindow& window, const Words& words) {
  const DragEnd end = window.last_drag_end();
  const bool ended = end.serial != drag_ends_;
  drag_ends_ = end.serial;
  if (window.keyboard_drag()) {
    const Control* over = window.drag_target();
    const bool picked_up = !dragging_;
    if (!picked_up && over == over_) return std::nullopt;
    dragging_ = true;
    over_ = over;
    const Control& source = *window.drag_source();
    const std::string over_sentence = say(words, source, " over ", key_name(over, window));
    if (picked_up) return joined(say(words, source, " picked up"), over == &source ? std::string() : over_sentence);
    return over_sentence;
  }
  dragging_ = false;
  std::string now = state_sentence(window.form(), words);
  const bool changed = now != shown_;
  shown_ = now;
  if (ended && end.by_keys && end.source) {
    const std::string first = end.dropped ? say(words, *end.source, " put down on ", key_name(end.target, window))
                                          : say(words, *end.source, " cancelled");
    return joined(first, now);
  }
  if (!changed) return std::nullopt;
  return now;
}

}  // namespace morvane::runtime::access
