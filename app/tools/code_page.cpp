#include "app/tools/code_page.h"

#include <cstdio>
#include <optional>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace morvane::app {

namespace {

// The code point of the UTF-8 sequence at `at`, or nothing for a malformed one; moves
// `at` past it.
bool next_code_point(std::string_view s, std::size_t& at, char32_t& out) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(at);
  const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || at + length > s.size()) return false;
  char32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return false;
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  constexpr char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < shortest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  at += length;
  out = c;
  return true;
}

void check_utf8(std::string_view text, std::string_view what) {
  for (std::size_t at = 0; at < text.size();) {
    char32_t c = 0;
    if (!next_code_point(text, at, c))
      throw CodePageError(std::string(what) + " is not UTF-8 (byte " + std::to_string(at) + ")");
  }
}

std::string code_point_name(char32_t c) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
  return name;
}

#ifdef _WIN32

std::wstring to_wide(std::string_view text, unsigned code_page) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  if (n <= 0) throw CodePageError("text that is not valid in code page " + std::to_string(code_page));
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string from_wide(const std::wstring& wide, unsigned code_page, bool exact) {
  if (wide.empty()) return {};
  BOOL defaulted = FALSE;
  const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL* used_default = exact ? &defaulted : nullptr;
  const int n = WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                    nullptr, used_default);
  if (n <= 0 || defaulted) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                      used_default);
  return out;
}

std::string convert(std::string_view text, std::uint16_t from, std::uint16_t to) {
  const std::string out = from_wide(to_wide(text, from), to, to != CP_UTF8);
  if (out.empty() && !text.empty()) throw CodePageError("a character that code page " + std::to_string(to) + " lacks");
  return out;
}

#else

// iconv's name of a code page; glibc and musl both know these.
std::string iconv_name(std::uint16_t code_page) { return code_page == 65001 ? "UTF-8" : "CP" + std::to_string(code_page); }

class Converter {
 public:
  Converter(std::uint16_t from, std::uint16_t to) {
    handle_ = iconv_open(iconv_name(to).c_str(), iconv_name(from).c_str());
    if (handle_ == reinterpret_cast<iconv_t>(-1))
      throw CodePageError("this system's iconv cannot convert from " + iconv_name(from) + " to " + iconv_name(to));
  }
  ~Converter() { iconv_close(handle_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // The whole of `text`, or nothing where a character does not convert: some iconvs
  // fail on it (EILSEQ), others put a stand-in and count it as irreversible.
  std::optional<std::string> run(std::string_view text) {
    std::vector<char> in(text.begin(), text.end());
    std::string out(4 * text.size() + 8, '\0');
    char* in_at = in.data();
    std::size_t in_left = in.size();
    char* out_at = out.data();
    std::size_t out_left = out.size();
    const std::size_t result = iconv(handle_, &in_at, &in_left, &out_at, &out_left);
    if (result != 0 || in_left != 0) return std::nullopt;
    if (iconv(handle_, nullptr, nullptr, &out_at, &out_left) != 0) return std::nullopt;
    out.resize(out.size() - out_left);
    return out;
  }

 private:
  iconv_t handle_;
};

std::string convert(std::string_view text, std::uint16_t from, std::uint16_t to) {
  Converter converter(from, to);
  if (auto out = converter.run(text)) return *out;
  throw CodePageError("a character that " + iconv_name(to) + " lacks");
}

#endif

constexpr std::uint16_t utf8_code_page = 65001;

}  // namespace

std::string encode_code_page(std::string_view utf8, std::uint16_t code_page) {
  check_utf8(utf8, "the caption");
  if (code_page == utf8_code_page) return std::string(utf8);
  std::string out;
  // Character by character, so that a refusal names the character.
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t start = at;
    char32_t c = 0;
    next_code_point(utf8, at, c);  // checked above
    const std::string_view one = utf8.substr(start, at - start);
    std::string encoded;
    try {
      encoded = convert(one, utf8_code_page, code_page);
    } catch (const CodePageError& e) {
      throw CodePageError("code page " + std::to_string(code_page) + " cannot hold " + code_point_name(c) + " \"" +
                          std::string(one) + "\" (" + e.what() + ")");
    }
    // Only a conversion that comes back the same is taken: no best fit, no stand-in.
    if (encoded.empty() || convert(encoded, code_page, utf8_code_page) != one)
      throw CodePageError("code page " + std::to_string(code_page) + " cannot hold " + code_point_name(c) + " \"" +
                          std::string(one) + "\" (it would be stored as another character)");
    out += encoded;
  }
  return out;
}

std::string decode_code_page(std::string_view bytes, std::uint16_t code_page) {
  if (code_page == utf8_code_page) {
    check_utf8(bytes, "the stored text");
    return std::string(bytes);
  }
  return convert(bytes, code_page, utf8_code_page);
}

}  // namespace morvane::app
