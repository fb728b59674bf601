#include "runtime/core/project/language_choice.h"
#include "runtime/core/project/locale_language.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

namespace morvane::runtime {
namespace {

constexpr std::array<std::string_view, 9> kCarried{"en", "es", "fr", "de", "pt_BR", "ru", "zh_CN", "ar", "hi"};

TEST(LanguageChoice, LocaleVariablesGiveTheFirstCarriedLanguage) {
  struct Row {
    std::map<std::string, std::string> env;
    std::string_view chosen;
  };
  const Row rows[] = {
      {{}, "en"},
      {{{"LANG", "es_ES.UTF-8"}}, "es"},
      {{{"LANG", "es_MX.UTF-8"}}, "es"},
      {{{"LANG", "pt_PT.UTF-8"}}, "pt_BR"},
      {{{"LANG", "pt_BR.UTF-8"}}, "pt_BR"},
      {{{"LANG", "zh_TW.UTF-8"}}, "zh_CN"},
      {{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "ru_RU.UTF-8"}}, "ru"},
      {{{"LC_MESSAGES", "ru_RU.UTF-8"}, {"LC_ALL", "fr_FR.UTF-8"}}, "fr"},
      {{{"LANG", "es_ES.UTF-8"}, {"LANGUAGE", "pt_PT:es"}}, "pt_BR"},
      {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "it:ja:ar"}}, "ar"},
      {{{"LANG", "C"}, {"LANGUAGE", "fr"}}, "en"},
      {{{"LC_ALL", "C.UTF-8"}, {"LANG", "fr_FR.UTF-8"}, {"LANGUAGE", "fr"}}, "en"},
      {{{"LANG", "POSIX"}}, "en"},
      {{{"LANG", "it_IT.UTF-8"}}, "en"},
      {{{"LANG", "hi_IN"}, {"LANGUAGE", ""}}, "hi"},
      {{{"LANG", "sr_RS@latin"}}, "en"},
  };
  for (const Row& row : rows) {
    const auto wanted = gettext_wanted_languages([&](const char* name) -> const char* {
      const auto found = row.env.find(name);
      return found == row.env.end() ? nullptr : found->second.c_str();
    });
    std::string said;
    for (const auto& [k, v] : row.env) said += k + "=" + v + " ";
    EXPECT_EQ(choose_language(wanted, kCarried), row.chosen) << said;
  }
}

TEST(LanguageChoice, BrowserTagsFallBackByLanguageAndScript) {
  const std::pair<std::vector<std::string>, std::string_view> rows[] = {
      {{"es-MX", "en"}, "es"},       {{"zh-Hant-TW"}, "zh_CN"}, {{"zh-HK"}, "zh_CN"}, {{"ja", "de-AT"}, "de"},
      {{"pt"}, "pt_BR"},             {{"ko", "it"}, "en"},      {{}, "en"},          {{"", "AR"}, "ar"},
      {{"en-GB", "fr"}, "en"},
  };
  for (const auto& [wanted, chosen] : rows) EXPECT_EQ(choose_language(wanted, kCarried), chosen) << wanted.size();
}

// The display languages that Windows reports, by language identifier, most wanted first.
TEST(LanguageChoice, DisplayLanguagesGoByLocaleIdThenPrimaryLanguage) {
  const std::pair<std::vector<std::uint32_t>, std::string_view> rows[] = {
      {{0x0C0A}, "es"}, {{0x080A}, "es"},         {{0x0816}, "pt_BR"}, {{0x0416}, "pt_BR"},
      {{0x0404}, "zh_CN"}, {{0x0C04}, "zh_CN"},   {{0x0401}, "ar"},    {{0x0C01}, "ar"},
      {{0x0439}, "hi"}, {{0x0419}, "ru"},         {{0x0807}, "de"},    {{0x040C}, "fr"},
      {{0x0410}, "en"}, {{0x0411, 0x0419}, "ru"}, {{0x0809, 0x0407}, "en"}, {{}, "en"},
  };
  for (const auto& [ids, chosen] : rows) {
    std::vector<std::string> wanted;
    for (std::uint32_t id : ids) wanted.push_back(language_of_locale_id(id));
    EXPECT_EQ(choose_language(wanted, kCarried), chosen) << std::hex << (ids.empty() ? 0u : ids.front());
  }
}

}  // namespace
}  // namespace morvane::runtime
