#include "app/tools/fitting_record.h"

#include <algorithm>

namespace morvane::app {

namespace {

std::string size_field(const std::optional<int>& pixels) { return pixels ? std::to_string(*pixels) : "-"; }

std::optional<int> read_size(std::string_view field, int line) {
  if (field == "-") return std::nullopt;
  int value = 0;
  if (field.empty() || field.size() > 4) throw FittingError("line " + std::to_string(line) + ": a size that is no number");
  for (char c : field) {
    if (c < '0' || c > '9') throw FittingError("line " + std::to_string(line) + ": a size that is no number");
    value = value * 10 + (c - '0');
  }
  return value;
}

bool is_fitted(std::string_view context) {
  return context == form_caption_context || context == label_caption_context || context == command_caption_context ||
         context.substr(0, picture_word_prefix.size()) == picture_word_prefix;
}

}  // namespace

std::string write_fitting_record(const FittingRecord& record, std::string_view tag) {
  std::string out = "# The sizes of " + std::string(tag) +
                    "'s captions and picture words, in pixels to the em at 96 dots per inch, beside\n"
                    "# the English size; \"-\" where the window system's font draws the text. Made by\n"
                    "#   paint_pictures assets/" + std::string(tag) + " --language " + std::string(tag) +
                    "\n# and checked by the build against po/" + std::string(tag) + ".po.\n";
  for (const FittedText& t : record)
    out += t.context + "\t" + size_field(t.pixels) + "\t" + size_field(t.english_pixels) + "\t" + t.text + "\n";
  return out;
}

FittingRecord read_fitting_record(std::string_view text) {
  FittingRecord record;
  int line_no = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string_view> fields;
    for (int i = 0; i < 3; ++i) {
      const std::size_t tab = line.find('\t');
      if (tab == std::string_view::npos) break;
      fields.push_back(line.substr(0, tab));
      line.remove_prefix(tab + 1);
    }
    if (fields.size() != 3)
      throw FittingError("line " + std::to_string(line_no) + ": not four fields (context, size, English size, text)");
    record.push_back({std::string(fields[0]), read_size(fields[1], line_no), read_size(fields[2], line_no),
                      std::string(line)});
  }
  return record;
}

std::map<std::string, int> check_fitting_record(const FittingRecord& record, const formats::WordsFile& catalogue,
                                                const std::map<std::string, int>& english_caption_pixels,
                                                const std::string& record_name, std::string_view tag) {
  const std::string again = " (run paint_pictures assets/" + std::string(tag) + " --language " + std::string(tag) +
                            " to fit the catalogue's words again)";
  const auto fail = [&](const std::string& context, const std::string& what) {
    throw FittingError(record_name + ": \"" + context + "\" " + what + again);
  };
  const auto in_catalogue = [&](const std::string& context) {
    return std::find_if(catalogue.entries.begin(), catalogue.entries.end(),
                        [&](const formats::WordEntry& e) { return e.key == context; });
  };
  for (const formats::WordEntry& entry : catalogue.entries)
    if (is_fitted(entry.key) && std::none_of(record.begin(), record.end(), [&](const FittedText& t) {
          return t.context == entry.key;
        }))
      fail(entry.key, "is not in the record");
  // A word that two pictures show has a line for each.
  std::map<std::string, int> sizes;
  for (const FittedText& fitted : record) {
    const auto entry = in_catalogue(fitted.context);
    if (entry == catalogue.entries.end()) fail(fitted.context, "is in the record but not in the catalogue");
    if (fitted.text != entry->text)
      fail(fitted.context, "is \"" + fitted.text + "\" in the record but \"" + entry->text + "\" in the catalogue");
    if (fitted.context == form_caption_context) continue;
    if (!fitted.pixels || !fitted.english_pixels) fail(fitted.context, "has no size");
    if (const auto english = english_caption_pixels.find(fitted.context);
        english != english_caption_pixels.end() && english->second != *fitted.english_pixels)
      fail(fitted.context, "was fitted against an English size of " + std::to_string(*fitted.english_pixels) +
                               " pixels, but Form1 declares " + std::to_string(english->second));
    const int smallest = smallest_pixels(*fitted.english_pixels);
    if (*fitted.pixels < smallest)
      fail(fitted.context, "is " + std::to_string(*fitted.pixels) +
                               " pixels to the em, below two thirds of the English " +
                               std::to_string(*fitted.english_pixels) + " (at least " + std::to_string(smallest) +
                               "): the translation is too long for its place");
    if (*fitted.pixels > *fitted.english_pixels)
      fail(fitted.context, "is " + std::to_string(*fitted.pixels) + " pixels to the em, larger than the English " +
                               std::to_string(*fitted.english_pixels));
    sizes[fitted.context] = *fitted.pixels;
  }
  for (const std::string_view caption : {form_caption_context, label_caption_context, command_caption_context})
    if (std::none_of(catalogue.entries.begin(), catalogue.entries.end(),
                     [&](const formats::WordEntry& e) { return e.key == caption; }))
      throw FittingError("the catalogue has no entry \"" + std::string(caption) + "\"");
  return sizes;
}

}  // namespace morvane::app
