#include "runtime/backends/shell/platform_shell.h"

#include <algorithm>

namespace morvane::runtime {

void PlatformShell::fit(FormWindow& window, int min_side) {
  fb_.resize(std::max(min_side, window.client_width()), std::max(min_side, window.client_height()));
  window.invalidate_all();
}

std::vector<PixelRect> PlatformShell::paint_dirty(FormWindow& window) { return renderer_.paint_dirty(window, fb_); }

std::vector<PixelRect> PlatformShell::paint_all(FormWindow& window) {
  window.invalidate_all();
  return paint_dirty(window);
}

}  // namespace morvane::runtime
