// Lays out the project image: the project descriptor and every record that hangs
// off it, the program's code entries, the form table, the version resource, the
// writable area and the form description stream.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "app/form1.h"
#include "app/image_writer.h"
#include "formats/languages.h"

namespace morvane::app {

// The image's first byte lies at this address; the descriptor is its first record.
inline constexpr std::uint32_t kImageBase = 0x00401000;
inline constexpr std::uint32_t kDescriptorAddress = kImageBase;

// The handlers' native routines, by the index their handler bodies carry.
inline constexpr std::uint32_t kComplexClick = static_cast<std::uint32_t>(Handler::complex_click);
inline constexpr std::uint32_t kNativeCount = kHandlerCount;

// The symbol of `handler`'s routine where it lies in a module of its own (the Windows
// executable).
constexpr const char* handler_routine_symbol(Handler handler) {
  switch (handler) {
    case Handler::reset_click: return "reset_click_routine";
    case Handler::enzyme_drag_drop: return "enzyme_drag_drop_routine";
    case Handler::complex_click: return "complex_click_routine";
  }
  return "";
}

// `stream`, the form description stream, is placed at the image's end and the form
// table records its length. The descriptor and the object table carry `locale_id` (a
// Windows locale identifier: formats/languages.h). Throws std::invalid_argument for an
// empty stream.
std::vector<std::uint8_t> build_project_image(std::span<const std::uint8_t> stream,
                                              std::uint32_t locale_id = formats::english.locale_id);
// The same image with its records named and its references marked.
ImageWriter lay_out_project_image(std::span<const std::uint8_t> stream,
                                  std::uint32_t locale_id = formats::english.locale_id);

}  // namespace morvane::app
