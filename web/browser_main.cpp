// The demonstration in a web page: the runtime starts the program on the browser
// platform, with text from the page's fonts, and the page's live region says what the
// window shows after each change and how a drag made with the keys goes.
#include <emscripten.h>

#include <string>

#include "app/project.h"
#include "runtime/backends/browser/browser_platform.h"
#include "runtime/backends/browser/browser_text.h"
#include "web/window_description.h"

using namespace morvane;

namespace {

EM_JS(void, morvane_page_status, (const char* text), {
  var region = document.getElementById('morvane-status');
  if (region) region.textContent = UTF8ToString(text);
});

}  // namespace

int main() {
  // They outlive main: the page's events keep coming after it returns (the module is
  // built not to end its runtime when main returns).
  static runtime::BrowserTextRasterizer text;
  static runtime::BrowserPlatform platform(&text);
  static web::Narrator narrator;
  platform.set_observer([](runtime::Runtime& rt) {
    if (const auto said = narrator.after_input(rt.window())) morvane_page_status(said->c_str());
  });
  platform.start(app::enzyme_project());
  return 0;
}
