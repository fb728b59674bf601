#include "runtime/core/objects/variant.h"

#include <cstdio>

#include "runtime/core/objects/runtime_error.h"

namespace morvane::runtime {

Variant Variant::from_boolean(Boolean b) { return {vt::boolean, static_cast<std::int16_t>(b != 0 ? kTrue : kFalse)}; }
Variant Variant::from_integer(std::int16_t x) { return {vt::integer, x}; }
Variant Variant::from_long(std::int32_t x) { return {vt::long_, x}; }
Variant Variant::from_single(float x) { return {vt::single, x}; }
Variant Variant::from_double(double x) { return {vt::double_, x}; }
Variant Variant::from_string(std::u16string_view s) { return {vt::string, RtString(s)}; }
Variant Variant::from_const(const ConstString& s) { return {vt::const_string, &s}; }

bool Variant::is_numeric() const {
  return type_ == vt::integer || type_ == vt::long_ || type_ == vt::single || type_ == vt::double_ ||
         type_ == vt::boolean;
}

std::u16string_view Variant::as_string() const {
  if (type_ == vt::string) return std::get<RtString>(value_).view();
  if (type_ == vt::const_string) return std::get<const ConstString*>(value_)->text;
  throw RuntimeError(status::type_mismatch, "type mismatch: expected a string, got " + describe());
}

double Variant::as_number() const {
  switch (type_) {
    case vt::integer:
    case vt::boolean: return std::get<std::int16_t>(value_);
    case vt::long_: return std::get<std::int32_t>(value_);
    case vt::single: return std::get<float>(value_);
    case vt::double_: return std::get<double>(value_);
    default: throw RuntimeError(status::type_mismatch, "type mismatch: expected a number, got " + describe());
  }
}

Boolean Variant::as_boolean() const {
  if (type_ == vt::boolean) return std::get<std::int16_t>(value_);
  if (is_numeric()) return to_boolean(as_number() != 0.0);
  throw RuntimeError(status::type_mismatch, "type mismatch: expected a Boolean, got " + describe());
}

Object* Variant::as_object() const {
  if (type_ == vt::object) return std::get<Ref<Object>>(value_).get();
  throw RuntimeError(status::type_mismatch, "type mismatch: expected an object, got " + describe());
}

void Variant::clear() {
  value_ = std::monostate{};
  type_ = vt::empty;
}

std::string Variant::describe() const {
  char buf[64];
  switch (type_) {
    case vt::empty: return "Empty";
    case vt::boolean: return std::get<std::int16_t>(value_) ? "Boolean True" : "Boolean False";
    case vt::integer:
      std::snprintf(buf, sizeof buf, "Integer %d", std::get<std::int16_t>(value_));
      return buf;
    case vt::long_:
      std::snprintf(buf, sizeof buf, "Long %d", static_cast<int>(std::get<std::int32_t>(value_)));
      return buf;
    case vt::single:
      std::snprintf(buf, sizeof buf, "Single %g", static_cast<double>(std::get<float>(value_)));
      return buf;
    case vt::double_:
      std::snprintf(buf, sizeof buf, "Double %g", std::get<double>(value_));
      return buf;
    case vt::string:
    case vt::const_string: return "String \"" + to_utf8(as_string()) + "\"";
    case vt::object: return "Object";
  }
  std::snprintf(buf, sizeof buf, "type %u", static_cast<unsigned>(type_));
  return buf;
}

Boolean variants_equal(const Variant& a, const Variant& b) {
  if (a.is_string() && b.is_string()) return to_boolean(a.as_string() == b.as_string());
  if (a.is_empty() && b.is_empty()) return kTrue;
  // An empty value compares as the empty string or zero.
  if (a.is_empty() && b.is_string()) return to_boolean(b.as_string().empty());
  if (b.is_empty() && a.is_string()) return to_boolean(a.as_string().empty());
  if (a.is_numeric() && b.is_numeric()) return to_boolean(a.as_number() == b.as_number());
  if (a.type() == vt::object && b.type() == vt::object) return to_boolean(a.as_object() == b.as_object());
  return kFalse;
}

}  // namespace morvane::runtime
