// The system colour table: a colour value of 0x80000000 plus n names entry n,
// looked up at the moment of painting.
#pragma once

#include <array>
#include <cstdint>

namespace morvane::runtime {

namespace syscolor {
inline constexpr int window_text = 8;
inline constexpr int menu_text = 7;
inline constexpr int highlight_text = 14;
inline constexpr int button_face = 15;
inline constexpr int button_shadow = 16;
inline constexpr int button_text = 18;
inline constexpr int button_highlight = 20;
inline constexpr int dark_shadow = 21;
inline constexpr int light = 22;
}  // namespace syscolor

class SystemColors {
 public:
  static constexpr int kCount = 25;
  SystemColors();  // the standard scheme
  // 0x00RRGGBB of entry n (unknown entries are black).
  std::uint32_t rgb(int index) const;
  void set(int index, std::uint32_t rgb);
  // Resolves a colour value: system colour or RGB (stored as 0x00BBGGRR).
  std::uint32_t resolve(std::uint32_t color_value) const;

 private:
  std::array<std::uint32_t, kCount> table_{};
};

}  // namespace morvane::runtime
