// paint_pictures OUTDIR [--face FILE]
// Paints the four demonstration pictures and the application icon into OUTDIR.
#include <cstdio>
#include <exception>
#include <fstream>
#include <optional>
#include <string>

#include "assets/painter/face_file.h"
#include "assets/painter/outputs.h"
#include "assets/painter/pictures.h"
#include "assets/painter/typesetter.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: paint_pictures OUTDIR [--face FILE]\n");
  return 2;
}

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace morvane::painter;
  std::optional<std::string> out_dir;
  std::optional<std::string> face_path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--face" && i + 1 < argc) {
      face_path = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && !out_dir) {
      out_dir = arg;
    } else {
      return usage();
    }
  }
  if (!out_dir) return usage();
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
    // Where each word's ink lands: its box and each letter's rows (top-bottom).
    for (const PaintedWord& word : painted_words()) {
      Canvas canvas(picture_size, picture_size, white);
      const SetWord set = typesetter.set(canvas, word.setting);
      std::printf("\"%s\" %dx%d: ink x %d-%d, y %d-%d; rows", word.setting.text.c_str(), word.setting.pixels_per_em_x,
                  word.setting.pixels_per_em_y, set.ink.x0, set.ink.x1, set.ink.y0, set.ink.y1);
      for (const GlyphInk& glyph : set.glyphs) std::printf(" %c %d-%d", glyph.character, glyph.ink.y0, glyph.ink.y1);
      std::printf("\n");
    }
    for (const OutputFile& file : paint_outputs(typesetter)) {
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
