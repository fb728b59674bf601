#include "runtime/backends/browser/css_font.h"

#include <algorithm>
#include <cctype>

namespace morvane::runtime {

namespace {

std::string quoted_family(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\' || u < 0x20 || u == 0x7F) continue;
    out += c;
  }
  out += '"';
  return out;
}

bool is_comic_face(const std::string& name) {
  std::string lower(name.size(), '\0');
  std::transform(name.begin(), name.end(), lower.begin(),
                 [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
  return lower.find("comic") != std::string::npos;
}

}  // namespace

std::string css_font(const FontSpec& font) {
  std::string css;
  if (font.italic) css += "italic ";
  css += std::to_string(std::clamp<int>(font.weight, 1, 1000)) + " ";
  css += std::to_string(std::max(1, font.pixel_size())) + "px ";
  std::string family = font.name.empty() ? std::string() : quoted_family(font.name);
  if (family == "\"\"") family.clear();
  if (!family.empty()) family += ", ";
  if (is_comic_face(font.name)) family += "\"Comic Neue\", \"Comic Relief\", ";
  family += "sans-serif";
  return css + family;
}

}  // namespace morvane::runtime
