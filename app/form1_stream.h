// Form1's description stream as the build laid it out from the four pictures
// (target morvane_form_stream_data).
#pragma once

#include <cstdint>
#include <span>

namespace morvane::app {

extern const std::span<const std::uint8_t> form1_stream;

}  // namespace morvane::app
