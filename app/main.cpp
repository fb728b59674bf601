// The program's entry point: hands the project in the user's language (the first of the
// carried languages that the locale variables ask for, in gettext's order) to the forms
// runtime, which shows the window on the desktop, runs it and ends the process when it
// is closed.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string_view>
#include <vector>

#include "app/language_projects.h"
#include "runtime/core/project/language_choice.h"
#include "runtime/backends/desktop/desktop_platform.h"
#ifdef MORVANE_HAVE_TEXT
#include "runtime/text/font_answer_cache.h"
#include "runtime/text/freetype_text.h"
#endif
#ifdef MORVANE_HAVE_ICON
#include "assets/icon_pixels.h"
#endif

using namespace morvane;

namespace {

std::string_view user_language() {
  std::vector<std::string_view> carried;
  for (const app::LanguageProject& project : app::language_projects()) carried.push_back(project.tag);
  const auto wanted = runtime::gettext_wanted_languages([](const char* name) { return std::getenv(name); });
  return runtime::choose_language(wanted, carried);
}

}  // namespace

int main() {
  // Static, so that the process's exit (the runtime ends it from inside) still
  // closes them: the font configuration, the platform and its window.
  static std::unique_ptr<runtime::TextRasterizer> text;
#ifdef MORVANE_HAVE_TEXT
  try {
    // The fonts found in an earlier run are kept in the user's cache folder.
    text = std::make_unique<runtime::text::FreeTypeTextRasterizer>(runtime::text::default_font_cache_file());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "morvane: captions are left out: %s\n", e.what());
  }
#endif
  static runtime::DesktopPlatform platform(text.get());
#ifdef MORVANE_HAVE_ICON
  platform.set_icon(assets::icon_rgba, assets::icon_side);
#endif
  runtime::ThunRTMain(app::enzyme_project(user_language()), platform);
}
