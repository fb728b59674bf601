// Writes pictures of the window in its three states (start.png, complex.png,
// product.png) into a folder, painted as the desktop paints them, for the README.
// The states are reached the way a person reaches them: a drag and a click. With
// --language TAG, the window in that language (a row of formats/languages.h).
#include <cstdio>
#include <exception>
#include <string>

#include "app/form1.h"
#include "app/language_projects.h"
#include "app/project.h"
#include "formats/languages.h"
#include "logic/demonstration_state.h"
#include "runtime/backends/headless/headless_platform.h"
#include "runtime/text/freetype_text.h"

using namespace morvane;

namespace {

void write(runtime::Runtime& rt, runtime::HeadlessPlatform& p, const std::string& dir, const char* name,
           const char* expected) {
  if (logic::demonstration_state(rt.form(), app::kEnzymeBoxes) != expected)
    throw std::runtime_error(std::string("the window is not in the ") + name + " state (Picture1..4 visible: " +
                             logic::visibility_bits(rt.form(), app::kEnzymeBoxes) + ")");
  const std::string path = dir + "/" + name + ".png";
  runtime::write_png(p.framebuffer(), path);
  std::printf("%s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const bool language = argc == 4 && std::string(argv[2]) == "--language" && formats::find_language(argv[3]);
  if (argc != 2 && !language) {
    std::fprintf(stderr, "usage: morvane-screenshots DIR [--language TAG]\n");
    return 2;
  }
  const std::string dir = argv[1];
  try {
    runtime::text::FreeTypeTextRasterizer text;
    runtime::Runtime rt(app::enzyme_project(language ? argv[3] : formats::english.tag));
    runtime::HeadlessPlatform p(&text);
    p.attach(rt);
    write(rt, p, dir, "start", "Start");
    p.drag(290, 150, 330, 380, 8);  // the substrate (Picture2) onto the enzyme (Picture1)
    write(rt, p, dir, "complex", "Complex");
    p.click(340, 380);              // the complex (Picture4)
    write(rt, p, dir, "product", "Product");
    p.feed({runtime::InputEvent::Type::close});
    return rt.exit_code();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "morvane-screenshots: %s\n", e.what());
    return 1;
  }
}
