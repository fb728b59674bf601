#include "app/program.h"
#include "form/form_stream_reader.h"

namespace morvane::app {

// Form1 comes from the form description stream that the form table names; nothing
// else describes the window at run time.
form::WindowModel read_form1(const runtime::ProgramImage& image, const runtime::ProjectInfo& project) {
  return form::read_form_stream(runtime::form_stream(image, project));
}

}  // namespace morvane::app
