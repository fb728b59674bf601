#include "runtime/core/access/words.h"

#include <cstdio>

namespace morvane::runtime::access {

Words Words::from_bytes_or_none(std::span<const std::uint8_t> bytes) {
  try {
    return from_bytes(bytes);
  } catch (const formats::WordsError& e) {
    std::fprintf(stderr, "morvane: the program's words are left out: %s\n", e.what());
    return {};
  }
}

std::optional<std::string_view> Words::text(std::string_view key) const {
  for (const formats::WordEntry& e : file_.entries)
    if (e.key == key) return std::string_view(e.text);
  return std::nullopt;
}

}  // namespace morvane::runtime::access
