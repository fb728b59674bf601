// Finds the installed font file that stands for a font name, through fontconfig.
#pragma once

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
  FontLocator();
  ~FontLocator();
  FontLocator(const FontLocator&) = delete;
  FontLocator& operator=(const FontLocator&) = delete;

  // The best scalable face of `family` at the given weight (100..900) and slant.
  // With exact_family, only a face whose family name is `family` (ignoring case)
  // counts; otherwise whatever fontconfig substitutes for it. Each question is put to
  // fontconfig once (a match takes a fraction of a millisecond) and its answer kept.
  std::optional<FontFile> find(std::string_view family, int weight, bool italic, bool exact_family) const;

 private:
  struct Config;
  // The configuration, loaded on the first call; null if there is none.
  const Config* config() const;

  std::optional<FontFile> match(std::string_view family, int weight, bool italic, bool exact_family) const;

  mutable bool loaded_ = false;
  mutable std::unique_ptr<Config> config_;
  mutable std::map<std::tuple<std::string, int, bool, bool>, std::optional<FontFile>> answers_;
};

}  // namespace morvane::runtime::text
