// paint_pictures OUTDIR [--face FILE] [--language TAG [--catalogue FILE]]
// Paints the four demonstration pictures and the application icon into OUTDIR; with a
// language other than English, that language's four pictures, its words read from its
// catalogue (po/TAG.po in the source tree unless named) and set in its face.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "assets/painter/face_file.h"
#include "assets/painter/language_pictures.h"
#include "assets/painter/outputs.h"
#include "assets/painter/pictures.h"
#include "assets/painter/typesetter.h"
#include "formats/languages.h"

namespace {

using namespace morvane::painter;

int usage() {
  std::fprintf(stderr, "usage: paint_pictures OUTDIR [--face FILE] [--language TAG [--catalogue FILE]]\n");
  return 2;
}

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

void write_files(const std::string& dir, const std::vector<OutputFile>& files) {
  std::filesystem::create_directories(dir);
  for (const OutputFile& file : files) {
    const std::string path = dir + "/" + file.name;
    write_file(path, file.bytes);
    std::printf("wrote %s (%zu bytes)\n", path.c_str(), file.bytes.size());
  }
}

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void report(const std::vector<WordReport>& reports) {
  for (const WordReport& word : reports) {
    std::printf("%s \"%s\" (%s): ", std::string(word.picture).c_str(), word.text.c_str(),
                std::string(word.context).c_str());
    if (word.as_english) {
      std::printf("as in English");
    } else {
      std::printf("%d pixels to the em (English %d)", word.pixels_per_em, word.english_pixels_per_em);
    }
    std::printf(", ink %s\n", to_string(word.ink).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<std::string> out_dir;
  std::optional<std::string> face_path;
  std::string tag(morvane::formats::english.tag);
  std::optional<std::string> catalogue_path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--face" && i + 1 < argc) {
      face_path = argv[++i];
    } else if (arg == "--language" && i + 1 < argc) {
      tag = argv[++i];
    } else if (arg == "--catalogue" && i + 1 < argc) {
      catalogue_path = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && !out_dir) {
      out_dir = arg;
    } else {
      return usage();
    }
  }
  const std::optional<morvane::formats::Language> language = morvane::formats::find_language(tag);
  if (!out_dir || !language) {
    if (!language) std::fprintf(stderr, "paint_pictures: no language \"%s\" in formats/languages.h\n", tag.c_str());
    return usage();
  }
  const bool english = language->tag == morvane::formats::english.tag;
  try {
    if (!face_path) face_path = find_face_file();
    if (!face_path) {
      std::fprintf(stderr, "paint_pictures: no %s %s face found (install fonts-liberation2)\n",
                   std::string(face_family).c_str(), std::string(face_style).c_str());
      return 1;
    }
    const Typesetter typesetter(*face_path);
    if (typesetter.family() != face_family || typesetter.style() != face_style) {
      std::fprintf(stderr, "paint_pictures: %s is %s %s, not %s %s\n", face_path->c_str(), typesetter.family().c_str(),
                   typesetter.style().c_str(), std::string(face_family).c_str(), std::string(face_style).c_str());
      return 1;
    }
    std::printf("face: %s (%s)\n", face_path->c_str(), typesetter.version().c_str());
    if (typesetter.version() != pinned_face_version) {
      std::fprintf(stderr, "paint_pictures: warning: the committed pictures were set with %s; the letters will differ\n",
                   std::string(pinned_face_version).c_str());
    }
    if (english) {
      // Where each word's ink lands: its box and each letter's rows (top-bottom).
      for (const PaintedWord& word : painted_words()) {
        Canvas canvas(picture_size, picture_size, white);
        const SetWord set = typesetter.set(canvas, word.setting);
        std::printf("\"%s\" %dx%d: ink %s; rows", word.setting.text.c_str(), word.setting.pixels_per_em_x,
                    word.setting.pixels_per_em_y, to_string(set.ink).c_str());
        for (const GlyphInk& glyph : set.glyphs) std::printf(" %c %d-%d", glyph.character, glyph.ink.y0, glyph.ink.y1);
        std::printf("\n");
      }
      write_files(*out_dir, paint_outputs(typesetter));
      return 0;
    }

    const std::optional<Typesetter> own_face = open_language_face(*language);
    if (own_face) {
      std::printf("face: %s, face %u (%s)\n", std::string(language->picture_face.path).c_str(),
                  language->picture_face.index, own_face->version().c_str());
    }
    const std::string catalogue =
        catalogue_path ? *catalogue_path : std::string(MORVANE_SOURCE_DIR) + "/po/" + tag + ".po";
    const std::string catalogue_text = read_text(catalogue);
    LanguagePictures pictures =
        paint_language(typesetter, own_face, *language, picture_words(catalogue_text, tag, catalogue));
    report(pictures.words);
    const std::string record =
        morvane::app::write_fitting_record(fit_language(*language, catalogue_text, catalogue, pictures.words), tag);
    std::printf("%s", record.c_str());
    pictures.files.push_back({"fitting.txt", std::vector<std::uint8_t>(record.begin(), record.end())});
    write_files(*out_dir, pictures.files);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "paint_pictures: %s\n", error.what());
    return 1;
  }
  return 0;
}
