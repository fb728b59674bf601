// Status words: 32-bit signed, negative is a failure, zero or positive success.
#pragma once

#include <cstdint>

namespace morvane::runtime {

using Status = std::int32_t;

namespace status {
inline constexpr Status ok = 0;
inline constexpr Status unknown_member = static_cast<Status>(0x80020006u);   // no member of that name
inline constexpr Status type_mismatch = static_cast<Status>(0x80020005u);    // value of the wrong type
inline constexpr Status bad_argument_count = static_cast<Status>(0x8002000Eu);
inline constexpr Status read_only = static_cast<Status>(0x80020003u);        // member cannot be set
inline constexpr Status invalid_value = static_cast<Status>(0x800A017Cu);    // value out of range
inline constexpr Status failed = static_cast<Status>(0x80004005u);           // unspecified failure
}  // namespace status

inline constexpr bool failed(Status s) { return s < 0; }

}  // namespace morvane::runtime
