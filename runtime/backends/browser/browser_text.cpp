#include "runtime/backends/browser/browser_text.h"

#include <emscripten.h>

#include <array>

#include "runtime/backends/browser/css_font.h"


namespace {

// One 2D context serves every run; it lives on the Module object. The page's head may
// have made it already (and looked the captions' faces up in it).
EM_JS(void, morvane_text_init, (), {
  if (Module.morvaneText) return;
  var ctx = typeof morvaneTextContext === 'object' && morvaneTextContext;
  var canvas = ctx ? ctx.canvas : typeof OffscreenCanvas !== 'undefined' ? new OffscreenCanvas(1, 1) : document.createElement('canvas');
  ctx = ctx || canvas.getContext('2d', {willReadFrequently: true});
  if (!ctx) throw new Error('no 2D canvas context for text');
  // The script's face goes before the generic family that ends every CSS font asked for.
  Module.morvaneText = {canvas: canvas, ctx: ctx, pixels: null, face: "", rtl: false, font: function(css) {
    css = UTF8ToString(css);
    return this.face ? css.replace(/sans-serif$/, this.face + ', sans-serif') : css;
  }};
});

EM_JS(void, morvane_text_script, (const char* face, int rtl), {
  var t = Module.morvaneText;
  t.face = face ? JSON.stringify(UTF8ToString(face)) : "";
  t.rtl = !!rtl;
});

EM_JS(void, morvane_text_metrics, (const char* font, int* out), {
  var ctx = Module.morvaneText.ctx;
  ctx.font = Module.morvaneText.font(font);
  var m = ctx.measureText('Hg');
  var ascent = m.fontBoundingBoxAscent, descent = m.fontBoundingBoxDescent;
  if (!(ascent >= 0) || !(descent >= 0)) {
    ascent = m.actualBoundingBoxAscent;
    descent = m.actualBoundingBoxDescent;
  }
  HEAP32[out >> 2] = Math.ceil(ascent);
  HEAP32[(out >> 2) + 1] = Math.ceil(descent);
});

// A right-to-left script's run is shaped and ordered as one; the others keep the
// context's own direction.
EM_JS(int, morvane_text_measure, (const char* font, const char* text), {
  var t = Module.morvaneText, ctx = t.ctx;
  ctx.font = t.font(font);
  ctx.direction = t.rtl ? 'rtl' : 'inherit';
  return Math.round(ctx.measureText(UTF8ToString(text)).width);
});

// Draws the run white on a cleared canvas with the pen at (left, ascent) and keeps
// the pixels; out receives the mask's left (from the pen), width and height.
EM_JS(void, morvane_text_draw, (const char* font, const char* text, int ascent, int descent, int* out), {
  var t = Module.morvaneText;
  var f = t.font(font), s = UTF8ToString(text);
  var direction = t.rtl ? 'rtl' : 'inherit';
  t.ctx.font = f;
  t.ctx.direction = direction;
  var m = t.ctx.measureText(s);
  var left = Math.max(0, Math.ceil(m.actualBoundingBoxLeft || 0));
  var right = Math.max(Math.ceil(m.actualBoundingBoxRight || 0), Math.ceil(m.width));
  var w = left + right + 1, h = Math.max(1, ascent + descent);
  t.canvas.width = w;  // resizing resets the context's state
  t.canvas.height = h;
  t.ctx.font = f;
  t.ctx.direction = direction;
  t.ctx.textAlign = 'left';
  t.ctx.textBaseline = 'alphabetic';
  t.ctx.fillStyle = '#ffffff';
  t.ctx.clearRect(0, 0, w, h);
  t.ctx.fillText(s, left, ascent);
  t.pixels = t.ctx.getImageData(0, 0, w, h).data;
  HEAP32[out >> 2] = -left;
  HEAP32[(out >> 2) + 1] = w;
  HEAP32[(out >> 2) + 2] = h;
});

// Copies the kept pixels' alpha (the coverage) to dst, count bytes.
EM_JS(void, morvane_text_take, (unsigned char* dst, int count), {
  var p = Module.morvaneText.pixels;
  if (!p || p.length !== count * 4) throw new Error('text mask of ' + count + ' pixels asked, ' + (p ? p.length / 4 : 0) + ' drawn');
  for (var i = 0; i < count; i++) HEAPU8[dst + i] = p[i * 4 + 3];
  Module.morvaneText.pixels = null;
});

}  // namespace

namespace morvane::runtime {

BrowserTextRasterizer::BrowserTextRasterizer() { morvane_text_init(); }

void BrowserTextRasterizer::set_script(const char* face, bool right_to_left) {
  morvane_text_script(face, right_to_left ? 1 : 0);
  metrics_.clear();
  widths_.clear();
  masks_.clear();
}

FontMetrics BrowserTextRasterizer::metrics(const FontSpec& font) {
  const std::string css = css_font(font);
  if (auto it = metrics_.find(css); it != metrics_.end()) return it->second;
  std::array<int, 2> out{};
  morvane_text_metrics(css.c_str(), out.data());
  const FontMetrics m{out[0], out[1]};
  metrics_.emplace(css, m);
  return m;
}

int BrowserTextRasterizer::measure(std::string_view utf8, const FontSpec& font) {
  if (utf8.empty()) return 0;
  RunKey key{css_font(font), std::string(utf8)};
  if (auto it = widths_.find(key); it != widths_.end()) return it->second;
  const int width = morvane_text_measure(key.first.c_str(), key.second.c_str());
  if (widths_.size() >= kMaxCachedRuns) widths_.clear();
  widths_.emplace(std::move(key), width);
  return width;
}

TextMask BrowserTextRasterizer::render(std::string_view utf8, const FontSpec& font) {
  if (utf8.empty()) return {};
  const FontMetrics m = metrics(font);
  RunKey key{css_font(font), std::string(utf8)};
  if (auto it = masks_.find(key); it != masks_.end()) return it->second;
  std::array<int, 3> out{};
  morvane_text_draw(key.first.c_str(), key.second.c_str(), m.ascent, m.descent, out.data());
  TextMask mask;
  mask.left = out[0];
  mask.width = out[1];
  mask.height = out[2];
  mask.coverage.resize(static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height));
  morvane_text_take(mask.coverage.data(), static_cast<int>(mask.coverage.size()));
  if (masks_.size() >= kMaxCachedRuns) masks_.clear();
  masks_.emplace(std::move(key), mask);
  return mask;
}

}  // namespace morvane::runtime
