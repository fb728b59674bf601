#include "logic/enzyme_handlers.h"

#include "logic/form1.h"
#include "runtime/core/objects/runtime_error.h"

namespace morvane::logic {

using namespace morvane::runtime;

namespace {

MORVANE_CONST_STRING(kSubstrate, u"substrate");
MORVANE_CONST_STRING(kTagMember, u"Tag");
MORVANE_CONST_STRING(kVisibleMember, u"Visible");

// The frame every handler runs in: separate the mark, hold the form for the whole
// run, and on a run-time error let the temporaries go (they are scoped) and release
// the form before the error leaves. Entered as an event (marked), the error goes on
// to the runtime; called directly, the caller gets the failing status.
template <class Body>
Status run_handler(std::uintptr_t received, Body&& body) {
  const std::uintptr_t mark = received & 1u;
  Status result = static_cast<Status>(mark);
  FormObject& form = FormObject::from_reference(received & ~std::uintptr_t{1});
  const Ref<FormObject> hold = Ref<FormObject>::share(&form);
  try {
    body(form);
  } catch (const RuntimeError& e) {
    if (mark) throw;
    return e.status();
  }
  result = status::ok;
  return result;
}

// One typed assignment: a fresh reference to the box, released as soon as done.
void set_visible(Ref<PictureBox> (*accessor)(FormObject&), FormObject& form, Boolean value) {
  const Ref<PictureBox> box = accessor(form);
  const Status s = box->put_visible(value);
  if (failed(s)) raise_status_error(s, *box, kPictureBoxInterface);
}

}  // namespace

Status ResetClick(std::uintptr_t form) {
  return run_handler(form, [](FormObject& f) {
    set_visible(&Form1::Picture1, f, kTrue);
    set_visible(&Form1::Picture2, f, kTrue);
    set_visible(&Form1::Picture3, f, kFalse);
    set_visible(&Form1::Picture4, f, kFalse);
  });
}

Status EnzymeDragDrop(std::uintptr_t form, Object* const& source, float /*x*/, float /*y*/) {
  return run_handler(form, [&source](FormObject& f) {
    const Variant constant = Variant::from_const(kSubstrate);
    Variant tag = get_member_by_name(source, kTagMember.text);
    const Boolean equal = variants_equal(constant, tag);
    tag.clear();
    if (equal == kFalse) return;
    set_member_by_name(source, kVisibleMember.text, Variant::from_boolean(kFalse));
    set_visible(&Form1::Picture1, f, kFalse);
    set_visible(&Form1::Picture4, f, kTrue);
  });
}

Status ComplexClick(std::uintptr_t form) {
  return run_handler(form, [](FormObject& f) {
    set_visible(&Form1::Picture4, f, kFalse);
    set_visible(&Form1::Picture3, f, kTrue);
    set_visible(&Form1::Picture1, f, kTrue);
  });
}

}  // namespace morvane::logic
