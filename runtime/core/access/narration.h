// The sentences said after each input, in the program's words: what the window shows
// whenever that changes, and for a drag made with the keys, that it was picked up, over
// which control its outline is, where it was put down (or that it was cancelled),
// followed by what the window then shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/core/access/words.h"
#include "runtime/core/window/form_window.h"

namespace morvane::runtime::access {

// What the window shows now: the "shows ..." sentence of the watched controls that are
// visible, or else each visible one's "... shown" sentence; empty when the words name
// no watched control.
std::string state_sentence(const FormObject& form, const Words& words);

class Narration {
 public:
  // The next sentence, or nothing when there is nothing new to say. A sentence that
  // the words lack is left out, never made up.
  std::optional<std::string> after_input(const FormWindow& window, const Words& words);

 private:
  std::optional<std::string> next(const FormWindow& window, const Words& words);

  std::string shown_;
  bool dragging_ = false;
  const Control* over_ = nullptr;
  std::uint64_t drag_ends_ = 0;
};

}  // namespace morvane::runtime::access
