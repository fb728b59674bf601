#include "runtime/core/paint/line_breaks.h"

namespace morvane::runtime {

namespace {

std::string_view trim_trailing_spaces(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

void break_paragraph(std::string_view para, int width, const std::function<int(std::string_view)>& measure,
                     std::vector<std::string_view>& out) {
  std::size_t start = 0;     // first byte of the line being built
  std::size_t end = 0;       // end of the last word accepted on it
  bool has_word = false;
  std::size_t pos = 0;
  while (pos < para.size()) {
    // The next word and the spaces before it.
    std::size_t word_start = para.find_first_not_of(' ', pos);
    if (word_start == std::string_view::npos) break;
    std::size_t word_end = para.find(' ', word_start);
    if (word_end == std::string_view::npos) word_end = para.size();
    if (!has_word || measure(para.substr(start, word_end - start)) <= width) {
      end = word_end;
      has_word = true;
    } else {
      out.push_back(trim_trailing_spaces(para.substr(start, end - start)));
      start = word_start;
      end = word_end;
    }
    pos = word_end;
  }
  out.push_back(has_word ? para.substr(start, end - start) : std::string_view{});
}

}  // namespace

std::vector<std::string_view> break_lines(std::string_view text, int width,
                                          const std::function<int(std::string_view)>& measure) {
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  while (true) {
    const std::size_t nl = text.find_first_of("\r\n", pos);
    break_paragraph(text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos), width,
                    measure, lines);
    if (nl == std::string_view::npos) break;
    pos = nl + ((text[nl] == '\r' && nl + 1 < text.size() && text[nl + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

}  // namespace morvane::runtime
