// Build-time tool: writes the project image around the form description stream.
// Usage: make_project_image OUT.img STREAM
#include <cstdio>
#include <exception>

#include "app/project_image_builder.h"
#include "app/tools/file_bytes.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s OUT.img STREAM\n", argv[0]);
    return 2;
  }
  try {
    const auto stream = morvane::app::tools::read_file(argv[2]);
    morvane::app::tools::write_file(argv[1], morvane::app::build_project_image(stream));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_project_image: %s: %s\n", argv[2], e.what());
    return 1;
  }
  return 0;
}
