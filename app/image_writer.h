// Appends little-endian fields to a growing image and patches references later.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::app {

class ImageWriter {
 public:
  explicit ImageWriter(std::uint32_t base) : base_(base) {}

  std::uint32_t here() const { return base_ + static_cast<std::uint32_t>(bytes_.size()); }
  std::uint32_t base() const { return base_; }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t> take() { return std::move(bytes_); }
  std::uint32_t offset(std::uint32_t address) const { return address - base_; }

  void u8(std::uint8_t v) { bytes_.push_back(v); }
  void u16(std::uint16_t v);
  void u32(std::uint32_t v);
  void raw(std::span<const std::uint8_t> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
  void zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  void fill(std::size_t n, std::uint8_t v) { bytes_.insert(bytes_.end(), n, v); }
  // The text and its NUL, then zeros up to `field` bytes (0: just the NUL).
  void c_string(std::string_view text, std::size_t field = 0);
  void utf16(std::u16string_view text);  // code units, no terminator
  void align(std::size_t n, std::uint8_t pad = 0);

  // Writes a u32 placeholder now and returns its address for patch().
  std::uint32_t reserve_u32() {
    const std::uint32_t at = here();
    u32(0);
    return at;
  }
  // The same for a field that will hold an address in the image (a reference): a
  // loader that moves the image must adjust it.
  std::uint32_t reserve_ref() {
    references_.push_back(here());
    return reserve_u32();
  }
  // A reference written at once.
  void ref(std::uint32_t address) {
    references_.push_back(here());
    u32(address);
  }
  // A field that another module fills with the address of `symbol` (left as it
  // stands in the flat image).
  void external(std::uint32_t address, std::string symbol) { externals_.push_back({address, std::move(symbol)}); }
  // Names the record that starts here.
  void record(std::string name) { records_.push_back({here(), std::move(name)}); }

  struct Named {
    std::uint32_t address;
    std::string name;
  };
  const std::vector<std::uint32_t>& references() const { return references_; }
  const std::vector<Named>& records() const { return records_; }
  const std::vector<Named>& externals() const { return externals_; }
  // Refuses (std::logic_error) a record started at `start` that does not end here,
  // `size` bytes on, as its layout says.
  void check_length(std::uint32_t start, std::uint32_t size, std::string_view record) const;
  // Fills the record started at `start` with `pad` up to its `size` bytes; refuses one
  // that is already longer.
  void pad_to(std::uint32_t start, std::uint32_t size, std::uint8_t pad, std::string_view record);
  void patch_u32(std::uint32_t address, std::uint32_t value);
  void patch_u16(std::uint32_t address, std::uint16_t value);

 private:
  std::uint32_t base_;
  std::vector<std::uint8_t> bytes_;
  std::vector<std::uint32_t> references_;
  std::vector<Named> records_;
  std::vector<Named> externals_;
};

}  // namespace morvane::app
