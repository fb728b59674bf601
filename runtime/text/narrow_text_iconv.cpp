// narrow_to_utf8 with the C library's iconv (glibc's converters: CP1252, CP1251, CP936,
// CP1256 and the rest of the Windows code pages).
#include <iconv.h>

#include <cerrno>
#include <map>
#include <optional>
#include <mutex>
#include <string>

#include "runtime/core/objects/narrow_text.h"

namespace morvane::runtime {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool all_ascii(std::string_view bytes) {
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::string iconv_name(std::uint16_t code_page) {
  return code_page == 65001 ? std::string("UTF-8") : "CP" + std::to_string(code_page);
}

// One converter per code page, opened at its first use and kept for the process (the
// runtime converts its captions on each paint). A code page iconv does not know has a
// null entry.
class Converters {
 public:
  ~Converters() {
    for (auto& [page, cd] : open_)
      if (cd) iconv_close(*cd);
  }
  // Calls convert(cd) with the converter for `code_page` (nullopt when there is none).
  template <class Convert>
  std::string with(std::uint16_t code_page, Convert&& convert) {
    const std::lock_guard lock(mutex_);
    auto it = open_.find(code_page);
    if (it == open_.end()) {
      const iconv_t cd = iconv_open("UTF-8", iconv_name(code_page).c_str());
      it = open_.emplace(code_page, cd == reinterpret_cast<iconv_t>(-1) ? std::nullopt : std::optional(cd)).first;
    }
    return convert(it->second);
  }

 private:
  std::mutex mutex_;
  std::map<std::uint16_t, std::optional<iconv_t>> open_;
};

Converters& converters() {
  static Converters instance;
  return instance;
}

// Without a converter only ASCII is certain: every other byte becomes U+FFFD.
std::string ascii_only(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) < 0x80)
      out += c;
    else
      out += kReplacement;
  }
  return out;
}

std::string convert(iconv_t cd, std::string_view bytes) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // the initial shift state
  std::string out;
  char buffer[256];
  char* in = const_cast<char*>(bytes.data());  // iconv's signature; it does not write there
  std::size_t in_left = bytes.size();
  while (in_left > 0) {
    char* to = buffer;
    std::size_t to_left = sizeof buffer;
    const std::size_t done = iconv(cd, &in, &in_left, &to, &to_left);
    out.append(buffer, static_cast<std::size_t>(to - buffer));
    if (done != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // A sequence cut off at the end is one unknown character; a byte the code page
    // does not define (EILSEQ) is one, and the conversion goes on after it.
    out += kReplacement;
    if (errno == EINVAL) break;
    ++in;
    --in_left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

}  // namespace

std::string narrow_to_utf8(std::string_view bytes, std::uint16_t code_page) {
  // ASCII is itself in every code page used here: English never reaches iconv.
  if (all_ascii(bytes)) return std::string(bytes);
  return converters().with(code_page, [&](const std::optional<iconv_t>& cd) {
    return cd ? convert(*cd, bytes) : ascii_only(bytes);
  });
}

}  // namespace morvane::runtime
