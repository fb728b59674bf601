// paint_pictures OUTDIR [--face FILE] [--language TAG [--catalogue FILE]]
// Paints the four demonstration pictures and the application icon into OUTDIR; with a
// language other than English, that language's four pictures, its words read from its
// catalogue (po/TAG.po in the source tree unless named) and set in its face.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "app/tools/message_catalogue.h"
#include "assets/painter/face_file.h"
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

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void check_face(const Typesetter& typesetter, const std::string& path, std::string_view family) {
  if (typesetter.family() != family) {
    throw std::runtime_error(path + " holds " + typesetter.family() + ", not " + std::string(family));
  }
}

// The picture words of a catalogue, in the order of painted_words().
std::vector<std::string> picture_words(const std::string& catalogue_path, std::string_view tag) {
  const morvane::formats::WordsFile catalogue = morvane::app::read_catalogue(read_text(catalogue_path), tag);
  std::vector<std::string> texts;
  for (const PaintedWord& word : painted_words()) {
    const auto entry = std::find_if(catalogue.entries.begin(), catalogue.entries.end(),
                                    [&](const auto& e) { return e.key == word.context; });
    if (entry == catalogue.entries.end()) {
      throw std::runtime_error(catalogue_path + " has no entry \"" + std::string(word.context) + "\"");
    }
    texts.push_back(entry->text);
  }
  return texts;
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
    std::filesystem::create_directories(*out_dir);
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
      for (const OutputFile& file : paint_outputs(typesetter)) {
        const std::string path = *out_dir + "/" + file.name;
        write_file(path, file.bytes);
        std::printf("wrote %s (%zu bytes)\n", path.c_str(), file.bytes.size());
      }
      return 0;
    }

    const morvane::formats::FaceFile& face_file = language->picture_face;
    const bool shares_english_face = face_file.path == morvane::formats::english.picture_face.path;
    std::optional<Typesetter> own_face;
    if (!shares_english_face) {
      if (!std::filesystem::is_regular_file(std::string(face_file.path))) {
        throw std::runtime_error("no face " + std::string(face_file.path) + " (tools/setup.sh pictures installs it)");
      }
      own_face.emplace(std::string(face_file.path), face_file.index);
      check_face(*own_face, std::string(face_file.path), face_file.family);
      std::printf("face: %s, face %u (%s)\n", std::string(face_file.path).c_str(), face_file.index,
                  own_face->version().c_str());
    }
    const std::string catalogue =
        catalogue_path ? *catalogue_path : std::string(MORVANE_SOURCE_DIR) + "/po/" + tag + ".po";
    WordSetter words(typesetter, LanguageWords{tag, own_face ? &*own_face : &typesetter, shares_english_face,
                                               picture_words(catalogue, tag)});
    const std::vector<OutputFile> files = paint_picture_files(words);
    report(words.reports());
    for (const OutputFile& file : files) {
      const std::string path = *out_dir + "/" + file.name;
      write_file(path, file.bytes);
      std::printf("wrote %s (%zu bytes)\n", path.c_str(), file.bytes.size());
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "paint_pictures: %s\n", error.what());
    return 1;
  }
  return 0;
}
