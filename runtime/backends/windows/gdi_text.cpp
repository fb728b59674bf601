#include "runtime/backends/windows/gdi_text.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "runtime/backends/windows/windows_platform.h"

namespace morvane::runtime {
namespace {

HDC dc_of(void* p) { return static_cast<HDC>(p); }

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
                          ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, widen(font.name).c_str());
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
  const std::wstring text = widen(std::string(utf8));
  SIZE size{};
  GetTextExtentPoint32W(dc_of(dc_), text.c_str(), static_cast<int>(text.size()), &size);
  return static_cast<int>(size.cx);
}

TextMask GdiTextRasterizer::render(std::string_view utf8, const FontSpec& font) {
  const FontMetrics m = metrics(font);
  const std::wstring text = widen(std::string(utf8));
  SIZE size{};
  GetTextExtentPoint32W(dc_of(dc_), text.c_str(), static_cast<int>(text.size()), &size);
  // A margin on each side for glyphs that reach past the pen's advance.
  const int margin = std::max(2, m.line_height() / 4);
  TextMask mask;
  mask.left = -margin;
  mask.width = static_cast<int>(size.cx) + 2 * margin;
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
  TextOutW(dc_of(dc_), margin, 0, text.c_str(), static_cast<int>(text.size()));
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
