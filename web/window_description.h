// What the window shows, in words, for the page's live region: which of the
// demonstration's pictures are on screen, and the steps of a drag made with the keys.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/core/controls/form_object.h"
#include "runtime/core/window/form_window.h"

namespace morvane::web {

// One sentence for the pictures that Form1's picture boxes show now. Throws
// std::logic_error when the form lacks one of Picture1 to Picture4.
std::string describe_window(const runtime::FormObject& form);

// Follows the window from input to input and says what a listener needs to hear: what
// the window shows whenever that changes, and for a drag made with the keys, when it is
// picked up, over which box its outline is, and where it is put down (or that it was
// cancelled), followed by what the window then shows.
class Narrator {
 public:
  // The next sentence for the live region, or nothing when it has nothing new to say.
  std::optional<std::string> after_input(const runtime::FormWindow& window);

 private:
  std::string shown_;
  bool dragging_ = false;
  const runtime::Control* over_ = nullptr;
  const runtime::Control* source_ = nullptr;
  std::uint64_t drag_ends_ = 0;
};

}  // namespace morvane::web
