#include "logic/demonstration_state.h"

namespace morvane::logic {

std::string visibility_bits(const runtime::FormObject& form) {
  std::string bits;
  for (const char* name : {"Picture1", "Picture2", "Picture3", "Picture4"}) {
    const runtime::Control* c = form.find(name);
    bits += c == nullptr ? '?' : (c->visible() ? '1' : '0');
  }
  return bits;
}

std::string demonstration_state(const runtime::FormObject& form) {
  const std::string bits = visibility_bits(form);
  if (bits == "1100") return "Start";
  if (bits == "0001") return "Complex";
  if (bits == "1010") return "Product";
  return bits;
}

bool is_demonstration_state(const std::string& bits) { return bits == "1100" || bits == "0001" || bits == "1010"; }

}  // namespace morvane::logic
