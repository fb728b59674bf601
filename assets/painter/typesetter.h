// Sets single words in a TrueType face onto a canvas: black ink on white with sub-pixel
// smoothing. Horizontally the face's own hinting places the stems (TrueType interpreter
// version 35, full hinting, advances in whole pixels, no kerning); vertically the hinted
// outline is then aligned to the rows wanted for the baseline, x-height, cap height,
// ascender and descender, with the points between two zones interpolated.
//
// The other languages' words are shaped by HarfBuzz (joined, reordered, set in their own
// direction) and laid with the same rasteriser and smoothing.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "assets/painter/canvas.h"

namespace morvane::painter {

// Heights in whole rows measured from the baseline (the descender downwards). An empty
// zone keeps the height the face's hinting gives it.
struct ZoneTargets {
  std::optional<int> cap_height;
  std::optional<int> x_height;
  std::optional<int> ascender;
  std::optional<int> descender;
};

struct WordSetting {
  std::string text;
  int pixels_per_em_x = 0;
  int pixels_per_em_y = 0;
  int pen_x = 0;          // column of the first glyph's origin
  int baseline_row = 0;   // the lowest row of the letters that stand on the line
  ZoneTargets zones;
};

// A word in any script, shaped as a whole.
struct ShapedSetting {
  std::string text;      // UTF-8
  std::string language;  // a catalogue's tag ("pt_BR") or a BCP 47 one
  int pixels_per_em_x = 0;
  int pixels_per_em_y = 0;
  int pen_x = 0;         // column of the run's origin, its left end whatever the direction
  int baseline_row = 0;  // the lowest row of the letters that stand on the line
  // Hinted outlines, whole-pixel advances and no kerning, as the English words are set;
  // otherwise the outlines and positions as designed, which joined scripts need (a rounded
  // advance opens a gap in a joining stroke or headline).
  bool hinted = false;
  std::optional<ZoneTargets> zones;  // only with hinting
};

struct GlyphInk {
  char character = 0;  // 0 for a shaped glyph
  Box ink;  // non-white pixels of the glyph set alone
};

struct SetWord {
  Box ink;  // non-white pixels of the word
  std::vector<GlyphInk> glyphs;
};

// Hinted heights of a face's zones at one size, in 1/64 pixel (descender positive downwards).
struct ZoneHeights {
  long cap_height = 0;
  long x_height = 0;
  long ascender = 0;
  long descender = 0;
};

class Typesetter {
 public:
  // Opens the face (TrueType or CFF outlines) at its index in the file; throws
  // std::runtime_error if it cannot be read.
  explicit Typesetter(const std::string& font_path, unsigned face_index = 0);
  ~Typesetter();
  Typesetter(Typesetter&&) noexcept;
  Typesetter& operator=(Typesetter&&) noexcept;

  std::string family() const;
  std::string style() const;
  std::string version() const;  // the face's version string, e.g. "Version 2.1.5"

  ZoneHeights hinted_zones(int pixels_per_em_x, int pixels_per_em_y) const;

  // Sets the word; every pixel it darkens must be white beforehand (throws std::logic_error
  // otherwise), and it must fit on the canvas (throws std::out_of_range).
  SetWord set(Canvas& canvas, const WordSetting& word) const;
  // The same for a shaped word; throws std::runtime_error for a character the face lacks.
  SetWord set(Canvas& canvas, const ShapedSetting& word) const;

 private:
  struct Face;
  std::unique_ptr<Face> face_;
};

}  // namespace morvane::painter
