#include "app/image_writer.h"

#include <stdexcept>
#include <string>

#include "formats/little_endian.h"

namespace morvane::app {

void ImageWriter::u16(std::uint16_t v) { formats::append_le16(bytes_, v); }

void ImageWriter::u32(std::uint32_t v) { formats::append_le32(bytes_, v); }

void ImageWriter::c_string(std::string_view text, std::size_t field) {
  if (field && text.size() + 1 > field) throw std::length_error("string does not fit its field: " + std::string(text));
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  bytes_.push_back(0);
  if (field) zeros(field - text.size() - 1);
}

void ImageWriter::utf16(std::u16string_view text) {
  for (char16_t c : text) u16(static_cast<std::uint16_t>(c));
}

void ImageWriter::align(std::size_t n, std::uint8_t pad) {
  while (bytes_.size() % n) bytes_.push_back(pad);
}

void ImageWriter::check_length(std::uint32_t start, std::uint32_t size, std::string_view record) const {
  if (here() - start != size)
    throw std::logic_error(std::string(record) + " is " + std::to_string(here() - start) + " bytes; its layout has " +
                           std::to_string(size));
}

void ImageWriter::pad_to(std::uint32_t start, std::uint32_t size, std::uint8_t pad, std::string_view record) {
  if (here() - start > size) check_length(start, size, record);
  fill(size - (here() - start), pad);
}

void ImageWriter::patch_u32(std::uint32_t address, std::uint32_t value) {
  const std::size_t o = address - base_;
  if (address < base_ || o + 4 > bytes_.size()) throw std::out_of_range("patch outside the image");
  formats::store_le32(bytes_.data() + o, value);
}

void ImageWriter::patch_u16(std::uint32_t address, std::uint16_t value) {
  const std::size_t o = address - base_;
  if (address < base_ || o + 2 > bytes_.size()) throw std::out_of_range("patch outside the image");
  formats::store_le16(bytes_.data() + o, value);
}

}  // namespace morvane::app
