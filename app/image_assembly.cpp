#include "app/image_assembly.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>

namespace morvane::app {
namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t o) {
  return static_cast<std::uint32_t>(b[o]) | static_cast<std::uint32_t>(b[o + 1]) << 8 |
         static_cast<std::uint32_t>(b[o + 2]) << 16 | static_cast<std::uint32_t>(b[o + 3]) << 24;
}

std::string label(std::string_view record) { return "morvane_image_" + std::string(record); }

}  // namespace

std::string image_assembly(const ImageWriter& image, std::string_view flat_image_path, std::string_view symbol_prefix) {
  const auto& bytes = image.bytes();
  const auto& records = image.records();
  if (records.empty() || records.front().address != image.base())
    throw std::logic_error("the image's first record must start at its first byte");

  // What goes at each offset: a label, a reference, an external address.
  std::map<std::uint32_t, std::string> labels;
  for (const auto& r : records) labels[image.offset(r.address)] = label(r.name);
  std::map<std::uint32_t, std::string> fields;
  auto record_of = [&](std::uint32_t address) -> const ImageWriter::Named& {
    auto it = std::upper_bound(records.begin(), records.end(), address,
                               [](std::uint32_t a, const ImageWriter::Named& r) { return a < r.address; });
    if (it == records.begin() || address > image.base() + bytes.size())
      throw std::logic_error("a reference that points outside the image");
    return *std::prev(it);
  };
  for (std::uint32_t at : image.references()) {
    const std::uint32_t o = image.offset(at);
    const std::uint32_t target = le32(bytes, o);
    const auto& r = record_of(target);
    fields[o] = label(r.name) + "+" + std::to_string(target - r.address);
  }
  for (const auto& e : image.externals()) fields[image.offset(e.address)] = std::string(symbol_prefix) + e.name;

  std::string s;
  s += "# The project image, laid out by make_windows_image; do not edit.\n";
  s += "\t.text\n\t.p2align 4\n";
  s += "\t.globl " + std::string(symbol_prefix) + "morvane_project_descriptor\n";
  s += std::string(symbol_prefix) + "morvane_project_descriptor:\n";
  auto incbin = [&](std::uint32_t from, std::uint32_t to) {
    if (to > from)
      s += "\t.incbin \"" + std::string(flat_image_path) + "\", " + std::to_string(from) + ", " +
           std::to_string(to - from) + "\n";
  };
  std::uint32_t run = 0;
  auto next_label = labels.begin();
  auto next_field = fields.begin();
  const auto size = static_cast<std::uint32_t>(bytes.size());
  while (run < size) {
    const std::uint32_t label_at = next_label == labels.end() ? size : next_label->first;
    const std::uint32_t field_at = next_field == fields.end() ? size : next_field->first;
    const std::uint32_t stop = std::min(label_at, field_at);
    incbin(run, stop);
    run = stop;
    if (run == label_at && next_label != labels.end()) {
      s += next_label->second + ":\n";
      ++next_label;
      continue;
    }
    if (run == field_at && next_field != fields.end()) {
      s += "\t.long " + next_field->second + "\n";
      run += 4;
      ++next_field;
    }
  }
  return s;
}

}  // namespace morvane::app
