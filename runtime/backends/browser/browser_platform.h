// A platform for a web page: shows the window's framebuffer on a <canvas> at the
// form's client size, putting only what was repainted once per animation frame; turns
// the page's pointer events (mouse, touch and pen alike, with pointer capture) and key
// events into the window's input; and leaves the loop to the browser. A page has no
// close: the run only ends with an untrapped error, whose message the page shows.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/backends/browser/page_access.h"
#include "runtime/backends/browser/pending_area.h"
#include "runtime/backends/shell/platform_shell.h"
#include "runtime/core/access/access_tree.h"
#include "runtime/core/project/runtime.h"

namespace morvane::runtime {

enum class PointerPhase { down = 0, move = 1, up = 2, cancel = 3 };

class BrowserPlatform final : public Platform {
 public:
  // `canvas_selector` finds the page's canvas (a CSS selector). Captions are left out
  // without a text rasterizer.
  explicit BrowserPlatform(TextRasterizer* text = nullptr, std::string canvas_selector = "#morvane-canvas");
  ~BrowserPlatform() override;
  BrowserPlatform(const BrowserPlatform&) = delete;
  BrowserPlatform& operator=(const BrowserPlatform&) = delete;

  // Called once the window shows at the start and after each input event, when the
  // window has been repainted (the page's description of what it shows hangs here).
  void set_observer(std::function<void(Runtime&)> observer) { observer_ = std::move(observer); }

  // Loads the project into a runtime that the platform keeps for the page's life,
  // attaches to it and returns: every later event comes from the browser. A program
  // that cannot start shows why on the page instead (and on stderr).
  void start(Project project);
  // The same with a runtime already made (one made as the module was built).
  void start(std::unique_ptr<Runtime> runtime);
  // Binds to the runtime, sizes the canvas, paints the whole window and listens to the
  // page. One platform serves one runtime; the page's listeners reach the last attached.
  void attach(Runtime& runtime);
  // Platform: the page's events reach the runtime after any call has returned, so a
  // runtime lent for the length of a call cannot serve; throws std::logic_error (use
  // start, which keeps its runtime).
  int run(Runtime& runtime) override;
  void show_fatal(const std::string& message) override;

  // Input from the page, in client pixels. `button` is the window's: 1 left, 2 right,
  // 4 middle. A cancelled pointer ends a drag without a drop and a press without a click.
  void pointer(PointerPhase phase, int x, int y, int button, double time_ms);
  // False when the page should do what the key does itself: Tab, where the page's
  // elements mirror the window (the page's own Tab order then runs through them), except
  // while a drag made with the keys is under way.
  bool key(bool down, int key, int shift);
  // The page's focus moved onto the element of accessible node `node`, or (-1) away from
  // the window's elements to another of the page's controls.
  void access_focus(int node);
  // A screen reader (or a script) activated node `node`'s element: its first action.
  void access_act(int node);
  // The page lost the keyboard (another window or tab took it).
  void focus_lost();
  // Puts what was repainted since the last frame on the canvas.
  void present();
  // Makes the page's elements for the window's objects, once the first frame is shown
  // (nothing when they are made already or the program has no words).
  void start_access();

  const Framebuffer& framebuffer() const { return shell_.framebuffer(); }
  SystemColors& colors() { return shell_.colors(); }

 private:
  void after_input();
  // Delivers one input and then repaints and tells the observer and the page's elements.
  template <class Deliver>
  void input(Deliver deliver);
  void repaint();
  void fail(const std::exception& e);
  void stop(const std::string& message);

  std::string canvas_selector_;
  std::unique_ptr<Runtime> owned_;  // the runtime that start made
  Runtime* runtime_ = nullptr;
  PlatformShell shell_;
  std::vector<std::uint8_t> rgba_;
  PendingArea pending_;
  bool frame_requested_ = false;
  bool first_frame_shown_ = false;
  bool stopped_ = false;
  int held_button_ = 0;
  std::function<void(Runtime&)> observer_;
  std::unique_ptr<access::AccessTree> tree_;  // where the program has words
  std::unique_ptr<PageAccess> page_access_;
};

}  // namespace morvane::runtime
