#include "assets/painter/typesetter.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_DRIVER_H
#include FT_FONT_FORMATS_H
#include FT_MODULE_H
#include FT_OUTLINE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>

#include "assets/painter/subpixel.h"

namespace morvane::painter {

namespace {

constexpr long one_pixel = 64;  // FreeType's 26.6 fixed point

void check(FT_Error error, const std::string& what) {
  if (error != 0) throw std::runtime_error(what + " failed (FreeType error " + std::to_string(error) + ")");
}

// Rounds a / b to the nearest integer, halves away from zero; b > 0.
long round_div(std::int64_t a, std::int64_t b) {
  return static_cast<long>(a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b));
}

// A monotone piecewise-linear map of heights: each anchor takes a hinted height to the
// height wanted for it, points between two anchors are interpolated, points beyond the
// outermost anchors move with them.
class ZoneMap {
 public:
  void add(long hinted, long target) { anchors_.emplace_back(hinted, target); }

  void finish() {
    std::sort(anchors_.begin(), anchors_.end());
    std::vector<std::pair<long, long>> unique;
    for (const auto& anchor : anchors_) {
      if (!unique.empty() && unique.back().first == anchor.first) {
        if (unique.back().second != anchor.second) {
          throw std::logic_error("two zones the hinting puts at one height are wanted at different heights");
        }
        continue;
      }
      if (!unique.empty() && unique.back().second >= anchor.second) {
        throw std::logic_error("the wanted zone heights are not in the order of the face's zones");
      }
      unique.push_back(anchor);
    }
    anchors_ = std::move(unique);
  }

  long operator()(long y) const {
    if (y <= anchors_.front().first) return y + anchors_.front().second - anchors_.front().first;
    if (y >= anchors_.back().first) return y + anchors_.back().second - anchors_.back().first;
    for (std::size_t i = 1; i < anchors_.size(); ++i) {
      const auto [h1, t1] = anchors_[i];
      if (y > h1) continue;
      const auto [h0, t0] = anchors_[i - 1];
      return t0 + round_div(static_cast<std::int64_t>(y - h0) * (t1 - t0), h1 - h0);
    }
    return y;  // unreachable: y lies below the last anchor
  }

 private:
  std::vector<std::pair<long, long>> anchors_;
};

// Loads one glyph's outline at the face's current size.
FT_GlyphSlot load_outline(FT_Face face, FT_UInt index, FT_Int32 flags) {
  check(FT_Load_Glyph(face, index, flags | FT_LOAD_NO_BITMAP), "loading a glyph");
  if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) throw std::runtime_error("glyph without an outline");
  return face->glyph;
}

}  // namespace

struct Typesetter::Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;

  ~Face() {
    if (face != nullptr) FT_Done_Face(face);
    if (library != nullptr) FT_Done_FreeType(library);
  }

  void set_size(int x, int y) const {
    if (x <= 0 || y <= 0) throw std::invalid_argument("pixel sizes must be positive");
    check(FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(x), static_cast<FT_UInt>(y)), "setting the pixel size");
  }

  FT_UInt index_of(char character) const {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(character));
    if (index == 0) throw std::runtime_error(std::string("the face has no glyph for '") + character + "'");
    return index;
  }

  FT_GlyphSlot load_index(FT_UInt index, FT_Int32 flags) const { return load_outline(face, index, flags); }

  // Loads one character's outline with full hinting at the current size.
  FT_GlyphSlot load(char character) const { return load_index(index_of(character), FT_LOAD_TARGET_NORMAL); }

  FT_BBox hinted_box(char character) const {
    FT_BBox box;
    FT_Outline_Get_CBox(&load(character)->outline, &box);
    return box;
  }

  std::string name(FT_UShort name_id) const {
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i) {
      FT_SfntName entry;
      if (FT_Get_Sfnt_Name(face, i, &entry) != 0 || entry.name_id != name_id) continue;
      if (entry.platform_id == TT_PLATFORM_MACINTOSH && entry.encoding_id == TT_MAC_ID_ROMAN) {
        return std::string(reinterpret_cast<const char*>(entry.string), entry.string_len);
      }
      if (entry.platform_id == TT_PLATFORM_MICROSOFT) {  // UTF-16BE; the names here are ASCII
        std::string text;
        for (FT_UInt k = 1; k < entry.string_len; k += 2) text.push_back(static_cast<char>(entry.string[k]));
        return text;
      }
    }
    return {};
  }
};

Typesetter::Typesetter(const std::string& font_path, unsigned face_index) : face_(std::make_unique<Face>()) {
  check(FT_Init_FreeType(&face_->library), "starting FreeType");
  // The version 35 interpreter runs the face's horizontal hints too; the default one
  // (version 40) ignores them and the words come out up to two pixels wider.
  FT_UInt interpreter = TT_INTERPRETER_VERSION_35;
  check(FT_Property_Set(face_->library, "truetype", "interpreter-version", &interpreter),
        "selecting the TrueType interpreter");
  check(FT_New_Face(face_->library, font_path.c_str(), static_cast<FT_Long>(face_index), &face_->face),
        "opening face " + std::to_string(face_index) + " of " + font_path);
  const std::string format = FT_Get_Font_Format(face_->face);
  if (!FT_IS_SFNT(face_->face) || !FT_IS_SCALABLE(face_->face) || (format != "TrueType" && format != "CFF")) {
    throw std::runtime_error(font_path + " is not an OpenType face");
  }
}

Typesetter::~Typesetter() = default;
Typesetter::Typesetter(Typesetter&&) noexcept = default;
Typesetter& Typesetter::operator=(Typesetter&&) noexcept = default;

std::string Typesetter::family() const { return face_->face->family_name; }
std::string Typesetter::style() const { return face_->face->style_name; }
std::string Typesetter::version() const { return face_->name(TT_NAME_ID_VERSION_STRING); }

ZoneHeights Typesetter::hinted_zones(int pixels_per_em_x, int pixels_per_em_y) const {
  face_->set_size(pixels_per_em_x, pixels_per_em_y);
  ZoneHeights zones;
  zones.cap_height = face_->hinted_box('H').yMax;
  zones.x_height = face_->hinted_box('x').yMax;
  zones.ascender = face_->hinted_box('d').yMax;
  zones.descender = -face_->hinted_box('p').yMin;
  return zones;
}

namespace {

// The non-white pixels that smoothing makes of a mask within a region that holds them
// all, or nothing for an empty mask.
std::optional<Box> smoothed_ink(const SampleMask& mask, const Box& region) {
  std::optional<Box> ink;
  for (int y = region.y0; y <= region.y1; ++y) {
    for (int x = region.x0; x <= region.x1; ++x) {
      if (smoothed_pixel(mask, x, y) == white) continue;
      if (!ink) {
        ink = Box{x, x, y, y};
      } else {
        ink->x0 = std::min(ink->x0, x);
        ink->x1 = std::max(ink->x1, x);
        ink->y0 = std::min(ink->y0, y);
        ink->y1 = std::max(ink->y1, y);
      }
    }
  }
  return ink;
}

}  // namespace

namespace {

// Where each hinted zone of the face goes: the word's own rows where it fixes them.
ZoneMap zone_map(const ZoneHeights& hinted, const ZoneTargets& wanted) {
  ZoneMap zones;
  zones.add(0, 0);
  const auto target = [](const std::optional<int>& rows, long hinted_height) {
    return rows ? *rows * one_pixel : hinted_height;
  };
  zones.add(hinted.x_height, target(wanted.x_height, hinted.x_height));
  zones.add(hinted.cap_height, target(wanted.cap_height, hinted.cap_height));
  zones.add(hinted.ascender, target(wanted.ascender, hinted.ascender));
  zones.add(-hinted.descender, -target(wanted.descender, hinted.descender));
  zones.finish();
  return zones;
}

// A one-bit sample buffer as wide as the canvas times the horizontal sampling.
struct SampleBuffer {
  int samples_across;
  int pitch;
  std::vector<unsigned char> bytes;
  explicit SampleBuffer(const Canvas& canvas)
      : samples_across(canvas.width() * samples_per_pixel),
        pitch((samples_across + 31) / 32 * 4),
        bytes(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(canvas.height())) {}
};

struct RasterisedGlyph {
  SampleMask mask;
  Box reach;  // the pixels its samples can darken: its box, a pixel more on each side for smoothing
};

// The glyph's outline, placed and zoned, rasterised into samples.
RasterisedGlyph rasterise(FT_Library library, FT_Outline& outline, char character, SampleBuffer& buffer,
                          const Canvas& canvas) {
  FT_BBox box;
  FT_Outline_Get_CBox(&outline, &box);
  if (box.xMin < 0 || box.yMin < 0 || box.xMax > buffer.samples_across * one_pixel ||
      box.yMax > canvas.height() * one_pixel) {
    const std::string name = character != 0 ? std::string("glyph '") + character + "'" : std::string("a glyph");
    throw std::out_of_range(name + " does not fit on the canvas");
  }
  std::fill(buffer.bytes.begin(), buffer.bytes.end(), 0);
  FT_Bitmap bitmap;
  FT_Bitmap_Init(&bitmap);
  bitmap.rows = static_cast<unsigned>(canvas.height());
  bitmap.width = static_cast<unsigned>(buffer.samples_across);
  bitmap.pitch = buffer.pitch;
  bitmap.buffer = buffer.bytes.data();
  bitmap.pixel_mode = FT_PIXEL_MODE_MONO;
  check(FT_Outline_Get_Bitmap(library, &outline, &bitmap), "rasterising a glyph");

  const long sample = one_pixel * samples_per_pixel;
  const Box reach{std::max(0, static_cast<int>(box.xMin / sample) - 1),
                  std::min(canvas.width() - 1, static_cast<int>((box.xMax + sample - 1) / sample) + 1),
                  std::max(0, canvas.height() - static_cast<int>((box.yMax + one_pixel - 1) / one_pixel) - 1),
                  std::min(canvas.height() - 1, canvas.height() - static_cast<int>(box.yMin / one_pixel))};
  SampleMask mask(canvas.width(), canvas.height());
  for (int y = reach.y0; y <= reach.y1; ++y) {
    const unsigned char* row = buffer.bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(buffer.pitch);
    for (int s = reach.x0 * samples_per_pixel; s < (reach.x1 + 1) * samples_per_pixel; ++s) {
      if ((row[s / 8] >> (7 - s % 8)) & 1) mask.set(s, y);
    }
  }
  return {std::move(mask), reach};
}

// Sets the word's smoothed pixels inside its ink box, on white only.
void lay_ink(Canvas& canvas, const SampleMask& word_mask, const Box& ink, const std::string& text) {
  for (int y = ink.y0; y <= ink.y1; ++y) {
    for (int x = ink.x0; x <= ink.x1; ++x) {
      const Rgb colour = smoothed_pixel(word_mask, x, y);
      if (colour == white) continue;
      if (canvas.at(x, y) != white) {
        throw std::logic_error("the word \"" + text + "\" would cover a pixel that is not white at (" +
                               std::to_string(x) + ", " + std::to_string(y) + ")");
      }
      canvas.set(x, y, colour);
    }
  }
}

}  // namespace

namespace {

// A glyph and where its origin goes: x from the canvas's left edge, y up from the baseline,
// both in 1/64 pixel.
struct PlacedGlyph {
  FT_UInt index = 0;
  long x = 0;
  long y = 0;
  char character = 0;
};

// Lays the run's glyphs, each rasterised alone, and then the word's smoothed ink.
SetWord lay(FT_Library library, FT_Face face, Canvas& canvas, const std::vector<PlacedGlyph>& run,
            FT_Int32 load_flags, const std::optional<ZoneMap>& zones, int baseline_row, const std::string& text) {
  SampleBuffer buffer(canvas);
  // The rasteriser's y axis points up from the canvas's bottom edge.
  const long baseline_up = static_cast<long>(canvas.height() - (baseline_row + 1)) * one_pixel;

  SampleMask word_mask(canvas.width(), canvas.height());
  std::optional<Box> word_reach;
  SetWord result;
  for (const PlacedGlyph& placed : run) {
    FT_Outline& outline = load_outline(face, placed.index, load_flags)->outline;
    for (int i = 0; i < outline.n_points; ++i) {
      const long y = zones ? (*zones)(outline.points[i].y) : outline.points[i].y;
      outline.points[i].x = (placed.x + outline.points[i].x) * samples_per_pixel;
      outline.points[i].y = baseline_up + placed.y + y;
    }
    const RasterisedGlyph glyph = rasterise(library, outline, placed.character, buffer, canvas);
    if (const auto ink = smoothed_ink(glyph.mask, glyph.reach)) result.glyphs.push_back({placed.character, *ink});
    word_mask.merge(glyph.mask);
    word_reach = word_reach ? Box{std::min(word_reach->x0, glyph.reach.x0), std::max(word_reach->x1, glyph.reach.x1),
                                  std::min(word_reach->y0, glyph.reach.y0), std::max(word_reach->y1, glyph.reach.y1)}
                            : glyph.reach;
  }

  const auto ink = word_reach ? smoothed_ink(word_mask, *word_reach) : std::nullopt;
  if (!ink) throw std::logic_error("the word \"" + text + "\" left no ink");
  result.ink = *ink;
  lay_ink(canvas, word_mask, *ink, text);
  return result;
}

}  // namespace

SetWord Typesetter::set(Canvas& canvas, const WordSetting& word) const {
  const ZoneMap zones = zone_map(hinted_zones(word.pixels_per_em_x, word.pixels_per_em_y), word.zones);
  std::vector<PlacedGlyph> run;
  long pen = static_cast<long>(word.pen_x) * one_pixel;
  for (const char character : word.text) {
    const FT_UInt index = face_->index_of(character);
    run.push_back({index, pen, 0, character});
    pen += (face_->load_index(index, FT_LOAD_TARGET_NORMAL)->advance.x + one_pixel / 2) / one_pixel * one_pixel;
  }
  return lay(face_->library, face_->face, canvas, run, FT_LOAD_TARGET_NORMAL, zones, word.baseline_row, word.text);
}

SetWord Typesetter::set(Canvas& canvas, const ShapedSetting& word) const {
  if (word.zones && !word.hinted) throw std::invalid_argument("zones are kept only for hinted words");
  std::optional<ZoneMap> zones;
  if (word.zones) zones = zone_map(hinted_zones(word.pixels_per_em_x, word.pixels_per_em_y), *word.zones);
  face_->set_size(word.pixels_per_em_x, word.pixels_per_em_y);
  const FT_Int32 load_flags = word.hinted ? FT_LOAD_TARGET_NORMAL : FT_LOAD_NO_HINTING;

  const std::unique_ptr<hb_font_t, decltype(&hb_font_destroy)> font(hb_ft_font_create_referenced(face_->face),
                                                                    hb_font_destroy);
  hb_ft_font_set_load_flags(font.get(), load_flags | FT_LOAD_NO_BITMAP);
  const std::unique_ptr<hb_buffer_t, decltype(&hb_buffer_destroy)> buffer(hb_buffer_create(), hb_buffer_destroy);
  hb_buffer_add_utf8(buffer.get(), word.text.data(), static_cast<int>(word.text.size()), 0,
                     static_cast<int>(word.text.size()));
  hb_buffer_set_language(buffer.get(), hb_language_from_string(word.language.data(), static_cast<int>(word.language.size())));
  hb_buffer_guess_segment_properties(buffer.get());
  if (hb_buffer_get_direction(buffer.get()) == HB_DIRECTION_INVALID) {
    throw std::runtime_error("the word \"" + word.text + "\" has no direction to be set in");
  }
  hb_feature_t no_kerning;
  hb_feature_from_string("-kern", -1, &no_kerning);
  hb_shape(font.get(), buffer.get(), word.hinted ? &no_kerning : nullptr, word.hinted ? 1 : 0);

  unsigned count = 0;
  const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer.get(), &count);
  const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer.get(), &count);
  std::vector<PlacedGlyph> run;
  long pen = static_cast<long>(word.pen_x) * one_pixel;
  for (unsigned i = 0; i < count; ++i) {
    if (infos[i].codepoint == 0) {
      throw std::runtime_error("the face " + family() + " has no glyph for a character of \"" + word.text + "\"");
    }
    run.push_back({infos[i].codepoint, pen + positions[i].x_offset, positions[i].y_offset, 0});
    const long advance = positions[i].x_advance;
    pen += word.hinted ? (advance + one_pixel / 2) / one_pixel * one_pixel : advance;
  }
  return lay(face_->library, face_->face, canvas, run, load_flags, zones, word.baseline_row, word.text);
}

}  // namespace morvane::painter
