// Text through GDI and Uniscribe: the faces as the system resolves them by name (a
// face of the script where the form's lacks it), shaped and placed by Uniscribe, drawn
// anti-aliased into a small DIB section and read back as coverage.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "runtime/core/paint/text_rasterizer.h"

namespace morvane::runtime {

class GdiTextRasterizer final : public TextRasterizer {
 public:
  GdiTextRasterizer();
  ~GdiTextRasterizer() override;
  GdiTextRasterizer(const GdiTextRasterizer&) = delete;
  GdiTextRasterizer& operator=(const GdiTextRasterizer&) = delete;

  FontMetrics metrics(const FontSpec& font) override;
  int measure(std::string_view utf8, const FontSpec& font) override;
  TextMask render(std::string_view utf8, const FontSpec& font) override;

 private:
  // Selects the font into the drawing context (each distinct font is made once).
  void select(const FontSpec& font);
  using Key = std::tuple<std::string, int, int, bool, bool, bool, int>;
  void* dc_;                    // HDC
  std::map<Key, void*> fonts_;  // HFONT by font
};

}  // namespace morvane::runtime
