// The page's language: which one it shows (the address's ?lang=, else the page's last
// choice, else the browser's languages, through choose_language) and the arrival of that language's project file, fetched only when a
// language other than English is chosen.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace morvane::runtime {

// Which of `carried` (catalogue tags, "en" among them) the page should show ("en"
// where nothing else fits): the view is one of `carried`.
std::string_view page_chosen_language(std::span<const std::string_view> carried);

// Fetches `tag`'s language file; later, `arrived` gets its project image and words
// (kept for the page's life) or, where it could not come or is not that language's
// file (the page says why), `failed` is called. The page reads the file (web/page.js).
using LanguageArrived = void (*)(std::span<const std::uint8_t> image, std::span<const std::uint8_t> words);
void fetch_page_language(const char* tag, LanguageArrived arrived, void (*failed)());

// The page's `lang`, `dir` and picker follow the language shown.
void show_page_language(const char* tag, bool right_to_left);

}  // namespace morvane::runtime
