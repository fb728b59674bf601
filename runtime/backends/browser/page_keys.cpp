#include "runtime/backends/browser/page_keys.h"

#include <array>
#include <string_view>

#include "runtime/core/window/keys.h"

namespace morvane::runtime {

namespace {

struct PageKey {
  std::string_view name;
  int code;
};

constexpr std::array<PageKey, 14> kPageKeys{{
    {"Tab", keys::tab},         {"Enter", keys::enter},      {" ", keys::space},        {"Spacebar", keys::space},
    {"Escape", keys::escape},   {"Esc", keys::escape},       {"ArrowLeft", keys::left}, {"Left", keys::left},
    {"ArrowUp", keys::up},      {"Up", keys::up},            {"ArrowRight", keys::right}, {"Right", keys::right},
    {"ArrowDown", keys::down},  {"Down", keys::down},
}};

}  // namespace

std::string page_key_codes_json() {
  std::string json = "{";
  for (const PageKey& k : kPageKeys) {
    if (json.size() > 1) json += ',';
    json += '"';
    json += k.name;  // no name needs escaping
    json += "\":" + std::to_string(k.code);
  }
  return json + "}";
}

}  // namespace morvane::runtime
