#include "runtime/core/project/byte_reader.h"

#include <cstdio>

namespace morvane::runtime {

namespace {
std::string message(std::size_t offset, const std::string& what_expected) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "offset 0x%zX: expected ", offset);
  return buf + what_expected;
}
}  // namespace

ImageError::ImageError(std::size_t offset, const std::string& what_expected)
    : std::runtime_error(message(offset, what_expected)), offset_(offset) {}

std::string ByteReader::c_string(std::size_t offset, std::size_t max_len, std::string_view what) const {
  std::string out;
  for (std::size_t i = 0;; ++i) {
    if (i > max_len) throw ImageError(offset, std::string(what) + " to end within " + std::to_string(max_len) + " bytes");
    const std::uint8_t c = u8(offset + i, what);
    if (c == 0) return out;
    out += static_cast<char>(c);
  }
}

}  // namespace morvane::runtime
