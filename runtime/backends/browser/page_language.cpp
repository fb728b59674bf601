#include "runtime/backends/browser/page_language.h"

#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "runtime/core/project/language_choice.h"

namespace {

std::vector<std::uint8_t> g_page_bytes;  // what the page's script hands over; then the language file
morvane::runtime::LanguageArrived g_arrived = nullptr;
void (*g_failed)() = nullptr;

// The languages the page asks for, most wanted first, a line each.
EM_JS(int, morvane_page_languages, (), {
  var utf8 = new TextEncoder().encode(window.morvaneLanguage.wanted().join('\n'));
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

std::string_view page_chosen_language(std::span<const std::string_view> carried) {
  const auto length = static_cast<std::size_t>(morvane_page_languages());  // fills g_page_bytes
  std::string_view text(reinterpret_cast<const char*>(g_page_bytes.data()), length);
  std::vector<std::string> wanted;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    wanted.emplace_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return choose_language(wanted, carried);
}

void fetch_page_language(const char* tag, LanguageArrived arrived, void (*failed)()) {
  g_arrived = arrived;
  g_failed = failed;
  morvane_page_fetch_language(tag);
}

void show_page_language(const char* tag, bool right_to_left) { morvane_page_show_language(tag, right_to_left ? 1 : 0); }

}  // namespace morvane::runtime
