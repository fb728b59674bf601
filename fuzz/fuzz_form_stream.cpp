// Form description stream reader: any bytes are either read into a window model or
// refused with a FormStreamError. A model that was read lays out again, and what is
// laid out reads back into a stream that lays out identically.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <stdexcept>

#include "form/form_stream_reader.h"
#include "form/form_stream_writer.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  form::WindowModel model;
  try {
    model = form::read_form_stream(std::span<const std::uint8_t>(data, size));
  } catch (const form::FormStreamError&) {
    return 0;
  }
  std::vector<std::uint8_t> written;
  try {
    written = form::write_form_stream(model);
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "a stream that was read does not lay out again: %s\n", e.what());
    std::abort();
  }
  const form::WindowModel again = form::read_form_stream(written);
  if (form::write_form_stream(again) != written) {
    std::fprintf(stderr, "laying out the re-read model gives other bytes\n");
    std::abort();
  }
  return 0;
}
