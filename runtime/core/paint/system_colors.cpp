#include "runtime/core/paint/system_colors.h"

namespace morvane::runtime {

SystemColors::SystemColors() {
  // The standard scheme, as 0x00RRGGBB.
  table_ = {
      0xC0C0C0,  // 0 scroll bar
      0x008080,  // 1 desktop
      0x000080,  // 2 active caption
      0x808080,  // 3 inactive caption
      0xC0C0C0,  // 4 menu
      0xFFFFFF,  // 5 window
      0x000000,  // 6 window frame
      0x000000,  // 7 menu text
      0x000000,  // 8 window text
      0xFFFFFF,  // 9 caption text
      0xC0C0C0,  // 10 active border
      0xC0C0C0,  // 11 inactive border
      0x808080,  // 12 application workspace
      0x000080,  // 13 highlight
      0xFFFFFF,  // 14 highlight text
      0xC0C0C0,  // 15 button face
      0x808080,  // 16 button shadow
      0x808080,  // 17 grey text
      0x000000,  // 18 button text
      0xC0C0C0,  // 19 inactive caption text
      0xFFFFFF,  // 20 button highlight
      0x000000,  // 21 3D dark shadow
      0xDFDFDF,  // 22 3D light
      0x000000,  // 23 tooltip text
      0xFFFFE1,  // 24 tooltip background
  };
}

std::uint32_t SystemColors::rgb(int index) const {
  if (index < 0 || index >= kCount) return 0;
  return table_[static_cast<std::size_t>(index)];
}

void SystemColors::set(int index, std::uint32_t rgb) {
  if (index >= 0 && index < kCount) table_[static_cast<std::size_t>(index)] = rgb & 0xFFFFFF;
}

std::uint32_t SystemColors::resolve(std::uint32_t value) const {
  if (value & 0x80000000u) return rgb(static_cast<int>(value & 0x7FFFFFFFu));
  // RGB colour values keep red in the low byte.
  return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

}  // namespace morvane::runtime
