#include "runtime/backends/windows/display_language.h"

#include <windows.h>

#include "runtime/core/project/locale_language.h"

namespace morvane::runtime {

// The preferred display languages as language identifiers (four hex digits each, in a
// list of NUL-terminated strings), then the one default display language.
std::vector<std::string> display_languages() {
  std::vector<std::string> wanted;
  ULONG count = 0, length = 0;
  if (GetUserPreferredUILanguages(MUI_LANGUAGE_ID, &count, nullptr, &length) && length > 0) {
    std::wstring list(length, L'\0');
    if (GetUserPreferredUILanguages(MUI_LANGUAGE_ID, &count, list.data(), &length)) {
      for (const wchar_t* id = list.c_str(); *id; id += wcslen(id) + 1)
        wanted.push_back(language_of_locale_id(static_cast<std::uint32_t>(wcstoul(id, nullptr, 16))));
    }
  }
  wanted.push_back(language_of_locale_id(GetUserDefaultUILanguage()));
  return wanted;
}

}  // namespace morvane::runtime
