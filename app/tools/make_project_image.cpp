// Build-time tool: writes the project image around the form description stream.
// Usage: make_project_image OUT.img STREAM [--language TAG]
// With a language, its descriptor and object table carry that language's locale.
#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "app/project_image_builder.h"
#include "app/tools/file_bytes.h"
#include "formats/languages.h"

int main(int argc, char** argv) {
  const bool language = argc == 5 && std::string(argv[3]) == "--language";
  if (argc != 3 && !language) {
    std::fprintf(stderr, "usage: %s OUT.img STREAM [--language TAG]\n", argv[0]);
    return 2;
  }
  const auto row = morvane::formats::find_language(language ? argv[4] : morvane::formats::english.tag);
  if (!row) {
    std::fprintf(stderr, "make_project_image: no language \"%s\" in formats/languages.h\n", argv[4]);
    return 1;
  }
  try {
    const auto stream = morvane::app::tools::read_file(argv[2]);
    morvane::app::tools::write_file(argv[1], morvane::app::build_project_image(stream, row->locale_id));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_project_image: %s: %s\n", argv[2], e.what());
    return 1;
  }
  return 0;
}
