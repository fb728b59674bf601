# Script mode: writes OUTPUT, a C++ source holding INPUT's bytes as SYMBOL.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_len)
math(EXPR size "${hex_len} / 2")
# Two hex digits per byte become "0x..,"; lines of 32 bytes keep the compiler fast.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
string(REGEX REPLACE "((0x..,){32})" "\\1\n" body "${body}")
set(ns "${SYMBOL}")
string(REPLACE "::" ";" parts "${SYMBOL}")
list(POP_BACK parts name)
list(JOIN parts "::" namespace)
set(open "")
set(close "")
if(namespace)
  set(open "namespace ${namespace} {")
  set(close "}")
endif()
file(WRITE ${OUTPUT}
"// Generated from ${INPUT}; do not edit.
#include <cstdint>
#include <span>
namespace {
alignas(16) const std::uint8_t bytes[${size} + 1] = {
${body}0};
}
${open}
extern const std::span<const std::uint8_t> ${name};
const std::span<const std::uint8_t> ${name}{bytes, ${size}};
${close}
")
