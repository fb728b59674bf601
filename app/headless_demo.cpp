// Runs the demonstration without a display: a scripted drag, click and reset, with
// the visibility state printed after each step and, with --png DIR, a picture of
// the window after each step; --language TAG runs it in that language (a tag of
// formats/languages.h; English otherwise).
#include <cstdio>
#include <cstring>
#include <string>

#include "app/form1.h"
#include "app/language_projects.h"
#include "app/project.h"
#include "formats/languages.h"
#include "logic/demonstration_state.h"
#include "runtime/backends/headless/headless_platform.h"
#ifdef MORVANE_HAVE_TEXT
#include "runtime/text/freetype_text.h"
#endif

using namespace morvane;

namespace {

std::string state(runtime::FormObject& form) { return logic::demonstration_state(form, app::kEnzymeBoxes); }

void report(runtime::Runtime& rt, runtime::HeadlessPlatform& p, const char* step, const char* png_dir, int n) {
  auto& f = rt.form();
  std::printf("%-28s %-8s Picture1=%d Picture2=%d Picture3=%d Picture4=%d\n", step, state(f).c_str(),
              f.find("Picture1")->visible(), f.find("Picture2")->visible(), f.find("Picture3")->visible(),
              f.find("Picture4")->visible());
  if (png_dir) {
    const std::string path = std::string(png_dir) + "/step" + std::to_string(n) + "-" + state(f) + ".png";
    runtime::write_png(p.framebuffer(), path);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* png_dir = nullptr;
  std::string language(formats::english.tag);
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 < argc && std::strcmp(argv[i], "--png") == 0) {
      png_dir = argv[i + 1];
    } else if (i + 1 < argc && std::strcmp(argv[i], "--language") == 0 && formats::find_language(argv[i + 1])) {
      language = argv[i + 1];
    } else {
      std::fprintf(stderr, "usage: morvane-headless [--png DIR] [--language TAG]\n");
      return 2;
    }
  }
  try {
    runtime::Runtime rt(app::enzyme_project(language));
#ifdef MORVANE_HAVE_TEXT
    runtime::text::FreeTypeTextRasterizer text;
    runtime::HeadlessPlatform p(&text);
#else
    runtime::HeadlessPlatform p;
#endif
    p.attach(rt);
    int n = 0;
    report(rt, p, "start", png_dir, n++);
    // Picture2 (substrate) at 192,64 209x201 onto Picture1 (enzyme) at 200,272 273x233.
    p.drag(290, 150, 330, 380);
    report(rt, p, "drag substrate onto enzyme", png_dir, n++);
    p.click(340, 380);  // the complex, Picture4 at 216,272
    report(rt, p, "click the complex", png_dir, n++);
    p.click(552, 88);   // Reset, Command1 at 512,72 81x33
    report(rt, p, "click Reset", png_dir, n++);
    p.feed({runtime::InputEvent::Type::close});
    std::printf("closed: %s, exit code %d\n", rt.finished() ? "yes" : "no", rt.exit_code());
    return rt.exit_code();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "morvane-headless: %s\n", e.what());
    return 1;
  }
}
