// Finds the face the words are set in. The committed pictures were painted with one file
// of one version; another version of the face sets the same ink boxes but other pixels.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "formats/languages.h"

namespace morvane::painter {

inline constexpr std::string_view face_family = formats::liberation_serif.family;
inline constexpr std::string_view face_style = "Regular";
inline constexpr std::string_view pinned_face_path = formats::liberation_serif.path;
inline constexpr std::string_view pinned_face_version = "Version 2.1.5";

// The pinned file if it exists, else the first of the other known places, else what
// fontconfig (where built in) gives for the family; nothing when none is found.
std::optional<std::string> find_face_file();

}  // namespace morvane::painter
