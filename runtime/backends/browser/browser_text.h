// Text from the page's own fonts: runs are measured and drawn with a 2D canvas
// (an OffscreenCanvas where the browser has one) and read back as coverage masks. The
// canvas shapes each run, in the direction of the language's script.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "runtime/core/paint/text_rasterizer.h"

namespace morvane::runtime {

class BrowserTextRasterizer final : public TextRasterizer {
 public:
  BrowserTextRasterizer();

  // The language's script: the face (a family name) for the characters the controls'
  // faces lack, tried just before sans-serif (empty: none), and whether its runs are
  // set right to left.
  void set_script(const char* face, bool right_to_left);

  FontMetrics metrics(const FontSpec& font) override;
  int measure(std::string_view utf8, const FontSpec& font) override;
  TextMask render(std::string_view utf8, const FontSpec& font) override;

  // Runs kept per font; beyond this many the caches start again.
  static constexpr std::size_t kMaxCachedRuns = 256;

 private:
  using RunKey = std::pair<std::string, std::string>;  // CSS font, text
  std::map<std::string, FontMetrics> metrics_;
  std::map<RunKey, int> widths_;
  std::map<RunKey, TextMask> masks_;
};

}  // namespace morvane::runtime
