#include "form/stream_bytes.h"

#include <cstdio>
#include <stdexcept>

#include "formats/little_endian.h"

namespace morvane::form {

std::string hex_byte(std::uint8_t v) {
  char out[8];
  std::snprintf(out, sizeof out, "0x%02X", static_cast<unsigned>(v));
  return out;
}

std::string hex_word(std::uint32_t v) {
  char out[16];
  std::snprintf(out, sizeof out, "0x%08X", static_cast<unsigned>(v));
  return out;
}

void ByteWriter::u16(std::uint16_t v) { formats::append_le16(bytes_, v); }

void ByteWriter::u32(std::uint32_t v) { formats::append_le32(bytes_, v); }

void ByteWriter::append(std::span<const std::uint8_t> data) {
  bytes_.insert(bytes_.end(), data.begin(), data.end());
}

void ByteWriter::append(std::string_view text) {
  for (char c : text) bytes_.push_back(static_cast<std::uint8_t>(c));
}

void ByteWriter::patch_u32(std::size_t at, std::uint32_t v) {
  if (at > bytes_.size() || bytes_.size() - at < 4) throw std::logic_error("patch_u32 past the written bytes");
  formats::store_le32(bytes_.data() + at, v);
}

StreamCursor::StreamCursor(std::span<const std::uint8_t> stream, std::size_t begin, std::size_t end,
                           std::string end_name)
    : stream_(stream), pos_(begin), end_(end), end_name_(std::move(end_name)) {
  if (begin > end || end > stream.size()) throw std::logic_error("StreamCursor range outside the stream");
}

void StreamCursor::refuse_short(std::size_t n, const Expected& what) const {
  std::string found = remaining() == 0 ? "the end of " + end_name_
                                       : "only " + std::to_string(remaining()) + " byte" +
                                             (remaining() == 1 ? "" : "s") + " before the end of " + end_name_;
  found += " at offset " + std::to_string(end_);
  throw FormStreamError(pos_, what.text() + " (" + std::to_string(n) + " byte" + (n == 1 ? "" : "s") + ")",
                        found);
}

std::uint8_t StreamCursor::u8(const Expected& what) {
  need(1, what);
  return stream_[pos_++];
}

std::uint16_t StreamCursor::u16(const Expected& what) {
  need(2, what);
  const std::uint16_t v = formats::le16(stream_.data() + pos_);
  pos_ += 2;
  return v;
}

std::uint32_t StreamCursor::u32(const Expected& what) {
  need(4, what);
  const std::uint32_t v = formats::le32(stream_.data() + pos_);
  pos_ += 4;
  return v;
}

std::span<const std::uint8_t> StreamCursor::take(std::size_t n, const Expected& what) {
  need(n, what);
  auto out = stream_.subspan(pos_, n);
  pos_ += n;
  return out;
}

}  // namespace morvane::form
