// Build-time tool: writes the project image, with the form description stream
// when one is given. Usage: make_project_image OUT.img [STREAM]
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/project_image_builder.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s OUT.img [STREAM]\n", argv[0]);
    return 2;
  }
  std::vector<std::uint8_t> stream;
  std::uint32_t length = 497718;  // the length the form table records until a stream is laid out
  if (argc == 3) {
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "make_project_image: cannot read %s\n", argv[2]);
      return 1;
    }
    stream.assign(std::istreambuf_iterator<char>(in), {});
    length = static_cast<std::uint32_t>(stream.size());
  }
  const auto image = morvane::app::build_project_image(stream, length);
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  if (!out) {
    std::fprintf(stderr, "make_project_image: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
