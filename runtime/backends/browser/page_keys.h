// The names that a page's key events give (KeyboardEvent.key, with the older spellings)
// for the keys the form's window uses, and their runtime key codes.
#pragma once

#include <string>

namespace morvane::runtime {

// As a JSON object from name to code, for the page's script.
std::string page_key_codes_json();

}  // namespace morvane::runtime
