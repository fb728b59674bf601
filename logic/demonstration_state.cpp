#include "logic/demonstration_state.h"

namespace morvane::logic {

std::string visibility_bits(const runtime::FormObject& form, const EnzymeBoxes& boxes) {
  std::string bits;
  for (const int number : {boxes.enzyme, boxes.substrate, boxes.product, boxes.complex}) {
    const runtime::Control* c = form.by_number(number);
    bits += c == nullptr ? '?' : (c->visible() ? '1' : '0');
  }
  return bits;
}

std::string demonstration_state(const runtime::FormObject& form, const EnzymeBoxes& boxes) {
  const std::string bits = visibility_bits(form, boxes);
  if (bits == "1100") return "Start";
  if (bits == "0001") return "Complex";
  if (bits == "1010") return "Product";
  return bits;
}

bool is_demonstration_state(const std::string& bits) { return bits == "1100" || bits == "0001" || bits == "1010"; }

}  // namespace morvane::logic
