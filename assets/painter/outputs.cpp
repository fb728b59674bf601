#include "assets/painter/outputs.h"

#include "assets/painter/bmp_file.h"
#include "assets/painter/icon.h"
#include "assets/painter/pictures.h"
#include "assets/painter/png_file.h"

namespace morvane::painter {

std::vector<OutputFile> paint_picture_files(WordSetter& words) {
  std::vector<OutputFile> files;
  for (const Picture& picture : paint_pictures(words)) {
    files.push_back({std::string(picture.file_name), encode_bmp24(picture.canvas)});
  }
  return files;
}

std::vector<OutputFile> paint_outputs(const Typesetter& typesetter) {
  WordSetter english(typesetter, LanguageWords{"en", nullptr, true, {}});
  std::vector<OutputFile> files = paint_picture_files(english);
  const std::vector<IconImage> icon = paint_icon_images();
  files.push_back({"morvane.ico", encode_ico(icon)});
  const IconImage& large_colour = icon.at(1);
  files.push_back({"morvane.png", encode_png_rgba(large_colour.size, large_colour.size, rgba_pixels(large_colour))});
  return files;
}

}  // namespace morvane::painter
