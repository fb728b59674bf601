// Build-time tool for the Windows executable: lays out the project image and writes
// it as the flat image, its assembler source, the list of its references, and the
// executable's resources (the version resource, the icon as a group with images
// 30001 and up, and each further language's project image, laid out from its stream as
// a relocatable image, and its words, in that language's resource language). Usage:
//   make_windows_image STREAM ICON.ico OUTDIR SYMBOL_PREFIX [TAG STREAM WORDS]...
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/image_assembly.h"
#include "app/project_image_builder.h"
#include "app/tools/file_bytes.h"
#include "app/version_resource.h"
#include "app/windows/icon_resources.h"
#include "app/windows/relocatable_image.h"
#include "formats/languages.h"
#include "formats/relocatable_image.h"

using morvane::app::tools::read_file;
using morvane::app::tools::write_file;

namespace {

// The resource compiler's LANGUAGE statement for a locale identifier: its primary
// language (low 10 bits) and sublanguage.
std::string language_statement(std::uint32_t locale_id) {
  char line[40];
  std::snprintf(line, sizeof line, "LANGUAGE 0x%02X, 0x%02X\n", locale_id & 0x3FF, (locale_id >> 10) & 0x3F);
  return line;
}

// A language's image: its stream, and its locale in the descriptor and the object table.
morvane::app::ImageWriter lay_out_language_image(const std::vector<std::uint8_t>& stream,
                                                  const morvane::formats::Language& language) {
  return morvane::app::lay_out_project_image(stream, language.locale_id);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5 || (argc - 5) % 3 != 0) {
    std::fprintf(stderr, "usage: %s STREAM ICON.ico OUTDIR SYMBOL_PREFIX [TAG STREAM WORDS]...\n", argv[0]);
    return 2;
  }
  try {
    using namespace morvane::app;
    const std::string dir = argv[3];
    const auto stream = read_file(argv[1]);
    const ImageWriter image = lay_out_project_image(stream);
    write_file(dir + "/project.img", image.bytes());
    write_file(dir + "/project_image.s", image_assembly(image, dir + "/project.img", argv[4]));
    std::string refs;
    for (std::uint32_t at : image.references()) refs += std::to_string(image.offset(at)) + "\n";
    write_file(dir + "/project_image.refs", refs);

    // Resources: the version resource in English (United States), the icon language-neutral.
    write_file(dir + "/version.bin", version_resource_bytes());
    const IconResources icon = icon_resources(read_file(argv[2]), 30001);
    std::string rc = "LANGUAGE 0x09, 0x01\n1 16 \"" + dir + "/version.bin\"\nLANGUAGE 0, 0\n";
    write_file(dir + "/icon_group.bin", icon.group);
    rc += "1 14 \"" + dir + "/icon_group.bin\"\n";
    for (std::size_t i = 0; i < icon.images.size(); ++i) {
      const std::string name = dir + "/icon_" + std::to_string(30001 + i) + ".bin";
      write_file(name, icon.images[i]);
      rc += std::to_string(30001 + i) + " 3 \"" + name + "\"\n";
    }
    for (int i = 5; i + 2 < argc; i += 3) {
      const auto language = morvane::formats::find_language(argv[i]);
      if (!language) throw std::runtime_error(std::string("no language row for ") + argv[i]);
      const std::string name = dir + "/image_" + std::string(language->tag) + ".bin";
      write_file(name, relocatable_image(lay_out_language_image(read_file(argv[i + 1]), *language)));
      rc += language_statement(language->locale_id) + std::to_string(morvane::formats::relocatable::resource_name) +
            " 10 \"" + name + "\"\n1 10 \"" + argv[i + 2] + "\"\n";
    }
    write_file(dir + "/resources.rc", rc);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_windows_image: %s\n", e.what());
    return 1;
  }
  return 0;
}
