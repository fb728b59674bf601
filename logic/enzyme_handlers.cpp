#include "logic/enzyme_handlers.h"

#include "logic/enzyme_steps.h"
#include "runtime/core/controls/form_object.h"
#include "runtime/core/objects/runtime_error.h"

namespace morvane::logic {

using namespace morvane::runtime;

namespace {

// The runtime's operations called directly: every failure raises RuntimeError.
class DirectOps {
 public:
  using ObjectRef = Object*;
  using Value = Variant;
  explicit DirectOps(FormObject& form) : form_(form) {}

  // One typed assignment: a fresh reference to the box, released as soon as done.
  bool set_visible(int number, Boolean value) {
    const Ref<PictureBox> box = form_.take<PictureBox>(number);
    const Status s = box->put_visible(value);
    if (failed(s)) raise_status_error(s, *box, kPictureBoxInterface);
    return true;
  }
  bool get_member(Object* object, const char16_t* name, Variant& out) {
    out = get_member_by_name(object, name);
    return true;
  }
  bool equals(const Variant& value, const char16_t* text) {
    const std::u16string_view t(text);
    const ConstString constant{static_cast<std::uint32_t>(t.size() * sizeof(char16_t)), t};
    return variants_equal(Variant::from_const(constant), value) != kFalse;
  }
  void free(Variant& value) { value.clear(); }
  bool set_member(Object* object, const char16_t* name, Boolean value) {
    set_member_by_name(object, name, Variant::from_boolean(value));
    return true;
  }

 private:
  FormObject& form_;
};

// The frame every handler runs in: separate the mark, hold the form for the whole
// run, and on a run-time error let the temporaries go (they are scoped) and release
// the form before the error leaves. Entered as an event (marked), the error goes on
// to the runtime; called directly, the caller gets the failing status.
template <class Body>
Status run_handler(std::uintptr_t received, Body&& body) {
  const std::uintptr_t mark = received & 1u;
  FormObject& form = FormObject::from_reference(received & ~std::uintptr_t{1});
  const Ref<FormObject> hold = Ref<FormObject>::share(&form);
  try {
    DirectOps ops(form);
    body(ops);
  } catch (const RuntimeError& e) {
    if (mark) throw;
    return e.status();
  }
  return status::ok;
}

}  // namespace

Status ResetClick(std::uintptr_t form, const EnzymeBoxes& boxes) {
  return run_handler(form, [&boxes](DirectOps& ops) { steps::reset(ops, boxes); });
}

Status EnzymeDragDrop(std::uintptr_t form, const EnzymeBoxes& boxes, Object* const& source, float /*x*/,
                      float /*y*/) {
  return run_handler(form, [&boxes, &source](DirectOps& ops) { steps::enzyme_drop(ops, boxes, source); });
}

Status ComplexClick(std::uintptr_t form, const EnzymeBoxes& boxes) {
  return run_handler(form, [&boxes](DirectOps& ops) { steps::complex_click(ops, boxes); });
}

}  // namespace morvane::logic
