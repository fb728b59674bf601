// Which of the languages the program carries a user gets. Every platform asks here,
// with the languages its own way of asking gives: the locale variables on Linux, the
// display language on Windows, the address, the page's last choice and the browser's
// languages in a browser.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::runtime {

// The first language of `wanted` (most wanted first) that is among `carried`
// (catalogue tags: "en", "es", "pt_BR", "zh_CN"), and "en" when none is. An entry may be
// a POSIX locale name ("pt_PT.UTF-8@euro") or a BCP 47 tag ("es-MX", "zh-Hant-TW"):
//   - the whole name is tried first, then its language alone, which stands for the
//     carried tag of that language ("es_MX" gives "es", "pt_PT" gives "pt_BR");
//   - Chinese of any script or region gives the carried Chinese (Traditional falls back
//     to Simplified);
//   - "C" or "POSIX" in the list gives English there and then.
// `carried` must hold "en".
std::string_view choose_language(std::span<const std::string> wanted, std::span<const std::string_view> carried);

// The languages that gettext would try for messages, in its order, read from the
// variables themselves (no locale has to be generated): LANGUAGE's colon-separated list,
// which counts only when the locale is not "C", then the locale, the first non-empty of
// LC_ALL, LC_MESSAGES and LANG. An unset locale is "C". `getenv` returns null for an
// unset variable.
using EnvironmentLookup = std::function<const char*(const char*)>;
std::vector<std::string> gettext_wanted_languages(const EnvironmentLookup& getenv);

}  // namespace morvane::runtime
