// The runtime's tagged value: a 16-bit type code and a value.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "runtime/core/objects/object.h"
#include "runtime/core/objects/rt_string.h"

namespace morvane::runtime {

// Booleans are 16 bits: true is all bits set, false is zero.
using Boolean = std::int16_t;
inline constexpr Boolean kTrue = -1;
inline constexpr Boolean kFalse = 0;
inline constexpr Boolean to_boolean(bool b) { return b ? kTrue : kFalse; }

namespace vt {
inline constexpr std::uint16_t empty = 0;
inline constexpr std::uint16_t integer = 2;       // int16
inline constexpr std::uint16_t long_ = 3;         // int32
inline constexpr std::uint16_t single = 4;        // float
inline constexpr std::uint16_t double_ = 5;       // double
inline constexpr std::uint16_t string = 8;        // owned runtime string
inline constexpr std::uint16_t object = 9;        // object reference
inline constexpr std::uint16_t boolean = 11;
inline constexpr std::uint16_t const_string = 0x8008;  // string type with the constant flag
}  // namespace vt

class Variant {
 public:
  Variant() = default;
  static Variant from_boolean(Boolean b);
  static Variant from_integer(std::int16_t v);
  static Variant from_long(std::int32_t v);
  static Variant from_single(float v);
  static Variant from_double(double v);
  static Variant from_string(std::u16string_view s);
  static Variant from_const(const ConstString& s);

  std::uint16_t type() const { return type_; }
  bool is_empty() const { return type_ == vt::empty; }
  bool is_string() const { return type_ == vt::string || type_ == vt::const_string; }
  bool is_numeric() const;

  // Accessors throw RuntimeError(type_mismatch) when the value is not of that kind.
  std::u16string_view as_string() const;
  double as_number() const;  // Boolean and the numeric types
  Boolean as_boolean() const;  // Boolean, or a number (non-zero is true)
  Object* as_object() const;

  // Frees what the variant holds and leaves it empty.
  void clear();

  std::string describe() const;  // for messages: "Boolean True", "String \"x\""

 private:
  using Value = std::variant<std::monostate, std::int16_t, std::int32_t, float, double, RtString,
                             const ConstString*, Ref<Object>>;
  Variant(std::uint16_t type, Value value) : type_(type), value_(std::move(value)) {}
  std::uint16_t type_ = vt::empty;
  Value value_;
};

// Equality of two variants: strings exact, code unit by code unit; numbers by value;
// empty equals empty. Values of unrelated types are not equal.
Boolean variants_equal(const Variant& a, const Variant& b);

}  // namespace morvane::runtime
