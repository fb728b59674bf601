#include "runtime/core/access/words.h"

namespace morvane::runtime::access {

std::optional<std::string_view> Words::text(std::string_view key) const {
  for (const formats::WordEntry& e : file_.entries)
    if (e.key == key) return std::string_view(e.text);
  return std::nullopt;
}

}  // namespace morvane::runtime::access
