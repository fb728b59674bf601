// The executable's version resource (product and internal name "morvane", file
// name "morvane.exe", version 1.00) in its binary resource form.
#pragma once

#include <cstdint>
#include <vector>

namespace morvane::app {

std::vector<std::uint8_t> version_resource_bytes();

}  // namespace morvane::app
