// The languages the demonstration is made in, one row each: what the project image, the
// stream and the pictures need to know of a language beyond its words (po/<tag>.po).
// English is the row that keeps everything as it was first made.
//
// A language is added by a row here, its catalogue, and its pictures painted with
// `paint_pictures assets/<tag> --language <tag>`.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace morvane::formats {

// A face in a font file: the file's usual place on a Debian system, the face's index in
// it (a collection holds several) and the family name it must carry.
struct FaceFile {
  std::string_view path;
  std::uint32_t index = 0;
  std::string_view family;
};

struct Language {
  std::string_view tag;          // the catalogue's name: "es", "pt_BR"
  std::uint32_t locale_id = 0;   // the Windows locale identifier the image and object table carry
  std::uint16_t code_page = 0;   // how the stream's narrow strings are encoded
  std::uint8_t charset = 0;      // the stream's font character set, matching the code page
  bool right_to_left = false;    // the script's direction
  FaceFile picture_face;         // the face of the words in the pictures
};

inline constexpr FaceFile liberation_serif{"/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf", 0,
                                           "Liberation Serif"};

// Devanagari has no ANSI code page (Windows keeps Hindi Unicode-only), so Hindi's
// captions are stored as UTF-8 (code page 65001): every character survives, and the
// reader decodes them with the same conversion call as the other code pages. No font
// character set names Devanagari; DEFAULT_CHARSET (1) leaves the face to its name.
inline constexpr std::array<Language, 9> languages{{
    {"en", 0x0409, 1252, 0, false, liberation_serif},
    {"es", 0x0C0A, 1252, 0, false, liberation_serif},
    {"fr", 0x040C, 1252, 0, false, liberation_serif},
    {"de", 0x0407, 1252, 0, false, liberation_serif},
    {"pt_BR", 0x0416, 1252, 0, false, liberation_serif},
    {"ru", 0x0419, 1251, 204, false, liberation_serif},
    {"zh_CN", 0x0804, 936, 134, false,
     {"/usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc", 2, "Noto Serif CJK SC"}},
    {"ar", 0x0401, 1256, 178, true,
     {"/usr/share/fonts/truetype/noto/NotoNaskhArabic-Regular.ttf", 0, "Noto Naskh Arabic"}},
    {"hi", 0x0439, 65001, 1, false,
     {"/usr/share/fonts/truetype/noto/NotoSerifDevanagari-Regular.ttf", 0, "Noto Serif Devanagari"}},
}};

inline constexpr const Language& english = languages[0];

constexpr std::optional<Language> find_language(std::string_view tag) {
  for (const Language& language : languages) {
    if (language.tag == tag) return language;
  }
  return std::nullopt;
}

}  // namespace morvane::formats
