#include "runtime/text/font_locator.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <set>

#include "runtime/text/font_answer_cache.h"

namespace morvane::runtime::text {

namespace {

bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

struct StandIn {
  std::string_view name;
  std::vector<std::string_view> faces;
};

// Faces of the same kind for names that are often missing from free systems.
const std::vector<StandIn>& stand_ins() {
  static const std::vector<StandIn> table = {
      {"Comic Sans MS", {"Comic Neue", "Comic Relief"}},
      {"MS Sans Serif", {"Liberation Sans", "DejaVu Sans"}},
  };
  return table;
}

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

void add_strings(FcStrList* list, std::set<std::string>& out) {
  if (!list) return;
  while (FcChar8* s = FcStrListNext(list)) out.insert(reinterpret_cast<const char*>(s));
  FcStrListDone(list);
}

// The files and folders whose change can change fontconfig's answers: its configuration
// files and their folders (a file added to conf.d), the user's configuration, which may
// not exist yet, and every font folder it reads (a font installed or removed).
std::vector<FileStamp> configuration_stamps(FcConfig* fc) {
  std::set<std::string> paths;
  std::set<std::string> files;
  add_strings(FcConfigGetConfigFiles(fc), files);
  for (const std::string& f : files) {
    paths.insert(f);
    if (const auto slash = f.rfind('/'); slash != std::string::npos && slash > 0) paths.insert(f.substr(0, slash));
  }
  add_strings(FcConfigGetConfigDirs(fc), paths);
  add_strings(FcConfigGetFontDirs(fc), paths);
  const char* config_home = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  std::string user;
  if (config_home && *config_home == '/')
    user = std::string(config_home) + "/fontconfig";
  else if (home && *home == '/')
    user = std::string(home) + "/.config/fontconfig";
  if (!user.empty()) {
    paths.insert(user);
    paths.insert(user + "/fonts.conf");
  }
  if (home && *home == '/') paths.insert(std::string(home) + "/.fonts.conf");
  std::vector<FileStamp> out;
  out.reserve(paths.size());
  for (const std::string& p : paths) out.push_back(FileStamp::of(p));
  return out;
}

}  // namespace

struct FontLocator::Config {
  explicit Config(FcConfig* c) : fc(c) {}
  ~Config() { FcConfigDestroy(fc); }
  Config(const Config&) = delete;
  Config& operator=(const Config&) = delete;
  FcConfig* fc;
};

std::vector<std::string> candidate_families(std::string_view name) {
  std::vector<std::string> out;
  if (!name.empty()) out.emplace_back(name);
  for (const StandIn& s : stand_ins())
    if (same_name(s.name, name))
      for (std::string_view f : s.faces) out.emplace_back(f);
  out.emplace_back("sans-serif");
  return out;
}

FontLocator::FontLocator(std::filesystem::path cache_file) : cache_file_(std::move(cache_file)) {}

FontLocator::~FontLocator() {
  try {
    save();
  } catch (const std::exception&) {
    // a cache that cannot be written costs the next run only time
  }
}

const FontLocator::Config* FontLocator::config() const {
  if (!loaded_) {
    loaded_ = true;
    if (FcConfig* fc = FcInitLoadConfigAndFonts()) config_ = std::make_unique<Config>(fc);
  }
  return config_.get();
}

void FontLocator::read_cache() const {
  if (cache_read_) return;
  cache_read_ = true;
  if (auto cached = load_font_answers(cache_file_)) {
    answers_ = std::move(cached->answers);
    cache_answered_ = !answers_.empty();
  }
}

bool FontLocator::forget_cached_answers() const {
  if (!cache_answered_) return false;
  cache_answered_ = false;
  answers_.clear();
  return true;
}

void FontLocator::save() const {
  if (!unsaved_) return;
  unsaved_ = false;
  write_cache();
}

void FontLocator::write_cache() const {
  const Config* config = this->config();
  if (!config) return;  // nothing found that is worth keeping
  // The cache's folder is made before the stamps are taken: made after, it would
  // change the time of a stamped folder it lies in, and the file would be stale at once.
  std::error_code ec;
  std::filesystem::create_directories(cache_file_.parent_path(), ec);
  FontAnswers kept;
  kept.answers = answers_;
  kept.stamps = configuration_stamps(config->fc);
  save_font_answers(cache_file_, kept);  // a cache that cannot be written costs only time
}

std::optional<FontFile> FontLocator::find(std::string_view family, int weight, bool italic, bool exact_family) const {
  if (!cache_file_.empty()) read_cache();
  auto key = std::make_tuple(std::string(family), weight, italic, exact_family);
  if (auto it = answers_.find(key); it != answers_.end()) return it->second;
  auto answer = match(family, weight, italic, exact_family);
  answers_.emplace(std::move(key), answer);
  if (!cache_file_.empty()) unsaved_ = true;
  return answer;
}

std::optional<FontFile> FontLocator::match(std::string_view family, int weight, bool italic, bool exact_family) const {
  const Config* config = this->config();
  if (!config) return std::nullopt;
  Pattern pattern(FcPatternCreate());
  if (!pattern) return std::nullopt;
  const std::string fam(family);
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(fam.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  if (!FcConfigSubstitute(config->fc, pattern.get(), FcMatchPattern)) return std::nullopt;
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(config->fc, pattern.get(), &result));
  if (!match || result != FcResultMatch) return std::nullopt;

  FcChar8* file = nullptr;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file) return std::nullopt;
  FcBool scalable = FcFalse;
  if (FcPatternGetBool(match.get(), FC_SCALABLE, 0, &scalable) == FcResultMatch && !scalable) return std::nullopt;
  FontFile out;
  out.path = reinterpret_cast<const char*>(file);
  int index = 0;
  if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) == FcResultMatch) out.index = index;

  // A face may carry its family name in several languages; any of them will do.
  bool named = false;
  FcChar8* name = nullptr;
  for (int n = 0; FcPatternGetString(match.get(), FC_FAMILY, n, &name) == FcResultMatch; ++n) {
    const std::string_view matched(reinterpret_cast<const char*>(name));
    if (n == 0) out.family = matched;
    if (same_name(matched, family)) {
      out.family = matched;
      named = true;
      break;
    }
  }
  if (exact_family && !named) return std::nullopt;
  return out;
}

}  // namespace morvane::runtime::text
