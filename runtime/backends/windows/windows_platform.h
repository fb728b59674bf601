// The Win32 platform: one window of the form's caption whose client area is the
// form's size, a DIB section as the framebuffer (presented on WM_PAINT for the
// rectangles that changed), the mouse captured during a press, the system colours
// read at paint time, and WM_CLOSE ending the run.
#pragma once

#include <string>

#include "runtime/backends/shell/platform_shell.h"
#include "runtime/core/project/runtime.h"

namespace morvane::runtime {

class WindowsPlatform final : public Platform {
 public:
  // Without a text rasterizer the captions are left out.
  explicit WindowsPlatform(TextRasterizer* text = nullptr);

  // Opens the window and runs the message loop until the window is closed; throws
  // std::runtime_error when the window cannot be made.
  int run(Runtime& runtime) override;
  void show_fatal(const std::string& message) override;

 private:
  class Session;
  PlatformShell shell_;
};

// UTF-8 to UTF-16 for the system's wide-character calls.
std::wstring widen(const std::string& utf8);

}  // namespace morvane::runtime
