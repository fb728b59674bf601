#include "app/tools/message_catalogue.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <set>
#include <string>
#include <vector>

#include "app/tools/fitting_record.h"

namespace morvane::app {

namespace {

struct Message {
  std::optional<std::string> context, id, translation;
  bool fuzzy = false;
  int line = 0;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  formats::WordsFile run(std::string_view fallback_language) {
    formats::WordsFile& out = words_;
    out.language = std::string(fallback_language);
    std::set<std::string> keys;
    Message m;
    std::string* last = nullptr;  // the field that continuation strings extend
    auto finish = [&] {
      if (!m.id) {
        if (m.context || m.translation) fail(m.line, "a message without msgid");
        return;
      }
      if (m.id->empty()) {
        if (m.context) fail(m.line, "a header with a context");
        if (const auto lang = header_field(m.translation.value_or(""), "Language"); lang && !lang->empty())
          out.language = *lang;
      } else {
        if (!m.context) fail(m.line, "the message \"" + *m.id + "\" has no msgctxt (the key it is looked up by)");
        if (!keys.insert(*m.context).second) fail(m.line, "the msgctxt \"" + *m.context + "\" is given twice");
        const bool translated = m.translation && !m.translation->empty() && !m.fuzzy;
        if (!translated) untranslated_.push_back({*m.context, m.fuzzy ? "fuzzy" : "empty"});
        out.entries.push_back({*m.context, translated ? *m.translation : *m.id});
      }
      m = Message{};
      last = nullptr;
    };
    while (next_line()) {
      std::string_view l = line_;
      while (!l.empty() && (l.back() == '\r' || l.back() == ' ' || l.back() == '\t')) l.remove_suffix(1);
      while (!l.empty() && (l.front() == ' ' || l.front() == '\t')) l.remove_prefix(1);
      if (l.empty()) continue;
      if (l[0] == '#') {
        if (l.substr(0, 2) == "#,") {
          if (m.id) finish();
          if (l.find("fuzzy") != std::string_view::npos) m.fuzzy = true;
        }
        continue;
      }
      if (l[0] == '"') {
        if (!last) fail(line_no_, "a string that continues nothing");
        *last += unquote(l);
        continue;
      }
      const std::size_t space = l.find_first_of(" \t");
      const std::string_view word = l.substr(0, space);
      const std::string_view rest = space == std::string_view::npos ? std::string_view() : l.substr(space + 1);
      std::optional<std::string>* field = nullptr;
      if (word == "msgctxt") {
        if (m.id) finish();
        field = &m.context;
      } else if (word == "msgid") {
        if (m.id) finish();
        field = &m.id;
      } else if (word == "msgstr") {
        if (!m.id) fail(line_no_, "msgstr without msgid");
        field = &m.translation;
      } else if (word == "msgid_plural" || word.substr(0, 7) == "msgstr[") {
        fail(line_no_, "plural forms, which the program's words do not use");
      } else {
        fail(line_no_, "an unknown keyword \"" + std::string(word) + "\"");
      }
      if (*field) fail(line_no_, std::string(word) + " given twice for one message");
      if (!m.line) m.line = line_no_;
      std::string_view value = rest;
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
      *field = unquote(value);
      last = &**field;
    }
    finish();
    return out;
  }

  // The contexts whose translation was empty or fuzzy, each with which.
  const std::vector<std::pair<std::string, std::string>>& untranslated() const { return untranslated_; }

 private:
  bool next_line() {
    if (at_ > text_.size() || (at_ == text_.size() && !text_.empty() && text_.back() == '\n')) return false;
    const std::size_t end = text_.find('\n', at_);
    line_ = text_.substr(at_, end == std::string_view::npos ? std::string_view::npos : end - at_);
    at_ = end == std::string_view::npos ? text_.size() + 1 : end + 1;
    ++line_no_;
    return true;
  }

  [[noreturn]] void fail(int line, const std::string& what) const {
    throw CatalogueError("line " + std::to_string(line) + ": " + what);
  }

  std::string unquote(std::string_view s) const {
    if (s.size() < 2 || s.front() != '"' || s.back() != '"') fail(line_no_, "a string not in double quotes");
    s = s.substr(1, s.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
      const char c = s[i];
      if (c == '"') fail(line_no_, "a double quote inside a string that is not escaped");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (++i == s.size()) fail(line_no_, "a string that ends in a backslash");
      switch (s[i]) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        default: fail(line_no_, std::string("an unknown escape \\") + s[i]);
      }
    }
    return out;
  }

  // A "Name: value" line of the header.
  static std::optional<std::string> header_field(std::string_view header, std::string_view name) {
    while (!header.empty()) {
      const std::size_t end = header.find('\n');
      const std::string_view line = header.substr(0, end);
      if (line.size() > name.size() && line.substr(0, name.size()) == name && line[name.size()] == ':') {
        std::string_view v = line.substr(name.size() + 1);
        while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
        return std::string(v);
      }
      if (end == std::string_view::npos) break;
      header.remove_prefix(end + 1);
    }
    return std::nullopt;
  }

  formats::WordsFile words_;
  std::vector<std::pair<std::string, std::string>> untranslated_;
  std::string_view text_;
  std::size_t at_ = 0;
  std::string_view line_;
  int line_no_ = 0;
};

}  // namespace

formats::WordsFile read_catalogue(std::string_view text, std::string_view fallback_language) {
  return Parser(text).run(fallback_language);
}

formats::WordsFile read_translation(std::string_view text, std::string_view template_text, std::string_view tag) {
  Parser parser(text);
  formats::WordsFile words = parser.run(tag);
  if (!parser.untranslated().empty()) {
    const auto& [context, why] = parser.untranslated().front();
    throw CatalogueError("the translation of \"" + context + "\" is " + why);
  }
  for (const formats::WordEntry& wanted : read_catalogue(template_text, "en").entries) {
    if (std::none_of(words.entries.begin(), words.entries.end(),
                     [&](const formats::WordEntry& e) { return e.key == wanted.key; }))
      throw CatalogueError("no entry \"" + wanted.key + "\" of the template");
  }
  return words;
}

formats::WordsFile run_time_words(formats::WordsFile words) {
  constexpr std::string_view build_time_prefixes[] = {form_caption_context, label_caption_context,
                                                      command_caption_context, picture_word_prefix,
                                                      "desktop ", "language name "};
  std::erase_if(words.entries, [&](const formats::WordEntry& e) {
    return std::any_of(std::begin(build_time_prefixes), std::end(build_time_prefixes),
                       [&](std::string_view prefix) { return e.key.starts_with(prefix); });
  });
  return words;
}

}  // namespace morvane::app
