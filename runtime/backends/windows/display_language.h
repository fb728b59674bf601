// The user's display languages as the system reports them, most wanted first, as names
// that choose_language takes (runtime/core/project/locale_language.h).
#pragma once

#include <string>
#include <vector>

namespace morvane::runtime {

std::vector<std::string> display_languages();

}  // namespace morvane::runtime
