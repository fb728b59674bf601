#include "runtime/text/font_answer_cache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <system_error>

namespace morvane::runtime::text {

namespace {

// The file is lines of tab-separated fields:
//   morvane font answers 1
//   env      FONTCONFIG_FILE FONTCONFIG_PATH FONTCONFIG_SYSROOT  (what they were)
//   stamp    path size mtime_ns                                   (size -1: absent)
//   answer   family weight italic exact found path index matched_family
//   checksum 64-bit FNV-1a of every byte before this line, 16 hex digits
constexpr std::string_view kHeader = "morvane font answers 1";

std::uint64_t fnv1a(std::string_view bytes) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  return h;
}

std::string hex16(std::uint64_t v) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
  return buf;
}

// Fontconfig reads these when it loads its configuration: another value, another answer.
std::string environment_line() {
  std::string line = "env";
  for (const char* name : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT"}) {
    const char* v = std::getenv(name);
    line += '\t';
    line += v ? v : "";
  }
  return line;
}

bool plain(std::string_view field) { return field.find_first_of("\t\n\r") == std::string_view::npos; }

std::vector<std::string_view> split(std::string_view line, char sep) {
  std::vector<std::string_view> out;
  for (std::size_t start = 0;;) {
    const std::size_t end = line.find(sep, start);
    out.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return out;
    start = end + 1;
  }
}

template <class Int>
bool number(std::string_view s, Int& out) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc{} && end == s.data() + s.size();
}

bool flag(std::string_view s, bool& out) {
  if (s != "0" && s != "1") return false;
  out = s == "1";
  return true;
}

}  // namespace

FileStamp FileStamp::of(const std::string& path) {
  FileStamp s;
  s.path = path;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    s.size = static_cast<std::int64_t>(st.st_size);
    s.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  }
  return s;
}

std::string write_font_answers(const FontAnswers& answers) {
  std::vector<FileStamp> stamps = answers.stamps;
  std::set<std::string> stamped;
  for (const FileStamp& s : stamps) stamped.insert(s.path);
  for (const auto& [question, answer] : answers.answers)
    if (answer && stamped.insert(answer->path).second) stamps.push_back(FileStamp::of(answer->path));

  std::string out(kHeader);
  out += '\n';
  out += environment_line();
  out += '\n';
  for (const FileStamp& s : stamps) {
    if (!plain(s.path)) return {};  // a path that the format cannot hold: nothing is kept
    out += "stamp\t" + s.path + '\t' + std::to_string(s.size) + '\t' + std::to_string(s.mtime_ns) + '\n';
  }
  for (const auto& [question, answer] : answers.answers) {
    const auto& [family, weight, italic, exact] = question;
    if (!plain(family) || (answer && (!plain(answer->path) || !plain(answer->family)))) continue;
    out += "answer\t" + family + '\t' + std::to_string(weight) + '\t' + (italic ? "1" : "0") + '\t' +
           (exact ? "1" : "0") + '\t';
    if (answer)
      out += "1\t" + answer->path + '\t' + std::to_string(answer->index) + '\t' + answer->family + '\n';
    else
      out += "0\t\t0\t\n";
  }
  out += "checksum\t" + hex16(fnv1a(out)) + '\n';
  return out;
}

std::optional<FontAnswers> read_font_answers(std::string_view text) {
  // The checksum line closes the file; what it covers is everything before it.
  if (text.empty() || text.back() != '\n') return std::nullopt;
  const std::size_t last = text.rfind('\n', text.size() - 2);
  if (last == std::string_view::npos) return std::nullopt;
  const std::string_view body = text.substr(0, last + 1);
  if (text.substr(last + 1) != "checksum\t" + hex16(fnv1a(body)) + '\n') return std::nullopt;

  std::vector<std::string_view> lines = split(body.substr(0, body.size() - 1), '\n');
  if (lines.size() < 2 || lines[0] != kHeader || lines[1] != environment_line()) return std::nullopt;
  FontAnswers out;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    const auto f = split(lines[i], '\t');
    if (f[0] == "stamp" && f.size() == 4) {
      FileStamp s;
      s.path = f[1];
      if (!number(f[2], s.size) || !number(f[3], s.mtime_ns)) return std::nullopt;
      if (FileStamp::of(s.path) != s) return std::nullopt;  // changed since: stale
      out.stamps.push_back(std::move(s));
    } else if (f[0] == "answer" && f.size() == 9) {
      int weight = 0;
      bool italic = false, exact = false, found = false;
      if (!number(f[2], weight) || !flag(f[3], italic) || !flag(f[4], exact) || !flag(f[5], found))
        return std::nullopt;
      std::optional<FontFile> answer;
      if (found) {
        answer.emplace();
        answer->path = f[6];
        answer->family = f[8];
        if (!number(f[7], answer->index) || answer->path.empty()) return std::nullopt;
      }
      out.answers.emplace(FontQuestion{std::string(f[1]), weight, italic, exact}, std::move(answer));
    } else {
      return std::nullopt;
    }
  }
  // Every font file named must have been stamped (and so checked above).
  std::set<std::string_view> stamped;
  for (const FileStamp& s : out.stamps) stamped.insert(s.path);
  for (const auto& [question, answer] : out.answers)
    if (answer && !stamped.contains(answer->path)) return std::nullopt;
  return out;
}

std::filesystem::path default_font_cache_file() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && *cache == '/') return std::filesystem::path(cache) / "morvane" / "fonts";
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return std::filesystem::path(home) / ".cache" / "morvane" / "fonts";
  return {};
}

std::optional<FontAnswers> load_font_answers(const std::filesystem::path& file) {
  if (file.empty()) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return read_font_answers(text.str());
}

bool save_font_answers(const std::filesystem::path& file, const FontAnswers& answers) {
  if (file.empty()) return false;
  const std::string text = write_font_answers(answers);
  if (text.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  if (ec) return false;
  // Another run may write at the same time: each writes its own file and renames it.
  std::filesystem::path temporary = file;
  temporary += "." + std::to_string(::getpid()) + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, ec);
      return false;
    }
  }
  std::filesystem::rename(temporary, file, ec);
  if (ec) {
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace morvane::runtime::text
