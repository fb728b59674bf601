// What the painter chose for one language's captions and picture words (assets/<tag>/
// fitting.txt): each one's text and its size in pixels to the em at 96 dots per inch,
// beside the English size. The painter measures with the language's faces; the build,
// which reads no fonts, takes the sizes from this record once it has checked that the
// record is current (the same texts as the catalogue) and within bounds.
//
// One line per text, tab-separated: context, size, English size, text. The window's title
// is drawn in the window system's font, so its sizes are "-".
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "formats/words_file.h"

namespace morvane::app {

class FittingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct FittedText {
  std::string context;
  std::optional<int> pixels;          // nothing for a text that is not fitted
  std::optional<int> english_pixels;
  std::string text;                   // UTF-8
  friend bool operator==(const FittedText&, const FittedText&) = default;
};

using FittingRecord = std::vector<FittedText>;

// The captions, as their contexts in the catalogue; a picture word's context begins with
// picture_word_prefix.
inline constexpr std::string_view form_caption_context = "Form1 caption";
inline constexpr std::string_view label_caption_context = "Label1 caption";
inline constexpr std::string_view command_caption_context = "Command1 caption";
inline constexpr std::string_view picture_word_prefix = "picture word ";

// The smallest size a translation may take: two thirds of the English one, rounded up.
constexpr int smallest_pixels(int english_pixels) { return (2 * english_pixels + 2) / 3; }

// A size in points at 96 dots per inch, in ten-thousandths of a point, as the stream
// stores it: whole pixels give quarter points.
constexpr std::uint32_t size_e4_of_pixels(int pixels) { return static_cast<std::uint32_t>(pixels) * 7500; }

std::string write_fitting_record(const FittingRecord& record, std::string_view tag);
// Throws FittingError naming the line of a line that is not four fields.
FittingRecord read_fitting_record(std::string_view text);

// Checks `record` against the catalogue's words: every caption and picture word of the
// catalogue is in it with the catalogue's text, at a size between two thirds of the
// English one and the English one; a caption's English size must be `english_caption_pixels`'
// (from Form1's declaration). Returns each context's size. Throws FittingError naming
// `record_name`, the context and how to make the record again.
std::map<std::string, int> check_fitting_record(const FittingRecord& record, const formats::WordsFile& catalogue,
                                                const std::map<std::string, int>& english_caption_pixels,
                                                const std::string& record_name, std::string_view tag);

}  // namespace morvane::app
