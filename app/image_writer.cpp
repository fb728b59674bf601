#include "app/image_writer.h"

#include <stdexcept>
#include <string>

namespace morvane::app {

void ImageWriter::u16(std::uint16_t v) {
  bytes_.push_back(static_cast<std::uint8_t>(v));
  bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void ImageWriter::u32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

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

void ImageWriter::patch_u32(std::uint32_t address, std::uint32_t value) {
  const std::size_t o = address - base_;
  if (address < base_ || o + 4 > bytes_.size()) throw std::out_of_range("patch outside the image");
  for (int i = 0; i < 4; ++i) bytes_[o + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

void ImageWriter::patch_u16(std::uint32_t address, std::uint16_t value) {
  const std::size_t o = address - base_;
  if (address < base_ || o + 2 > bytes_.size()) throw std::out_of_range("patch outside the image");
  bytes_[o] = static_cast<std::uint8_t>(value);
  bytes_[o + 1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace morvane::app
