// Build-time tool: writes the project image around the form description stream.
// Usage: make_project_image OUT.img STREAM
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/project_image_builder.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s OUT.img STREAM\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "make_project_image: cannot read %s\n", argv[2]);
    return 1;
  }
  const std::vector<std::uint8_t> stream(std::istreambuf_iterator<char>(in), {});
  std::vector<std::uint8_t> image;
  try {
    image = morvane::app::build_project_image(stream);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_project_image: %s: %s\n", argv[2], e.what());
    return 1;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  if (!out) {
    std::fprintf(stderr, "make_project_image: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
