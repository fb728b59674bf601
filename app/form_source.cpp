#include "app/program.h"

namespace morvane::app {

// Form1 from the window's model. The pictures are not carried yet: the boxes show
// their background colour.
form::WindowModel read_form1(const runtime::ProgramImage&, const runtime::ProjectInfo&) {
  return form::enzyme_window(form::Pictures{});
}

}  // namespace morvane::app
