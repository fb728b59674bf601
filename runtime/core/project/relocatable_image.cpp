#include "runtime/core/project/relocatable_image.h"

#include <algorithm>
#include <string>

#include "formats/relocatable_image.h"
#include "runtime/core/project/byte_reader.h"

namespace morvane::runtime {
namespace {

namespace r = formats::relocatable;

// A 4-byte field at `place` lies wholly inside an image of `size` bytes.
bool field_inside(std::uint32_t place, std::uint32_t size) { return size >= 4 && place <= size - 4; }

}  // namespace

RelocatableImage read_relocatable_image(std::span<const std::uint8_t> data, std::uint32_t routine_count) {
  const ByteReader in(data);
  if (in.u32(0, "the magic of a relocatable image") != r::magic)
    throw ImageError(0, "the magic of a relocatable image (\"MVRI\")");
  const std::uint32_t size = in.u32(4, "the image size");
  const std::uint32_t ref_count = in.u32(8, "the number of references");
  const std::uint32_t routine_places = in.u32(12, "the number of routine places");
  // In 64 bits no product of 32-bit counts overflows.
  const std::uint64_t lists = std::uint64_t{ref_count} * r::reference_size +
                              std::uint64_t{routine_places} * r::routine_place_size;
  const std::uint64_t image_at = r::header_size + lists;
  if (image_at + size != data.size())
    throw ImageError(4, "an image size and counts that add up to the " + std::to_string(data.size()) +
                            " bytes carried (they make " + std::to_string(image_at + size) + ")");
  if (size < 4) throw ImageError(4, "an image of at least 4 bytes");

  RelocatableImage out;
  out.image = data.subspan(static_cast<std::size_t>(image_at), size);
  out.references.reserve(ref_count);
  std::size_t at = r::header_size;
  for (std::uint32_t i = 0; i < ref_count; ++i, at += r::reference_size) {
    const std::uint32_t place = in.u32(at, "a reference place");
    if (!field_inside(place, size)) throw ImageError(at, "a reference place inside the image");
    if (!out.references.empty() && place < out.references.back() + 4)
      throw ImageError(at, "reference places that rise without overlapping");
    const std::uint32_t target = formats::le32(out.image.data() + place);
    if (target > size)
      throw ImageError(static_cast<std::size_t>(image_at) + place,
                       "a reference to a place inside the image (it names offset " + std::to_string(target) + ")");
    out.references.push_back(place);
  }
  out.routines.reserve(routine_places);
  for (std::uint32_t i = 0; i < routine_places; ++i, at += r::routine_place_size) {
    const RoutinePlace routine{in.u32(at, "a routine place"), in.u32(at + 4, "a routine's native index")};
    if (!field_inside(routine.place, size)) throw ImageError(at, "a routine place inside the image");
    if (!out.routines.empty() && routine.place < out.routines.back().place + 4)
      throw ImageError(at, "routine places that rise without overlapping");
    // A field that is both would be moved and then overwritten, or the other way round.
    const auto near = std::lower_bound(out.references.begin(), out.references.end(),
                                       routine.place >= 3 ? routine.place - 3 : 0);
    if (near != out.references.end() && *near < routine.place + 4)
      throw ImageError(at, "a routine place that no reference overlaps");
    if (routine.native_index >= routine_count)
      throw ImageError(at + 4, "a native index below " + std::to_string(routine_count) + " (it is " +
                                   std::to_string(routine.native_index) + ")");
    out.routines.push_back(routine);
  }
  return out;
}

void place_image(const RelocatableImage& image, std::uint32_t base, std::span<const std::uint32_t> routines,
                 std::span<std::uint8_t> target) {
  if (target.size() != image.image.size()) throw ImageError(4, "room for the whole image where it is placed");
  if (std::uint64_t{base} + image.image.size() > 0x100000000u)
    throw ImageError(4, "an image that fits below 4 GiB at its address");
  std::copy(image.image.begin(), image.image.end(), target.begin());
  for (std::uint32_t place : image.references)
    formats::store_le32(target.data() + place, formats::le32(target.data() + place) + base);
  for (const RoutinePlace& routine : image.routines) {
    if (routine.native_index >= routines.size()) throw ImageError(routine.place, "a routine the program has");
    formats::store_le32(target.data() + routine.place, routines[routine.native_index]);
  }
}

}  // namespace morvane::runtime
