// A text rasterizer with fixed, easily predicted glyphs: every byte but the space
// is a solid block, so tests can tell exactly where a caption lands.
#pragma once

#include "runtime/core/paint/text_rasterizer.h"

namespace morvane::testing {

class BlockText final : public runtime::TextRasterizer {
 public:
  static constexpr int kAdvance = 8;       // every byte
  static constexpr int kAscent = 12;
  static constexpr int kDescent = 4;
  static constexpr int kInkLeft = 1;       // block: x 1..6, y 2..13 from the pen and line top
  static constexpr int kInkRight = 7;
  static constexpr int kInkTop = 2;
  static constexpr int kInkBottom = 14;

  runtime::FontMetrics metrics(const runtime::FontSpec&) override { return {kAscent, kDescent}; }
  int measure(std::string_view s, const runtime::FontSpec&) override { return static_cast<int>(s.size()) * kAdvance; }
  runtime::TextMask render(std::string_view s, const runtime::FontSpec& f) override {
    ++renders;
    runtime::TextMask m;
    m.width = measure(s, f);
    m.height = kAscent + kDescent + taller;
    m.coverage.assign(static_cast<std::size_t>(m.width) * static_cast<std::size_t>(m.height), 0);
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == ' ') continue;
      for (int y = kInkTop + taller; y < kInkBottom + taller; ++y)
        for (int x = kInkLeft; x < kInkRight; ++x)
          m.coverage[static_cast<std::size_t>(y * m.width) + i * kAdvance + static_cast<std::size_t>(x)] = 255;
    }
    return m;
  }
  int renders = 0;
  // Rows the masks have beyond the metrics, the ink moved down by as many: a face that
  // stands in for a script and is taller than the font's own.
  int taller = 0;
};

}  // namespace morvane::testing
