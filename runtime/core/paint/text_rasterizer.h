// Text for the painter: measures runs of UTF-8 text and turns them into coverage
// masks. It is the runtime's only way to text; each platform supplies its own
// (installed fonts on the desktop, the page's fonts in a browser).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/core/controls/controls.h"

namespace morvane::runtime {

// Vertical extent of a line, in pixels: the baseline lies `ascent` below the line's top.
struct FontMetrics {
  int ascent = 0;
  int descent = 0;
  int line_height() const { return ascent + descent; }
};

// One line of text as coverage (0 none, 255 full), `width` × `height`, top row first.
// Its left edge lies `left` pixels from the pen's start (negative where the first
// glyph reaches to the left of it); its top is the line's top.
struct TextMask {
  int left = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> coverage;

  std::uint8_t at(int x, int y) const {
    return coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
};

class TextRasterizer {
 public:
  virtual ~TextRasterizer() = default;
  // The line metrics of the face that stands for `font` at font.pixel_size().
  virtual FontMetrics metrics(const FontSpec& font) = 0;
  // How far the pen advances over `utf8` laid on one line, in pixels.
  virtual int measure(std::string_view utf8, const FontSpec& font) = 0;
  // The run laid on one line: the pen starts at x 0, the line's top is row 0.
  virtual TextMask render(std::string_view utf8, const FontSpec& font) = 0;
  // Writes down what a later run can take instead of finding it again (the fonts
  // found). A platform calls it once its first frame is shown and nothing waits.
  virtual void keep_for_next_run() {}
};

}  // namespace morvane::runtime
