// The page's TextDecoder turns a code page's bytes into text: the browser carries
// every code page the languages use, so the WebAssembly carries no tables.
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "runtime/core/objects/narrow_text.h"

namespace {

std::vector<std::uint8_t> g_decoded;

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE std::uint8_t* morvane_browser_decoded(int size) {
  g_decoded.resize(static_cast<std::size_t>(std::max(0, size)));
  return g_decoded.data();
}

namespace {

// Decodes into the buffer above (undefined bytes become U+FFFD) and returns its length.
EM_JS(int, morvane_page_decode, (const unsigned char* bytes, int count, int code_page), {
  var labels = {1252: 'windows-1252', 1251: 'windows-1251', 936: 'gbk', 1256: 'windows-1256', 65001: 'utf-8'};
  var label = labels[code_page];
  if (!label) label = 'windows-1252';  // as a character set no language uses is read
  var text = new TextDecoder(label).decode(HEAPU8.subarray(bytes, bytes + count));
  var utf8 = new TextEncoder().encode(text);
  var at = Module['_morvane_browser_decoded'](utf8.length);
  HEAPU8.set(utf8, at);
  return utf8.length;
});

}  // namespace

namespace morvane::runtime {

std::string narrow_to_utf8(std::string_view bytes, std::uint16_t code_page) {
  // ASCII is the same in every code page the languages use (and in UTF-8).
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(bytes);
  const int n = morvane_page_decode(reinterpret_cast<const unsigned char*>(bytes.data()),
                                    static_cast<int>(bytes.size()), code_page);
  return std::string(g_decoded.begin(), g_decoded.begin() + n);
}

}  // namespace morvane::runtime
