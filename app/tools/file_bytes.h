// Whole-file reads and writes for the build-time tools; both throw std::runtime_error naming
// the path on any failure.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::app::tools {

inline std::vector<std::uint8_t> read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path.string());
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) throw std::runtime_error("cannot tell the size of " + path.string());
  in.seekg(0, std::ios::beg);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!bytes.empty()) in.read(reinterpret_cast<char*>(bytes.data()), size);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return bytes;
}

// Writes to a temporary file beside `path` and renames it, so a failed run leaves no
// half-written output for the build to take as current.
inline void write_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::filesystem::path temp = path;
  temp += ".partial";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot create " + temp.string());
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      throw std::runtime_error("cannot write " + temp.string());
    }
  }
  std::filesystem::rename(temp, path);
}

inline void write_file(const std::filesystem::path& path, std::string_view text) {
  write_file(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace morvane::app::tools
