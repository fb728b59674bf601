#include "assets/painter/face_file.h"

#include <array>
#include <filesystem>

#ifdef MORVANE_PAINTER_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace morvane::painter {

namespace {

#ifdef MORVANE_PAINTER_FONTCONFIG
std::optional<std::string> ask_fontconfig() {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) return std::nullopt;
  std::optional<std::string> found;
  const std::string query = std::string(face_family) + ":style=" + std::string(face_style);
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(query.c_str()));
  if (pattern != nullptr) {
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    if (match != nullptr) {
      FcChar8* family = nullptr;
      FcChar8* file = nullptr;
      // A match of another family is a substitute, not the face.
      if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
          FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
          std::string_view(reinterpret_cast<const char*>(family)) == face_family) {
        found = std::string(reinterpret_cast<const char*>(file));
      }
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
  }
  FcConfigDestroy(config);
  return found;
}
#endif

}  // namespace

std::optional<std::string> find_face_file() {
  constexpr std::array<std::string_view, 3> known{
      pinned_face_path,
      "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf",
      "/usr/share/fonts/liberation-serif/LiberationSerif-Regular.ttf",
  };
  std::error_code error;
  for (const std::string_view path : known) {
    if (std::filesystem::is_regular_file(path, error)) return std::string(path);
  }
#ifdef MORVANE_PAINTER_FONTCONFIG
  return ask_fontconfig();
#else
  return std::nullopt;
#endif
}

}  // namespace morvane::painter
