#include "app/windows/relocatable_image.h"

#include <algorithm>
#include <stdexcept>

#include "app/project_image_builder.h"
#include "formats/little_endian.h"
#include "formats/relocatable_image.h"

namespace morvane::app {
namespace {

std::uint32_t native_index_of(std::string_view symbol) {
  for (std::uint32_t h = 0; h < kNativeCount; ++h) {
    if (symbol == handler_routine_symbol(static_cast<Handler>(h))) return h;
  }
  throw std::logic_error("the image names " + std::string(symbol) + ", which is no handler routine");
}

}  // namespace

std::vector<std::uint8_t> relocatable_image(const ImageWriter& image) {
  std::vector<std::uint8_t> laid = image.bytes();
  std::vector<std::uint32_t> refs;
  for (std::uint32_t at : image.references()) {
    const std::uint32_t place = image.offset(at);
    refs.push_back(place);
    formats::store_le32(laid.data() + place, formats::le32(laid.data() + place) - image.base());
  }
  std::sort(refs.begin(), refs.end());
  std::vector<std::pair<std::uint32_t, std::uint32_t>> routines;
  for (const auto& e : image.externals()) routines.emplace_back(image.offset(e.address), native_index_of(e.name));
  std::sort(routines.begin(), routines.end());

  std::vector<std::uint8_t> out;
  formats::append_le32(out, formats::relocatable::magic);
  formats::append_le32(out, static_cast<std::uint32_t>(laid.size()));
  formats::append_le32(out, static_cast<std::uint32_t>(refs.size()));
  formats::append_le32(out, static_cast<std::uint32_t>(routines.size()));
  for (std::uint32_t place : refs) formats::append_le32(out, place);
  for (const auto& [place, index] : routines) {
    formats::append_le32(out, place);
    formats::append_le32(out, index);
  }
  out.insert(out.end(), laid.begin(), laid.end());
  return out;
}

}  // namespace morvane::app
