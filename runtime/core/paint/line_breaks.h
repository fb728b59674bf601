// Breaks a caption into the lines that a control shows.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

namespace morvane::runtime {

// Splits `text` into lines no wider than `width` pixels, breaking at spaces; a line
// break (CR, LF or CR LF) always ends a line. A word wider than `width` stands alone
// on its line and is left for the painter to clip. The spaces at a break belong to
// no line. `measure` gives the width of a run laid on one line.
std::vector<std::string_view> break_lines(std::string_view text, int width,
                                          const std::function<int(std::string_view)>& measure);

}  // namespace morvane::runtime
