// Form1's typed interface: the accessors of its controls, in control-number order.
#pragma once

#include "runtime/core/controls/form_object.h"

namespace morvane::logic {

struct Form1 {
  static runtime::Ref<runtime::CommandButton> Command1(runtime::FormObject& f) { return f.take<runtime::CommandButton>(1); }
  static runtime::Ref<runtime::PictureBox> Picture4(runtime::FormObject& f) { return f.take<runtime::PictureBox>(2); }
  static runtime::Ref<runtime::PictureBox> Picture3(runtime::FormObject& f) { return f.take<runtime::PictureBox>(3); }
  static runtime::Ref<runtime::PictureBox> Picture2(runtime::FormObject& f) { return f.take<runtime::PictureBox>(4); }
  static runtime::Ref<runtime::PictureBox> Picture1(runtime::FormObject& f) { return f.take<runtime::PictureBox>(5); }
  static runtime::Ref<runtime::Label> Label1(runtime::FormObject& f) { return f.take<runtime::Label>(6); }
};

}  // namespace morvane::logic
