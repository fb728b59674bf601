// The project image as assembler source for a module of its own: the bytes that hold
// no address come from the flat image file (.incbin), every reference becomes
// `.long record+offset`, so that the linker puts the address at which the record lies
// in the loaded module there (and a base relocation with it).
#pragma once

#include <string>
#include <string_view>

#include "app/image_writer.h"

namespace morvane::app {

// `flat_image_path`: the file holding the image's bytes (as build_project_image lays
// them out); `symbol_prefix`: what the target's C compiler puts before a C name ("_"
// on 32-bit Windows, nothing on 64-bit). The descriptor is exported as
// `morvane_project_descriptor`.
std::string image_assembly(const ImageWriter& image, std::string_view flat_image_path, std::string_view symbol_prefix);

}  // namespace morvane::app
