#include "runtime/text/harfbuzz_library.h"

#include <dlfcn.h>

#include <cstdio>
#include <optional>

namespace morvane::runtime::text {

namespace {

template <class Function>
bool resolve(void* library, const char* name, Function& out) {
  out = reinterpret_cast<Function>(dlsym(library, name));
  if (out) return true;
  std::fprintf(stderr, "morvane: text is laid out without shaping: %s has no %s\n", MORVANE_HARFBUZZ_SONAME, name);
  return false;
}

std::optional<HarfBuzz> load() {
  void* library = dlopen(MORVANE_HARFBUZZ_SONAME, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "morvane: text is laid out without shaping: %s\n", dlerror());
    return std::nullopt;
  }
  HarfBuzz hb{};
  const bool all = resolve(library, "hb_ft_font_create_referenced", hb.ft_font_create_referenced) &&
                   resolve(library, "hb_ft_font_set_load_flags", hb.ft_font_set_load_flags) &&
                   resolve(library, "hb_font_destroy", hb.font_destroy) &&
                   resolve(library, "hb_buffer_create", hb.buffer_create) &&
                   resolve(library, "hb_buffer_destroy", hb.buffer_destroy) &&
                   resolve(library, "hb_buffer_add_utf8", hb.buffer_add_utf8) &&
                   resolve(library, "hb_buffer_guess_segment_properties", hb.buffer_guess_segment_properties) &&
                   resolve(library, "hb_shape", hb.shape) &&
                   resolve(library, "hb_buffer_get_glyph_infos", hb.buffer_get_glyph_infos) &&
                   resolve(library, "hb_buffer_get_glyph_positions", hb.buffer_get_glyph_positions);
  if (!all) {
    dlclose(library);
    return std::nullopt;
  }
  return hb;  // the library stays loaded: faces keep HarfBuzz fonts until the end
}

}  // namespace

const HarfBuzz* harfbuzz() {
  static const std::optional<HarfBuzz> loaded = load();
  return loaded ? &*loaded : nullptr;
}

}  // namespace morvane::runtime::text
