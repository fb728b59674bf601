// The font cache never changes the picture: whatever became of the cache file or of
// the fonts since it was written, the window painted with it is the window painted
// after a fresh lookup. The fonts are copies in a private fontconfig configuration.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/project.h"
#include "runtime/core/paint/renderer.h"
#include "runtime/text/font_answer_cache.h"
#include "runtime/text/freetype_text.h"

namespace morvane::runtime {
namespace {

namespace fs = std::filesystem;

// FONTCONFIG_FILE set for the life of the object, and set back after.
class ConfigFile {
 public:
  explicit ConfigFile(const fs::path& file) {
    if (const char* v = std::getenv("FONTCONFIG_FILE")) saved_ = v;
    setenv("FONTCONFIG_FILE", file.c_str(), 1);
  }
  ~ConfigFile() {
    if (saved_)
      setenv("FONTCONFIG_FILE", saved_->c_str(), 1);
    else
      unsetenv("FONTCONFIG_FILE");
  }
  ConfigFile(const ConfigFile&) = delete;
  ConfigFile& operator=(const ConfigFile&) = delete;

 private:
  std::optional<std::string> saved_;
};

struct Painted {
  std::vector<std::uint32_t> pixels;
  bool fontconfig_loaded = false;
};

Painted paint_window(const fs::path& cache) {
  text::FreeTypeTextRasterizer text(cache);
  Runtime rt(app::enzyme_project());
  SystemColors colors;
  Framebuffer fb(rt.window().client_width(), rt.window().client_height());
  Renderer(colors, &text).paint(rt.window(), fb, fb.bounds());
  return {fb.pixels, text.fontconfig_loaded()};
}

std::string read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void write(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

struct Folder {
  fs::path root, fonts, comic, sans, config, cache;
};

struct Case {
  const char* what;
  // Changes the cache or the fonts after a run wrote the cache; returns the cache
  // file the next run uses.
  std::function<fs::path(const Folder&)> change;
  bool fontconfig_needed;  // the cache could not answer
  bool cache_valid_after;  // a valid cache file is there after the run
  bool picture_changes;    // the fonts themselves changed (the case is about that)
};

TEST(FontCache, DamagedStaleOrUnwritableCachesAndVanishedFontsStillGiveTheFreshPicture) {
  // Two installed faces to copy: the captions' face and a plain one to fall back to.
  const text::FontLocator system;
  const auto comic = system.find("Comic Neue", 400, false, true);
  const auto sans = system.find("DejaVu Sans", 400, false, false);
  if (!comic || !sans || comic->path == sans->path) GTEST_SKIP() << "Comic Neue and a plain sans face are needed";

  const auto flip_a_byte = [](const Folder& f) {
    std::string s = read(f.cache);
    s[s.size() / 2] ^= 0x20;
    write(f.cache, s);
    return f.cache;
  };
  const std::vector<Case> cases = {
      {"a valid cache", [](const Folder& f) { return f.cache; }, false, true, false},
      {"no cache yet", [](const Folder& f) { fs::remove(f.cache); return f.cache; }, true, true, false},
      {"a byte changed", flip_a_byte, true, true, false},
      {"cut short",
       [](const Folder& f) {
         const std::string s = read(f.cache);
         write(f.cache, s.substr(0, s.size() / 3));
         return f.cache;
       },
       true, true, false},
      {"not a cache at all", [](const Folder& f) { write(f.cache, std::string(300, '\xff')); return f.cache; }, true,
       true, false},
      {"an empty file", [](const Folder& f) { write(f.cache, ""); return f.cache; }, true, true, false},
      {"the font file changed",
       [](const Folder& f) {
         fs::last_write_time(f.comic, fs::last_write_time(f.comic) + std::chrono::seconds(5));
         return f.cache;
       },
       true, true, false},
      {"the configuration changed",
       [](const Folder& f) {
         fs::last_write_time(f.config, fs::last_write_time(f.config) + std::chrono::seconds(5));
         return f.cache;
       },
       true, true, false},
      {"the captions' font removed", [](const Folder& f) { fs::remove(f.comic); return f.cache; }, true, true, true},
      {"the captions' font damaged in place, its size and time kept",
       [](const Folder& f) {
         const auto when = fs::last_write_time(f.comic);
         write(f.comic, std::string(fs::file_size(f.comic), '\0'));
         fs::last_write_time(f.comic, when);
         return f.cache;
       },
       true, true, true},
      {"a cache folder that cannot be made",
       [](const Folder& f) {
         write(f.root / "a-file", "x");
         return f.root / "a-file" / "morvane" / "fonts";
       },
       true, false, false},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Folder f;
    f.root = fs::temp_directory_path() / ("morvane-font-cache-test-" + std::to_string(::getpid()));
    fs::remove_all(f.root);
    f.fonts = f.root / "fonts";
    fs::create_directories(f.fonts);
    f.comic = f.fonts / fs::path(comic->path).filename();
    f.sans = f.fonts / fs::path(sans->path).filename();
    fs::copy_file(comic->path, f.comic);
    fs::copy_file(sans->path, f.sans);
    f.config = f.root / "fonts.conf";
    write(f.config, "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" + f.fonts.string() + "</dir>\n  <cachedir>" +
                        (f.root / "fontconfig-cache").string() + "</cachedir>\n</fontconfig>\n");
    f.cache = f.root / "cache" / "morvane" / "fonts";
    const ConfigFile config(f.config);

    const Painted first = paint_window(f.cache);
    ASSERT_TRUE(text::load_font_answers(f.cache)) << "the first run wrote no valid cache";
    const fs::path cache = c.change(f);

    const Painted cached = paint_window(cache);
    const Painted fresh = paint_window({});
    EXPECT_TRUE(cached.pixels == fresh.pixels) << "the cache changed the picture";
    EXPECT_EQ(cached.fontconfig_loaded, c.fontconfig_needed);
    EXPECT_EQ(text::load_font_answers(cache).has_value(), c.cache_valid_after);
    EXPECT_EQ(first.pixels != fresh.pixels, c.picture_changes);
    // And the run after that, with whatever this one left, paints the same.
    EXPECT_TRUE(paint_window(cache).pixels == fresh.pixels);
    fs::remove_all(f.root);
  }
}

}  // namespace
}  // namespace morvane::runtime
