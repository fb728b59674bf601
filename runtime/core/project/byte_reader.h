// Bounds-checked little-endian reads from a byte span. Every read names what it
// reads, so that a refusal says which field at which offset was out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "formats/little_endian.h"

namespace morvane::runtime {

class ImageError : public std::runtime_error {
 public:
  ImageError(std::size_t offset, const std::string& what_expected);
  std::size_t offset() const { return offset_; }

 private:
  std::size_t offset_;
};

using formats::le16;
using formats::le32;

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}
  std::size_t size() const { return data_.size(); }
  std::span<const std::uint8_t> data() const { return data_; }

  void need(std::size_t offset, std::size_t count, std::string_view what) const {
    if (offset > data_.size() || count > data_.size() - offset)
      throw ImageError(offset, std::string(what) + " (" + std::to_string(count) + " bytes) inside the " +
                                   std::to_string(data_.size()) + "-byte image");
  }
  std::uint8_t u8(std::size_t offset, std::string_view what) const {
    need(offset, 1, what);
    return data_[offset];
  }
  std::uint16_t u16(std::size_t offset, std::string_view what) const {
    need(offset, 2, what);
    return le16(data_.data() + offset);
  }
  std::uint32_t u32(std::size_t offset, std::string_view what) const {
    need(offset, 4, what);
    return le32(data_.data() + offset);
  }
  std::span<const std::uint8_t> bytes(std::size_t offset, std::size_t count, std::string_view what) const {
    need(offset, count, what);
    return data_.subspan(offset, count);
  }
  // A NUL-terminated string of at most max_len characters.
  std::string c_string(std::size_t offset, std::size_t max_len, std::string_view what) const;

 private:
  std::span<const std::uint8_t> data_;
};

}  // namespace morvane::runtime
