// The demonstration in a web page: the runtime starts the program on the browser
// platform, with text from the page's fonts; the platform mirrors the window's objects
// with elements of the page and says each sentence in the page's live region.
#include "app/project.h"
#include "runtime/backends/browser/browser_platform.h"
#include "runtime/backends/browser/browser_text.h"

using namespace morvane;

int main() {
  // They outlive main: the page's events keep coming after it returns (the module is
  // built not to end its runtime when main returns).
  static runtime::BrowserTextRasterizer text;
  static runtime::BrowserPlatform platform(&text);
  platform.start(app::enzyme_project());
  return 0;
}
