// Unpacking of a bitmap row's blue-green-red pixels (3 bytes each) into 32-bit
// 0x00RRGGBB words, with the widest vector instructions the processor offers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace morvane::runtime {

// Unpacks `count` pixels from `in` into `out`. Reads exactly 3 * count bytes and
// writes exactly `count` words.
using BgrRowUnpacker = void (*)(const std::uint8_t* in, std::size_t count, std::uint32_t* out);

// The fastest unpacker this processor runs, chosen on the first call.
BgrRowUnpacker bgr_row_unpacker();

struct NamedBgrRowUnpacker {
  std::string_view name;
  BgrRowUnpacker unpack;
};
// Every unpacker this processor can run, the portable one first; for tests and benchmarks.
std::vector<NamedBgrRowUnpacker> available_bgr_row_unpackers();

}  // namespace morvane::runtime
