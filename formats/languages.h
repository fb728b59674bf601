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
  // The face of the captions where the form's own ("Comic Sans MS", or its stand-in Comic
  // Neue) lacks the script; the Latin languages keep the form's face. Caption sizes are
  // fitted in it at build time, and the platforms ask for it by family.
  FaceFile caption_face;
};

inline constexpr FaceFile liberation_serif{"/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf", 0,
                                           "Liberation Serif"};
inline constexpr FaceFile comic_neue{"/usr/share/fonts/opentype/comic-neue/ComicNeue-Regular.otf", 0, "Comic Neue"};

// Devanagari has no ANSI code page (Windows keeps Hindi Unicode-only), so Hindi's
// captions are stored as UTF-8 (code page 65001): every character survives, and the
// reader decodes them with the same conversion call as the other code pages. No font
// character set names Devanagari; DEFAULT_CHARSET (1) leaves the face to its name.
inline constexpr std::array<Language, 9> languages{{
    {"en", 0x0409, 1252, 0, false, liberation_serif, comic_neue},
    {"es", 0x0C0A, 1252, 0, false, liberation_serif, comic_neue},
    {"fr", 0x040C, 1252, 0, false, liberation_serif, comic_neue},
    {"de", 0x0407, 1252, 0, false, liberation_serif, comic_neue},
    {"pt_BR", 0x0416, 1252, 0, false, liberation_serif, comic_neue},
    {"ru", 0x0419, 1251, 204, false, liberation_serif,
     {"/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf", 0, "Noto Sans"}},
    {"zh_CN", 0x0804, 936, 134, false,
     {"/usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc", 2, "Noto Serif CJK SC"},
     {"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 2, "Noto Sans CJK SC"}},
    {"ar", 0x0401, 1256, 178, true,
     {"/usr/share/fonts/truetype/noto/NotoNaskhArabic-Regular.ttf", 0, "Noto Naskh Arabic"},
     {"/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf", 0, "Noto Sans Arabic"}},
    {"hi", 0x0439, 65001, 1, false,
     {"/usr/share/fonts/truetype/noto/NotoSerifDevanagari-Regular.ttf", 0, "Noto Serif Devanagari"},
     {"/usr/share/fonts/truetype/noto/NotoSansDevanagari-Regular.ttf", 0, "Noto Sans Devanagari"}},
}};

inline constexpr const Language& english = languages[0];

constexpr std::optional<Language> find_language(std::string_view tag) {
  for (const Language& language : languages) {
    if (language.tag == tag) return language;
  }
  return std::nullopt;
}

// The code page of a stream's narrow strings, from the character set of the font they
// are drawn in: the stream names no code page of its own. A character set no row uses
// (SYMBOL, OEM, a stream from elsewhere) is read as Western, 1252.
constexpr std::uint16_t code_page_of_charset(std::uint16_t charset) {
  for (const Language& language : languages) {
    if (language.charset == charset) return language.code_page;
  }
  return english.code_page;
}

// The code page of the system a project was made for, from the locale identifier its
// image carries: what text with no font of its own (the form's caption, drawn by the
// window system) is encoded in. A locale no row uses is read as Western, 1252.
constexpr std::uint16_t code_page_of_locale(std::uint32_t locale_id) {
  for (const Language& language : languages) {
    if (language.locale_id == locale_id) return language.code_page;
  }
  return english.code_page;
}

// The row whose character set is `charset`, the first one (English for 0).
constexpr const Language* language_of_charset(std::uint16_t charset) {
  for (const Language& language : languages) {
    if (language.charset == charset) return &language;
  }
  return nullptr;
}

}  // namespace morvane::formats
