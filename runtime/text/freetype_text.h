// Text from the installed fonts: fontconfig finds the face for a font name (or the
// face that stands in for it, or for a script it lacks), HarfBuzz shapes the text and
// FreeType draws its glyphs as grey coverage. Faces are
// opened once per name, weight, slant and pixel size; glyphs are drawn once and kept.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>

#include "runtime/core/paint/text_rasterizer.h"
#include "runtime/text/font_locator.h"

namespace morvane::runtime::text {

struct HarfBuzz;

class FreeTypeTextRasterizer final : public TextRasterizer {
 public:
  // Throws std::runtime_error when FreeType cannot start. With font_cache, the font
  // lookups of an earlier run are kept in that file (see FontLocator).
  explicit FreeTypeTextRasterizer(std::filesystem::path font_cache = {});
  ~FreeTypeTextRasterizer() override;
  FreeTypeTextRasterizer(const FreeTypeTextRasterizer&) = delete;
  FreeTypeTextRasterizer& operator=(const FreeTypeTextRasterizer&) = delete;

  FontMetrics metrics(const FontSpec& font) override;
  int measure(std::string_view utf8, const FontSpec& font) override;
  TextMask render(std::string_view utf8, const FontSpec& font) override;
  // Writes the fonts found in this run to the font cache file, if there are new ones.
  void keep_for_next_run() override { locator_.save(); }

  // The family of the face that stands for `font` ("" when no font could be found).
  std::string face_family(const FontSpec& font);
  // Glyphs drawn so far, over all faces.
  std::size_t glyphs_drawn() const { return glyphs_drawn_; }
  // Whether fontconfig was needed so far (false while the font cache answered).
  bool fontconfig_loaded() const { return locator_.fontconfig_loaded(); }

 private:
  struct Glyph {
    unsigned index = 0;    // in the face, for kerning
    int advance = 0;       // pixels
    int left = 0;          // bitmap's left edge from the pen
    int top = 0;           // bitmap's top row above the baseline
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;
  };
  struct Face;
  struct LibraryDeleter {
    void operator()(void* library) const;
  };

  Face* face_for(const FontSpec& font);
  // The face for `font` that has every character of `utf8`: the font's own, or where it
  // lacks the script, a language's caption face (formats/languages.h) that has them.
  Face* face_for_run(const FontSpec& font, std::string_view utf8);
  Glyph draw(Face& face, unsigned index);
  const Glyph& glyph(Face& face, char32_t cp);
  const Glyph& shaped_glyph(Face& face, unsigned index);
  // Calls place(glyph, pen_x, down) for each glyph of the run, left to right (`down`:
  // pixels below the baseline the glyph is moved); returns the pen's end. ASCII is laid
  // glyph by glyph; any other text is shaped by HarfBuzz (loaded then) in its own direction.
  template <class Place>
  int lay_out(Face& face, std::string_view utf8, Place&& place);
  template <class Place>
  int lay_out_shaped(const HarfBuzz& hb, Face& face, std::string_view utf8, Place& place);

  std::unique_ptr<void, LibraryDeleter> library_;
  FontLocator locator_;
  // Key: lower-case name, weight, italic, pixel size. A null face: nothing found.
  std::map<std::tuple<std::string, int, bool, int>, std::unique_ptr<Face>> faces_;
  std::size_t glyphs_drawn_ = 0;
  bool warned_ = false;
};

}  // namespace morvane::runtime::text
