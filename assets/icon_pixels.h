// The window icon as pixels, decoded from assets/morvane.png by the build.
#pragma once

#include <cstdint>
#include <span>

namespace morvane::assets {

constexpr int icon_side = 32;
extern const std::span<const std::uint8_t> icon_rgba;  // icon_side squared pixels, 8-bit RGBA, top row first

}  // namespace morvane::assets
