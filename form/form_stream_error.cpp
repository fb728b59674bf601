#include "form/form_stream_error.h"

namespace morvane::form {

FormStreamError::FormStreamError(std::size_t offset, const std::string& expected,
                                 const std::string& found)
    : std::runtime_error("offset " + std::to_string(offset) + ": expected " + expected + ", found " +
                         found),
      offset_(offset) {}

FormStreamError::FormStreamError(std::size_t offset, const std::string& expected)
    : std::runtime_error("offset " + std::to_string(offset) + ": expected " + expected), offset_(offset) {}

}  // namespace morvane::form
