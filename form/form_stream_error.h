// The error a form description stream is refused with: where in the stream the reader
// stopped and what it expected to find there.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace morvane::form {

class FormStreamError : public std::runtime_error {
 public:
  // what() reads "offset <offset>: expected <expected>, found <found>".
  FormStreamError(std::size_t offset, const std::string& expected, const std::string& found);
  // what() reads "offset <offset>: expected <expected>".
  FormStreamError(std::size_t offset, const std::string& expected);

  // Byte offset from the start of the stream.
  std::size_t offset() const noexcept { return offset_; }

 private:
  std::size_t offset_;
};

}  // namespace morvane::form
