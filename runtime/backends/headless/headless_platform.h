// A platform without a display: input is fed by calls, painting goes
// into a framebuffer that can be read or written out as a PNG file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "runtime/backends/shell/platform_shell.h"
#include "runtime/core/project/runtime.h"

namespace morvane::runtime {

struct InputEvent {
  enum class Type { pointer_down, pointer_move, pointer_up, key_down, key_up, resize, close, focus_lost };
  Type type;
  int x = 0;  // pointer position, or new width for resize
  int y = 0;  // new height for resize
  int code = 0;  // button or key
  int shift = 0;
  std::uint64_t time_ms = kNoTime;
};

class HeadlessPlatform final : public Platform {
 public:
  explicit HeadlessPlatform(TextRasterizer* text = nullptr);

  // Binds to a runtime without running a loop; input then goes through feed().
  void attach(Runtime& runtime);
  // Delivers one event and repaints what changed.
  void feed(const InputEvent& event);
  // Convenience: a press, moves in steps and a release.
  void drag(int from_x, int from_y, int to_x, int to_y, int steps = 4);
  void click(int x, int y);

  // Platform: with no one to give input, the run ends as soon as the form is loaded.
  int run(Runtime& runtime) override;
  // Standard error already carries the message; there is no display to show it on.
  void show_fatal(const std::string&) override {}

  const Framebuffer& framebuffer() const { return shell_.framebuffer(); }
  SystemColors& colors() { return shell_.colors(); }
  // Repaints what the window marked dirty.
  void repaint();
  // After a change of colors(): everything is repainted in the new colours.
  void system_colors_changed();
  const std::vector<std::string>& shown_errors() const { return shown_errors_; }

 private:
  Runtime* runtime_ = nullptr;
  PlatformShell shell_;
  std::vector<std::string> shown_errors_;
};

// Writes the framebuffer as an 8-bit RGB PNG; throws std::runtime_error on failure.
void write_png(const Framebuffer& fb, const std::string& path);

}  // namespace morvane::runtime
