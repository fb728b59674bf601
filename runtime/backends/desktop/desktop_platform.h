// The desktop platform: one SDL window of the form's caption and client size,
// the framebuffer shown unscaled at its top-left through the window surface, and
// SDL's mouse, keyboard and window events fed to the runtime's window. It waits for
// events while nothing happens, and closing the window ends the run.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "runtime/backends/shell/platform_shell.h"
#include "runtime/core/project/runtime.h"

namespace morvane::runtime {

class DesktopPlatform final : public Platform {
 public:
  // Without a text rasterizer the captions are left out.
  explicit DesktopPlatform(TextRasterizer* text = nullptr);

  // The window's icon: `side` x `side` pixels of 8-bit RGBA, top row first, which must
  // stay valid until run() ends.
  void set_icon(std::span<const std::uint8_t> rgba, int side) {
    icon_rgba_ = rgba;
    icon_side_ = side;
  }

  // Opens the window and runs the message loop until the window is closed. Throws
  // std::runtime_error when no window can be opened (no display, say).
  int run(Runtime& runtime) override;
  // Shows a message that the program cannot start.
  void show_fatal(const std::string& message) override;

  SystemColors& colors() { return shell_.colors(); }

 private:
  class Session;
  void show_message(const std::string& title, const std::string& message, void* parent);

  PlatformShell shell_;
  std::span<const std::uint8_t> icon_rgba_;
  int icon_side_ = 0;
  bool no_display_ = false;
};

// Whether message boxes are shown: only where a window manager (or a compositor)
// runs, since without one nobody can see the box to close it and it would hold the
// program for ever. Standard error gets every message in any case.
bool message_boxes_can_be_shown();

}  // namespace morvane::runtime
