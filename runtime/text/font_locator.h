// Finds the installed font file that stands for a font name, through fontconfig.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace morvane::runtime::text {

struct FontFile {
  std::string path;
  int index = 0;        // face within the file
  std::string family;   // the family that fontconfig matched
};

// The families tried for `name`, in order: the name itself, the faces that stand in
// for it where it is not installed, and last the generic "sans-serif".
std::vector<std::string> candidate_families(std::string_view name);

class FontLocator {
 public:
  // The fontconfig configuration (its files and the font caches, a few milliseconds'
  // work) is loaded by the first find(), not here: a program that draws its first text
  // elsewhere than where it starts can keep that work off its path to the first frame.
  // Without a configuration, find() finds nothing.
  //
  // With a cache file, the answers found in an earlier run are taken from it when it
  // still holds (see font_answer_cache.h), and fontconfig is loaded only for a question
  // it does not answer; fresh answers are written back to it by save(), or at the end.
  explicit FontLocator(std::filesystem::path cache_file = {});
  ~FontLocator();
  FontLocator(const FontLocator&) = delete;
  FontLocator& operator=(const FontLocator&) = delete;

  // The best scalable face of `family` at the given weight (100..900) and slant.
  // With exact_family, only a face whose family name is `family` (ignoring case)
  // counts; otherwise whatever fontconfig substitutes for it. Each question is put to
  // fontconfig once (a match takes a fraction of a millisecond) and its answer kept.
  std::optional<FontFile> find(std::string_view family, int weight, bool italic, bool exact_family) const;

  // Drops every answer that came from the cache file (a face it named could not be
  // opened after all), so that the next find() asks fontconfig; false if there were none.
  bool forget_cached_answers() const;

  // Whether fontconfig's configuration has been loaded (false while the cache answered).
  bool fontconfig_loaded() const { return loaded_; }

  // Writes the cache file again if find() has had fresh answers since it was read or
  // written (a first start writes it once its window is up, not while it paints).
  void save() const;

 private:
  struct Config;
  // The configuration, loaded on the first call; null if there is none.
  const Config* config() const;

  std::optional<FontFile> match(std::string_view family, int weight, bool italic, bool exact_family) const;

  // The answers of the cache file, read at the first find().
  void read_cache() const;
  void write_cache() const;

  std::filesystem::path cache_file_;
  mutable bool cache_read_ = false;
  mutable bool cache_answered_ = false;  // answers_ holds answers from the cache file
  mutable bool loaded_ = false;
  mutable bool unsaved_ = false;  // answers_ holds fresh answers that the file lacks
  mutable std::unique_ptr<Config> config_;
  mutable std::map<std::tuple<std::string, int, bool, bool>, std::optional<FontFile>> answers_;
};

}  // namespace morvane::runtime::text
