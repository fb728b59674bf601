#include "runtime/backends/windows/gdi_text.h"

#include <windows.h>
#include <usp10.h>

#include <algorithm>
#include <stdexcept>

#include "formats/languages.h"
#include "runtime/backends/windows/windows_platform.h"

namespace morvane::runtime {
namespace {

HDC dc_of(void* p) { return static_cast<HDC>(p); }

// The face a caption is drawn in: the form's own, unless the language's row names a
// face of its script in its place (the form's face lacks Cyrillic, Han, Arabic and
// Devanagari).
std::string face_for(const FontSpec& font) {
  const formats::Language* row = formats::language_of_charset(static_cast<std::uint16_t>(font.charset));
  if (!row || row->caption_face.family == formats::comic_neue.family) return font.name;
  return std::string(row->caption_face.family);
}

// A caption laid out by Uniscribe in the selected font: itemized by script, shaped
// (Arabic's letters joined, Devanagari's clusters formed), placed, and in right-to-left
// order for a right-to-left language; a character the font lacks falls back to a face
// that has it.
class ShapedText {
 public:
  ShapedText(HDC dc, const std::wstring& text, bool right_to_left) {
    if (text.empty()) return;
    SCRIPT_CONTROL control{};
    SCRIPT_STATE state{};
    DWORD flags = SSA_GLYPHS | SSA_FALLBACK;
    if (right_to_left) {
      state.uBidiLevel = 1;
      flags |= SSA_RTL;
    }
    const int length = static_cast<int>(text.size());
    if (FAILED(ScriptStringAnalyse(dc, text.c_str(), length, length * 3 / 2 + 16, -1, flags, 0, &control, &state,
                                   nullptr, nullptr, nullptr, &analysis_)))
      throw std::runtime_error("cannot lay out a caption's text");
  }
  ~ShapedText() {
    if (analysis_) ScriptStringFree(&analysis_);
  }
  ShapedText(const ShapedText&) = delete;
  ShapedText& operator=(const ShapedText&) = delete;

  int width() const {
    const SIZE* size = analysis_ ? ScriptString_pSize(analysis_) : nullptr;
    return size ? static_cast<int>(size->cx) : 0;
  }
  void draw(int x, int y) const {
    if (analysis_) ScriptStringOut(analysis_, x, y, 0, nullptr, 0, 0, FALSE);
  }

 private:
  SCRIPT_STRING_ANALYSIS analysis_ = nullptr;
};

bool right_to_left(const FontSpec& font) {
  const formats::Language* row = formats::language_of_charset(static_cast<std::uint16_t>(font.charset));
  return row && row->right_to_left;
}

}  // namespace

GdiTextRasterizer::GdiTextRasterizer() : dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_) throw std::runtime_error("cannot make a drawing context for text");
}

GdiTextRasterizer::~GdiTextRasterizer() {
  SelectObject(dc_of(dc_), GetStockObject(SYSTEM_FONT));
  for (auto& [key, font] : fonts_) DeleteObject(static_cast<HFONT>(font));
  DeleteDC(dc_of(dc_));
}

void GdiTextRasterizer::select(const FontSpec& font) {
  const Key key{font.name, font.pixel_size(), font.weight, font.italic, font.underline, font.strikeout, font.charset};
  auto it = fonts_.find(key);
  if (it == fonts_.end()) {
    // A negative height asks for the character height (the em), as point sizes mean.
    HFONT f = CreateFontW(-font.pixel_size(), 0, 0, 0, font.weight, font.italic, font.underline, font.strikeout,
                          static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, widen(face_for(font)).c_str());
    if (!f) throw std::runtime_error("cannot make the font " + font.name);
    it = fonts_.emplace(key, f).first;
  }
  SelectObject(dc_of(dc_), static_cast<HFONT>(it->second));
}

FontMetrics GdiTextRasterizer::metrics(const FontSpec& font) {
  select(font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc_of(dc_), &tm);
  return {static_cast<int>(tm.tmAscent), static_cast<int>(tm.tmDescent)};
}

int GdiTextRasterizer::measure(std::string_view utf8, const FontSpec& font) {
  select(font);
  return ShapedText(dc_of(dc_), widen(std::string(utf8)), right_to_left(font)).width();
}

TextMask GdiTextRasterizer::render(std::string_view utf8, const FontSpec& font) {
  const FontMetrics m = metrics(font);
  const ShapedText text(dc_of(dc_), widen(std::string(utf8)), right_to_left(font));
  // A margin on each side for glyphs that reach past the pen's advance.
  const int margin = std::max(2, m.line_height() / 4);
  TextMask mask;
  mask.left = -margin;
  mask.width = text.width() + 2 * margin;
  mask.height = m.line_height();
  if (mask.width <= 0 || mask.height <= 0) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = mask.width;
  info.bmiHeader.biHeight = -mask.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) throw std::runtime_error("cannot make a bitmap for text");
  HGDIOBJ old = SelectObject(dc_of(dc_), dib);
  // White on black: the brightness of each pixel is the coverage.
  std::fill_n(static_cast<std::uint32_t*>(bits), static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height), 0u);
  SetBkMode(dc_of(dc_), TRANSPARENT);
  SetTextColor(dc_of(dc_), RGB(255, 255, 255));
  SetTextAlign(dc_of(dc_), TA_TOP | TA_LEFT);
  text.draw(margin, 0);
  GdiFlush();
  const auto* px = static_cast<const std::uint32_t*>(bits);
  mask.coverage.resize(static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height));
  for (std::size_t i = 0; i < mask.coverage.size(); ++i) {
    const std::uint32_t p = px[i];
    mask.coverage[i] = static_cast<std::uint8_t>(std::max({p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF}));
  }
  SelectObject(dc_of(dc_), old);
  DeleteObject(dib);
  return mask;
}

}  // namespace morvane::runtime
