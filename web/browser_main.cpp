// The demonstration in a web page: the runtime starts the program on the browser
// platform, with text from the page's fonts; the platform mirrors the window's objects
// with elements of the page and says each sentence in the page's live region. The
// WebAssembly carries the English project; another language's project is fetched
// when the page chooses that language.
#include <array>
#include <memory>
#include <string>

#include "app/project.h"
#include "formats/languages.h"
#include "runtime/backends/browser/browser_platform.h"
#include "runtime/backends/browser/browser_text.h"
#include "runtime/backends/browser/page_language.h"
#include "web/english_runtime.h"

using namespace morvane;

namespace {

// The languages as the page needs them: the face of each script and its direction.
struct Script {
  std::string_view tag;  // a literal's: ends in a zero byte
  const char* face;  // null: the controls' own faces have the script
  bool right_to_left;
};
constexpr auto scripts = [] {
  std::array<Script, formats::languages.size()> out{};
  for (std::size_t i = 0; i < out.size(); ++i) {
    const formats::Language& l = formats::languages[i];
    const bool own = l.caption_face.family != formats::english.caption_face.family;
    out[i] = {l.tag, own ? l.caption_face.family.data() : nullptr, l.right_to_left};
  }
  return out;
}();
static_assert(scripts[0].tag == "en");
constexpr auto tags = [] {
  std::array<std::string_view, scripts.size()> out{};
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = scripts[i].tag;
  return out;
}();

// They outlive main: the page's events keep coming after it returns (the module is
// built not to end its runtime when main returns).
runtime::BrowserTextRasterizer* g_text;
runtime::BrowserPlatform* g_platform;
const Script* g_script = &scripts[0];

// `what`: a runtime::Project, or a runtime already made.
template <class Start>
void start(Start what) {
  g_text->set_script(g_script->face, g_script->right_to_left);
  g_platform->start(std::move(what));
  runtime::show_page_language(g_script->tag.data(), g_script->right_to_left);
}

void start_english() {
  g_script = &scripts[0];
  if (std::unique_ptr<runtime::Runtime> made = web::take_english_runtime())
    start(std::move(made));
  else
    start(app::enzyme_project());
}

void start_arrived(std::span<const std::uint8_t> image, std::span<const std::uint8_t> words) {
  runtime::Project project = app::enzyme_project(runtime::ProjectImage{image, app::embedded_image().base});
  if (!words.empty()) project.words = words;
  start(std::move(project));
}

}  // namespace

int main() {
  static runtime::BrowserTextRasterizer text;
  static runtime::BrowserPlatform platform(&text);
  g_text = &text;
  g_platform = &platform;
  // Each row is built, so the page has every language of the table.
  const std::string_view tag = runtime::page_chosen_language(tags);
  for (const Script& s : scripts)
    if (s.tag == tag) g_script = &s;
  if (g_script == &scripts[0]) start_english();
  else runtime::fetch_page_language(g_script->tag.data(), start_arrived, start_english);
  return 0;
}
