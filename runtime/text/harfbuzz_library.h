// HarfBuzz, loaded the first time a run of text needs shaping. Text in Latin letters
// alone is laid out glyph by glyph and never needs it, and a program linked with the
// library pays for it (and for GLib, graphite2 and PCRE2 behind it) at every start:
// about 2 ms before main and 2.7 MiB of memory.
#pragma once

#include <hb-ft.h>
#include <hb.h>

namespace morvane::runtime::text {

struct HarfBuzz {
  decltype(&hb_ft_font_create_referenced) ft_font_create_referenced;
  decltype(&hb_ft_font_set_load_flags) ft_font_set_load_flags;
  decltype(&hb_font_destroy) font_destroy;
  decltype(&hb_buffer_create) buffer_create;
  decltype(&hb_buffer_destroy) buffer_destroy;
  decltype(&hb_buffer_add_utf8) buffer_add_utf8;
  decltype(&hb_buffer_guess_segment_properties) buffer_guess_segment_properties;
  decltype(&hb_shape) shape;
  decltype(&hb_buffer_get_glyph_infos) buffer_get_glyph_infos;
  decltype(&hb_buffer_get_glyph_positions) buffer_get_glyph_positions;
};

// The library's functions, loaded by the first call (from any thread) and kept for the
// process's life; null where the library or one of its functions cannot be had, the
// first such call having said why on standard error.
const HarfBuzz* harfbuzz();

}  // namespace morvane::runtime::text
