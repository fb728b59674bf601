#include "runtime/core/project/language_choice.h"

#include <algorithm>
#include <cctype>

namespace morvane::runtime {
namespace {

struct LocaleName {
  std::string language;  // lower case: "pt"
  std::string region;    // upper case: "BR", or empty
};

bool is_c_locale(std::string_view name) {
  const std::string_view bare = name.substr(0, name.find_first_of(".@"));
  return bare == "C" || bare == "POSIX";
}

// "pt_BR.UTF-8@euro", "pt-BR", "zh-Hant-TW" → language and region; a script subtag
// (four letters) is passed over, a region is two letters or three digits.
LocaleName parse(std::string_view name) {
  name = name.substr(0, name.find_first_of(".@"));
  LocaleName out;
  std::size_t part = 0;
  while (!name.empty()) {
    const std::size_t cut = name.find_first_of("_-");
    const std::string_view piece = name.substr(0, cut);
    if (part == 0) {
      for (char c : piece) out.language += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (out.region.empty() && (piece.size() == 2 || piece.size() == 3)) {
      for (char c : piece) out.region += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    ++part;
    if (cut == std::string_view::npos) break;
    name.remove_prefix(cut + 1);
  }
  return out;
}

std::string_view language_of(std::string_view tag) { return tag.substr(0, tag.find('_')); }

}  // namespace

std::string_view choose_language(std::span<const std::string> wanted, std::span<const std::string_view> carried) {
  for (const std::string& entry : wanted) {
    if (is_c_locale(entry)) return "en";
    const LocaleName name = parse(entry);
    if (name.language.empty()) continue;
    const std::string whole = name.region.empty() ? name.language : name.language + "_" + name.region;
    for (std::string_view tag : carried) {
      if (tag == whole) return tag;
    }
    for (std::string_view tag : carried) {
      if (language_of(tag) == name.language) return tag;
    }
  }
  return "en";
}

std::vector<std::string> gettext_wanted_languages(const EnvironmentLookup& getenv) {
  std::string locale = "C";
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = getenv(variable);
    if (value && *value) {
      locale = value;
      break;
    }
  }
  std::vector<std::string> wanted;
  if (is_c_locale(locale)) return {locale};
  if (const char* list = getenv("LANGUAGE"); list && *list) {
    std::string_view rest = list;
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      if (const std::string_view item = rest.substr(0, colon); !item.empty()) wanted.emplace_back(item);
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }
  wanted.push_back(locale);
  return wanted;
}

}  // namespace morvane::runtime
