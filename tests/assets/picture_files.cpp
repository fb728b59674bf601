#include "tests/assets/picture_files.h"

#include <array>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace morvane::test {

std::vector<std::uint8_t> read_asset(const std::string& name) {
  const std::string path = std::string(MORVANE_ASSETS_DIR) + "/" + name;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

runtime::Image load_picture(const std::string& name) { return runtime::decode_bmp(read_asset(name)); }

bool is_smoothing_colour(std::uint32_t rgb) {
  constexpr std::array<std::uint32_t, 7> levels{0x00, 0x48, 0x74, 0x9C, 0xBF, 0xDF, 0xFF};
  for (int shift = 0; shift < 24; shift += 8) {
    bool found = false;
    for (const std::uint32_t level : levels) found = found || ((rgb >> shift) & 0xFF) == level;
    if (!found) return false;
  }
  return true;
}

}  // namespace morvane::test
