// Finds a form description stream inside a larger file, such as the executable that
// carries it, by its header: 0xFF 0xCC, the header length 49, the version byte 6 and
// the form's identifier.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "form/window_model.h"

namespace morvane::form {

struct StreamCandidate {
  std::size_t offset = 0;               // of the header in the file
  std::span<const std::uint8_t> bytes;  // from there to where its form record length says it
                                        // ends, or to the end of the file when that is further
};

// Every place in `file` where such a header starts, in file order. The candidates are not
// read: read_form_stream decides whether one holds a stream.
std::vector<StreamCandidate> find_form_streams(std::span<const std::uint8_t> file, const Guid& form_id);

}  // namespace morvane::form
