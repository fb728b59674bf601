// Fixed bytes and sizes of the form description stream.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace morvane::form {

inline constexpr std::array<std::uint8_t, 2> header_magic = {0xFF, 0xCC};
inline constexpr std::uint16_t header_rest_length = 49;  // version byte and three identifiers
inline constexpr std::size_t header_size = 53;
inline constexpr std::size_t header_padding = 36;        // zero bytes after the header
inline constexpr std::size_t form_record_offset = header_size + header_padding;  // 89

inline constexpr std::uint8_t end_of_properties = 0xFF;
inline constexpr std::uint8_t child_list_open = 0x01;
inline constexpr std::uint8_t child_list_close = 0x02;
inline constexpr std::uint8_t child_list_next = 0x03;
inline constexpr std::uint8_t end_of_stream = 0x04;

inline constexpr std::uint32_t picture_signature = 0x0000746C;  // "lt\0\0"
inline constexpr std::uint32_t picture_header_size = 8;         // signature and data length
inline constexpr std::uint8_t font_version = 1;

inline constexpr std::size_t max_controls = 255;  // control numbers are one byte

}  // namespace morvane::form
