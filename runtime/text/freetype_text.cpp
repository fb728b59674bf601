#include "runtime/text/freetype_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "formats/languages.h"
#include "runtime/text/harfbuzz_library.h"
#include "runtime/text/utf8.h"

namespace morvane::runtime::text {

namespace {

struct FaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};

int ceil_26_6(FT_Pos v) { return static_cast<int>((v + 63) >> 6); }
int round_26_6(FT_Pos v) { return static_cast<int>((v + 32) >> 6); }

constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT;

bool all_ascii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// HarfBuzz's objects exist only once the library is loaded.
struct HbFontDeleter {
  void operator()(hb_font_t* font) const { harfbuzz()->font_destroy(font); }
};
struct HbBufferDeleter {
  void operator()(hb_buffer_t* buffer) const { harfbuzz()->buffer_destroy(buffer); }
};

}  // namespace

struct FreeTypeTextRasterizer::Face {
  std::unique_ptr<FT_FaceRec_, FaceDeleter> ft;
  std::string family;
  FontMetrics metrics;
  bool kerning = false;
  std::unordered_map<char32_t, Glyph> glyphs;           // by character, for ASCII runs
  std::unique_ptr<hb_font_t, HbFontDeleter> shaper;     // made at the first shaped run
  std::unordered_map<unsigned, Glyph> shaped_glyphs;    // by glyph index

  hb_font_t* hb(const HarfBuzz& hb) {
    if (!shaper) {
      shaper.reset(hb.ft_font_create_referenced(ft.get()));
      hb.ft_font_set_load_flags(shaper.get(), kLoadFlags);
    }
    return shaper.get();
  }
  bool covers(std::string_view utf8) const {
    for (std::size_t pos = 0; pos < utf8.size();) {
      const char32_t cp = next_code_point(utf8, pos);
      if (cp >= 0x20 && FT_Get_Char_Index(ft.get(), cp) == 0) return false;
    }
    return true;
  }
};

void FreeTypeTextRasterizer::LibraryDeleter::operator()(void* library) const {
  FT_Done_FreeType(static_cast<FT_Library>(library));
}

FreeTypeTextRasterizer::FreeTypeTextRasterizer(std::filesystem::path font_cache) : locator_(std::move(font_cache)) {
  FT_Library lib = nullptr;
  if (FT_Init_FreeType(&lib) != 0) throw std::runtime_error("cannot start the FreeType library");
  library_.reset(lib);
}

FreeTypeTextRasterizer::~FreeTypeTextRasterizer() {
  faces_.clear();  // before the library they belong to
}

FreeTypeTextRasterizer::Face* FreeTypeTextRasterizer::face_for(const FontSpec& font) {
  std::string key_name = font.name;
  std::transform(key_name.begin(), key_name.end(), key_name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const int px = std::max(1, font.pixel_size());
  auto key = std::make_tuple(key_name, static_cast<int>(font.weight), font.italic, px);
  if (auto it = faces_.find(key); it != faces_.end()) return it->second.get();

  std::unique_ptr<Face> face;
  const auto families = candidate_families(font.name);
  for (std::size_t i = 0; i < families.size() && !face; ++i) {
    // The generic family at the end takes whatever fontconfig offers.
    const bool last = i + 1 == families.size();
    const auto file = locator_.find(families[i], font.weight, font.italic, !last);
    if (!file) continue;
    FT_Face ft = nullptr;
    if (FT_New_Face(static_cast<FT_Library>(library_.get()), file->path.c_str(), file->index, &ft) != 0) {
      // A face named by the cache that no longer opens: ask again without the cache.
      if (locator_.forget_cached_answers()) --i;
      continue;
    }
    std::unique_ptr<FT_FaceRec_, FaceDeleter> owned(ft);
    if (!FT_IS_SCALABLE(ft) || FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(px)) != 0) continue;
    face = std::make_unique<Face>();
    face->ft = std::move(owned);
    face->family = file->family;
    face->metrics.ascent = ceil_26_6(ft->size->metrics.ascender);
    face->metrics.descent = ceil_26_6(-ft->size->metrics.descender);
    face->kerning = FT_HAS_KERNING(ft);
  }
  if (!face && !warned_) {
    warned_ = true;
    std::fprintf(stderr, "morvane: no installed font can stand for \"%s\"; text is left out\n", font.name.c_str());
  }
  Face* result = face.get();
  faces_.emplace(std::move(key), std::move(face));
  return result;
}

FreeTypeTextRasterizer::Glyph FreeTypeTextRasterizer::draw(Face& face, unsigned index) {
  Glyph g;
  g.index = index;
  FT_Face ft = face.ft.get();
  if (FT_Load_Glyph(ft, index, kLoadFlags) == 0 && FT_Render_Glyph(ft->glyph, FT_RENDER_MODE_NORMAL) == 0) {
    const FT_GlyphSlot slot = ft->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    g.advance = round_26_6(slot->advance.x);
    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.num_grays == 256) {
      g.left = slot->bitmap_left;
      g.top = slot->bitmap_top;
      g.width = static_cast<int>(bm.width);
      g.height = static_cast<int>(bm.rows);
      g.coverage.resize(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height));
      for (int y = 0; y < g.height; ++y) {
        const unsigned char* row =
            bm.pitch >= 0 ? bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch
                          : bm.buffer + static_cast<std::ptrdiff_t>(g.height - 1 - y) * -bm.pitch;
        std::copy_n(row, g.width, g.coverage.begin() + static_cast<std::ptrdiff_t>(y) * g.width);
      }
    }
  }
  ++glyphs_drawn_;
  return g;
}

const FreeTypeTextRasterizer::Glyph& FreeTypeTextRasterizer::glyph(Face& face, char32_t cp) {
  if (auto it = face.glyphs.find(cp); it != face.glyphs.end()) return it->second;
  // Control characters take no room and show nothing.
  Glyph g = cp >= 0x20 ? draw(face, FT_Get_Char_Index(face.ft.get(), cp)) : Glyph{};
  return face.glyphs.emplace(cp, std::move(g)).first->second;
}

const FreeTypeTextRasterizer::Glyph& FreeTypeTextRasterizer::shaped_glyph(Face& face, unsigned index) {
  if (auto it = face.shaped_glyphs.find(index); it != face.shaped_glyphs.end()) return it->second;
  return face.shaped_glyphs.emplace(index, draw(face, index)).first->second;
}

FreeTypeTextRasterizer::Face* FreeTypeTextRasterizer::face_for_run(const FontSpec& font, std::string_view utf8) {
  Face* face = face_for(font);
  if (all_ascii(utf8) || (face && face->covers(utf8))) return face;
  // The form's face lacks the script: the caption face of the language whose character
  // set the font names, else the first language's caption face that has every character.
  std::vector<std::string_view> families;
  if (const formats::Language* own = formats::language_of_charset(font.charset))
    families.push_back(own->caption_face.family);
  for (const formats::Language& language : formats::languages) families.push_back(language.caption_face.family);
  FontSpec other = font;
  for (const std::string_view family : families) {
    other.name = std::string(family);
    Face* candidate = face_for(other);
    if (candidate && candidate != face && candidate->covers(utf8)) return candidate;
  }
  return face;
}

template <class Place>
int FreeTypeTextRasterizer::lay_out(Face& face, std::string_view utf8, Place&& place) {
  if (!all_ascii(utf8))
    if (const HarfBuzz* hb = harfbuzz()) return lay_out_shaped(*hb, face, utf8, place);
  // ASCII needs no shaping: the face's characters side by side, kerned by its table
  // (and so is any text where HarfBuzz cannot be loaded, unshaped).
  int pen = 0;
  unsigned previous = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Glyph& g = glyph(face, next_code_point(utf8, pos));
    if (face.kerning && previous && g.index) {
      FT_Vector delta{};
      if (FT_Get_Kerning(face.ft.get(), previous, g.index, FT_KERNING_DEFAULT, &delta) == 0) pen += round_26_6(delta.x);
    }
    place(g, pen, 0);
    pen += g.advance;
    previous = g.index;
  }
  return pen;
}

template <class Place>
int FreeTypeTextRasterizer::lay_out_shaped(const HarfBuzz& hb, Face& face, std::string_view utf8, Place& place) {
  // HarfBuzz picks the script and its direction from the text; its glyphs come in the
  // order they stand from left to right, positioned in 26.6 pixels.
  const std::unique_ptr<hb_buffer_t, HbBufferDeleter> buffer(hb.buffer_create());
  hb.buffer_add_utf8(buffer.get(), utf8.data(), static_cast<int>(utf8.size()), 0, static_cast<int>(utf8.size()));
  hb.buffer_guess_segment_properties(buffer.get());
  hb.shape(face.hb(hb), buffer.get(), nullptr, 0);
  unsigned count = 0;
  const hb_glyph_info_t* info = hb.buffer_get_glyph_infos(buffer.get(), &count);
  const hb_glyph_position_t* pos = hb.buffer_get_glyph_positions(buffer.get(), &count);
  FT_Pos pen = 0;
  for (unsigned i = 0; i < count; ++i) {
    place(shaped_glyph(face, info[i].codepoint), round_26_6(pen + pos[i].x_offset), -round_26_6(pos[i].y_offset));
    pen += pos[i].x_advance;
  }
  return round_26_6(pen);
}

FontMetrics FreeTypeTextRasterizer::metrics(const FontSpec& font) {
  const Face* face = face_for(font);
  return face ? face->metrics : FontMetrics{};
}

int FreeTypeTextRasterizer::measure(std::string_view utf8, const FontSpec& font) {
  Face* face = face_for_run(font, utf8);
  return face ? lay_out(*face, utf8, [](const Glyph&, int, int) {}) : 0;
}

TextMask FreeTypeTextRasterizer::render(std::string_view utf8, const FontSpec& font) {
  TextMask mask;
  Face* face = face_for_run(font, utf8);
  if (!face) return mask;
  // First the extent of the ink and the pen, then the glyphs into the mask.
  int left = 0;
  int right = 0;
  const int end = lay_out(*face, utf8, [&](const Glyph& g, int pen, int) {
    if (g.width == 0) return;
    left = std::min(left, pen + g.left);
    right = std::max(right, pen + g.left + g.width);
  });
  right = std::max(right, end);
  mask.left = left;
  mask.width = right - left;
  mask.height = face->metrics.line_height();
  mask.coverage.assign(static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height), 0);
  const int ascent = face->metrics.ascent;
  lay_out(*face, utf8, [&](const Glyph& g, int pen, int down) {
    const int x0 = pen + g.left - left;
    const int y0 = ascent - g.top + down;
    for (int y = 0; y < g.height; ++y) {
      const int my = y0 + y;
      if (my < 0 || my >= mask.height) continue;  // ink beyond the line's extent
      for (int x = 0; x < g.width; ++x) {
        const std::uint8_t a = g.coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(g.width) +
                                          static_cast<std::size_t>(x)];
        std::uint8_t& m = mask.coverage[static_cast<std::size_t>(my) * static_cast<std::size_t>(mask.width) +
                                        static_cast<std::size_t>(x0 + x)];
        m = std::max(m, a);
      }
    }
  });
  return mask;
}

std::string FreeTypeTextRasterizer::face_family(const FontSpec& font) {
  const Face* face = face_for(font);
  return face ? face->family : std::string{};
}

}  // namespace morvane::runtime::text
