// Finds the installed font file that stands for a font name, through fontconfig.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
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
  // Loads the fontconfig configuration; without one, find() finds nothing.
  FontLocator();
  ~FontLocator();
  FontLocator(const FontLocator&) = delete;
  FontLocator& operator=(const FontLocator&) = delete;

  // The best scalable face of `family` at the given weight (100..900) and slant.
  // With exact_family, only a face whose family name is `family` (ignoring case)
  // counts; otherwise whatever fontconfig substitutes for it.
  std::optional<FontFile> find(std::string_view family, int weight, bool italic, bool exact_family) const;

 private:
  struct Config;
  std::unique_ptr<Config> config_;
};

}  // namespace morvane::runtime::text
