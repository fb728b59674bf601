// A project image carried as data rather than linked into the program: laid out at
// address 0, with the places of its references (each a 32-bit field holding an offset
// into the image, to which the loader adds the address it puts the image at) and the
// places of its handler bodies' routine addresses (each filled by the loader with the
// address of the program's routine of that native index). All fields little-endian:
//
//   0   u32  magic (the bytes "MVRI")
//   4   u32  image size
//   8   u32  number of references, R
//   12  u32  number of routine places, N
//   16  R × u32  reference places, rising
//       N × (u32 place, u32 native index), places rising
//       the image, image size bytes; the project descriptor is its first record
#pragma once

#include <cstdint>

namespace morvane::formats::relocatable {

inline constexpr std::uint32_t magic = 0x4952564Du;  // "MVRI"
inline constexpr std::uint32_t header_size = 16;
inline constexpr std::uint32_t reference_size = 4;
inline constexpr std::uint32_t routine_place_size = 8;
// Resource 2 of type RCDATA in the language's resource language: a language's image.
inline constexpr std::uint16_t resource_name = 2;

}  // namespace morvane::formats::relocatable
