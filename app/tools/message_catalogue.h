// Reads a gettext message catalogue (a .po file, or the .pot template) into the
// program's words: each message's context is its key, its translation its text, and
// an empty or fuzzy translation falls back to the English message itself.
#pragma once

#include <stdexcept>
#include <string_view>

#include "formats/words_file.h"

namespace morvane::app {

class CatalogueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `fallback_language` is the words' language when the header names none (a template's
// messages are English). Throws CatalogueError, naming the line, for a message without
// a context, plural forms, a repeated context, a bad escape or an unterminated string.
formats::WordsFile read_catalogue(std::string_view text, std::string_view fallback_language);

// A language's catalogue, which must be whole: every context of the template
// (`template_text`, po/morvane.pot) present, and none empty or fuzzy. Throws
// CatalogueError naming the first context that is not, or as read_catalogue does.
formats::WordsFile read_translation(std::string_view text, std::string_view template_text, std::string_view tag);

// The words the running program looks up: without those that only the build reads
// (the captions and picture words, made into the stream and the pictures; the desktop
// entry's; the page's names of the languages, written into the page itself).
formats::WordsFile run_time_words(formats::WordsFile words);

}  // namespace morvane::app
