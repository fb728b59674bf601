// Reads a form description stream back into the window model, checking every length,
// code and separator it relies on. A stream that breaks the format is refused with a
// FormStreamError naming the byte offset and what was expected there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "form/form_stream_error.h"
#include "form/property_table.h"
#include "form/window_model.h"

namespace morvane::form {

// Where the records lie in a stream that was read.
struct FormStreamRecords {
  struct Record {
    std::size_t offset = 0;   // of the record's length field
    std::uint32_t length = 0;
  };
  Record form;                   // reaches to the end of the stream
  std::vector<Record> controls;  // in stream order
};

// The stream must span exactly from its first header byte to its closing 0x04. Absent
// properties stay absent in the model (the kind's default applies); pictures are handed
// over as views of their image data in `stream`, which must outlive the model (see
// PictureBytes::held for a copy that stands alone).
WindowModel read_form_stream(std::span<const std::uint8_t> stream);
// `table` gives each kind's property codes.
WindowModel read_form_stream(std::span<const std::uint8_t> stream, FormStreamRecords& records,
                             const PropertyTable& table = form_properties());

}  // namespace morvane::form
