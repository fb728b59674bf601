// Little-endian fields of the form description stream: a growing writer and a
// bounded reading cursor that refuses, with a FormStreamError, every read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "form/form_stream_error.h"

namespace morvane::form {

// What a read expects, put into words only when a message needs them: a plain text, or
// a callable that builds the text. A callable is kept by reference, so an Expected is
// only good for the call it is passed to.
class Expected {
 public:
  Expected(const char* text) : text_(text) {}
  Expected(std::string_view text) : text_(text) {}
  Expected(const std::string& text) : text_(text) {}
  template <class Build>
    requires std::is_invocable_r_v<std::string, const Build&>
  Expected(const Build& build)
      : build_object_(&build), build_([](const void* b) -> std::string { return (*static_cast<const Build*>(b))(); }) {}

  std::string text() const { return build_ ? build_(build_object_) : std::string(text_); }

 private:
  std::string_view text_;
  const void* build_object_ = nullptr;
  std::string (*build_)(const void*) = nullptr;
};

class ByteWriter {
 public:
  void u8(std::uint8_t v) { bytes_.push_back(v); }
  void u16(std::uint16_t v);
  void u32(std::uint32_t v);
  void append(std::span<const std::uint8_t> data);
  void append(std::string_view text);
  // Overwrites the four bytes at `at`, which must already have been written.
  void patch_u32(std::size_t at, std::uint32_t v);

  std::size_t size() const { return bytes_.size(); }
  std::vector<std::uint8_t> take() && { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Reads [begin, end) of a stream; offsets are always counted from the stream's start.
// `end_name` names the limit in messages ("the stream", "record 2 (Picture4)").
class StreamCursor {
 public:
  StreamCursor(std::span<const std::uint8_t> stream, std::size_t begin, std::size_t end,
               std::string end_name);

  std::size_t offset() const { return pos_; }
  std::size_t end() const { return end_; }
  std::size_t remaining() const { return end_ - pos_; }
  bool at_end() const { return pos_ == end_; }
  const std::string& end_name() const { return end_name_; }

  // Each read names what it expects, for the message when the bytes run out.
  std::uint8_t u8(const Expected& what);
  std::uint16_t u16(const Expected& what);
  std::uint32_t u32(const Expected& what);
  std::span<const std::uint8_t> take(std::size_t n, const Expected& what);
  // Throws unless n more bytes lie before the end.
  void need(std::size_t n, const Expected& what) const {
    if (n > remaining()) refuse_short(n, what);
  }

 private:
  [[noreturn]] void refuse_short(std::size_t n, const Expected& what) const;

  std::span<const std::uint8_t> stream_;
  std::size_t pos_;
  std::size_t end_;
  std::string end_name_;
};

// "0x1C", "0xFF": a byte as it appears in messages.
std::string hex_byte(std::uint8_t v);
// "0x00420001".
std::string hex_word(std::uint32_t v);

}  // namespace morvane::form
