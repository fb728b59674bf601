#include "runtime/backends/browser/page_language.h"

#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "runtime/core/project/language_choice.h"

namespace {

std::vector<std::uint8_t> g_page_bytes;  // what the page's script hands over; then the language file
morvane::runtime::LanguageArrived g_arrived = nullptr;
void (*g_failed)() = nullptr;

// The page's lists, a line per entry: the languages wanted (most wanted first), an
// empty line, then the carried ones.
EM_JS(int, morvane_page_languages, (), {
  var language = window.morvaneLanguage;
  var utf8 = new TextEncoder().encode(language.wanted().join('\n') + '\n\n' + language.carried().join('\n'));
  HEAPU8.set(utf8, Module['_morvane_browser_page_bytes'](utf8.length));
  return utf8.length;
});

// The page hands over the image, then the words, and the image's length.
EM_JS(void, morvane_page_fetch_language, (const char* tag), {
  window.morvaneLanguage.fetch(UTF8ToString(tag)).then(function(parts) {
    var at = Module['_morvane_browser_page_bytes'](parts[0].length + parts[1].length);
    HEAPU8.set(parts[0], at);
    HEAPU8.set(parts[1], at + parts[0].length);
    Module['_morvane_browser_language_arrived'](parts[0].length);
  }, function(error) {
    console.warn('morvane: showing English, for ' + error);
    Module['_morvane_browser_language_arrived'](-1);
  });
});

EM_JS(void, morvane_page_show_language, (const char* tag, int rtl), {
  window.morvaneLanguage.show(UTF8ToString(tag), !!rtl);
});

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE std::uint8_t* morvane_browser_page_bytes(int size) {
  g_page_bytes.resize(static_cast<std::size_t>(std::max(0, size)));
  return g_page_bytes.data();
}

EMSCRIPTEN_KEEPALIVE void morvane_browser_language_arrived(int image_length) {
  if (image_length < 0 || static_cast<std::size_t>(image_length) > g_page_bytes.size()) return g_failed();
  const std::span<const std::uint8_t> bytes(g_page_bytes);
  g_arrived(bytes.first(static_cast<std::size_t>(image_length)), bytes.subspan(static_cast<std::size_t>(image_length)));
}

}  // extern "C"

namespace morvane::runtime {

std::string page_chosen_language() {
  const int n = morvane_page_languages();
  std::string_view text(reinterpret_cast<const char*>(g_page_bytes.data()), static_cast<std::size_t>(n));
  // Lines up to the empty one are wanted, the rest carried.
  std::vector<std::string> wanted;
  std::vector<std::string_view> carried{"en"};
  bool wanting = true;
  for (std::size_t end; !text.empty(); text.remove_prefix(std::min(end + 1, text.size()))) {
    end = std::min(text.find('\n'), text.size());
    if (end == 0) wanting = false;
    else if (wanting) wanted.emplace_back(text.substr(0, end));
    else carried.push_back(text.substr(0, end));
  }
  return std::string(choose_language(wanted, carried));
}

void fetch_page_language(std::string_view tag, LanguageArrived arrived, void (*failed)()) {
  g_arrived = arrived;
  g_failed = failed;
  morvane_page_fetch_language(std::string(tag).c_str());
}

void show_page_language(std::string_view tag, bool right_to_left) {
  morvane_page_show_language(std::string(tag).c_str(), right_to_left ? 1 : 0);
}

}  // namespace morvane::runtime
