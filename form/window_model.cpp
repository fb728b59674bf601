#include "form/window_model.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace morvane::form {
namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Guid Guid::parse(std::string_view text) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: 38 characters.
  if (text.size() != 38 || text.front() != '{' || text.back() != '}' || text[9] != '-' ||
      text[14] != '-' || text[19] != '-' || text[24] != '-')
    throw std::invalid_argument("malformed identifier: " + std::string(text));
  std::array<std::uint8_t, 16> raw{};  // in reading order
  std::size_t n = 0;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == '-') continue;
    int hi = hex_digit(text[i]);
    int lo = hex_digit(text[i + 1]);
    if (hi < 0 || lo < 0 || n >= raw.size())
      throw std::invalid_argument("malformed identifier: " + std::string(text));
    raw[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
    ++i;
  }
  if (n != raw.size()) throw std::invalid_argument("malformed identifier: " + std::string(text));
  // The first three groups are stored little-endian.
  Guid g;
  const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  for (int i = 0; i < 16; ++i) g.bytes[static_cast<std::size_t>(i)] = raw[static_cast<std::size_t>(order[i])];
  return g;
}

std::string Guid::to_string() const {
  const auto& b = bytes;
  char out[40];
  std::snprintf(out, sizeof out, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                b[3], b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                b[14], b[15]);
  return out;
}


PictureBytes PictureBytes::view(std::span<const std::uint8_t> bytes) {
  PictureBytes p;
  p.bytes_ = bytes;
  return p;
}

std::span<const std::uint8_t> PictureBytes::bytes() const {
  if (const auto* held = std::get_if<std::vector<std::uint8_t>>(&bytes_)) return *held;
  return std::get<std::span<const std::uint8_t>>(bytes_);
}

std::vector<std::uint8_t> PictureBytes::to_vector() const {
  const auto b = bytes();
  return {b.begin(), b.end()};
}

bool operator==(const PictureBytes& a, const PictureBytes& b) {
  const auto x = a.bytes(), y = b.bytes();
  return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

namespace {
auto position(auto& items, std::string_view field) {
  return std::lower_bound(items.begin(), items.end(), field,
                          [](const auto& item, std::string_view f) { return item.first < f; });
}
}  // namespace

const PropertyValue* PropertySet::find(std::string_view field) const {
  auto it = position(items_, field);
  return it != items_.end() && it->first == field ? &it->second : nullptr;
}

void PropertySet::set(std::string_view field, PropertyValue value) {
  auto it = position(items_, field);
  if (it != items_.end() && it->first == field)
    it->second = std::move(value);
  else
    items_.insert(it, {std::string(field), std::move(value)});
}

void PropertySet::erase(std::string_view field) {
  auto it = position(items_, field);
  if (it != items_.end() && it->first == field) items_.erase(it);
}

}  // namespace morvane::form
