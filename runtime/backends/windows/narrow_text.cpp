// Code-page text through the system's own conversion: to UTF-16, then to UTF-8. Without
// MB_ERR_INVALID_CHARS a byte sequence the code page does not define becomes U+FFFD.
#include "runtime/core/objects/narrow_text.h"

#include <windows.h>

#include <string>

namespace morvane::runtime {

std::string narrow_to_utf8(std::string_view bytes, std::uint16_t code_page) {
  if (bytes.empty()) return {};
  const int n = static_cast<int>(bytes.size());
  const int wide_count = MultiByteToWideChar(code_page, 0, bytes.data(), n, nullptr, 0);
  if (wide_count <= 0) return std::string(static_cast<std::size_t>(n), '?');
  std::wstring wide(static_cast<std::size_t>(wide_count), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), n, wide.data(), wide_count);
  const int utf8_count = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_count, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(utf8_count), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_count, out.data(), utf8_count, nullptr, nullptr);
  return out;
}

}  // namespace morvane::runtime
