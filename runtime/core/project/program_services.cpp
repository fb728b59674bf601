#include "runtime/core/project/program_services.h"

#include <optional>
#include <string_view>

#include "runtime/core/controls/controls.h"
#include "runtime/core/controls/form_object.h"
#include "runtime/core/project/runtime.h"
#include "runtime/core/objects/runtime_error.h"

namespace morvane::runtime {
namespace {

// One handler's run: the error it raised, if any.
struct CallState {
  std::optional<RuntimeError> raised;
};

// Runs `op`; a run-time error is recorded for the handler's caller and turns into `failure`.
template <class Result, class Op>
Result guarded(void* context, Result failure, Op&& op) {
  auto& state = *static_cast<CallState*>(context);
  try {
    return op();
  } catch (const RuntimeError& e) {
    state.raised = e;
    return failure;
  }
}

Object* object_of(void* p) { return static_cast<Object*>(p); }
void* handle(Object* o) { return o; }

ConstString constant(const char16_t* text) {
  const std::u16string_view t(text);
  return {static_cast<std::uint32_t>(t.size() * sizeof(char16_t)), t};
}

PictureBox& picture_box(void* p) {
  auto* box = dynamic_cast<PictureBox*>(object_of(p));
  if (!box) throw RuntimeError(status::type_mismatch, "not a picture box");
  return *box;
}

const ProgramServices kTable{
    nullptr,
    [](void* c, std::uintptr_t form) {
      return guarded(c, static_cast<void*>(nullptr), [&] {
        FormObject& f = FormObject::from_reference(form);
        f.add_ref();
        return handle(&f);
      });
    },
    [](void*, void* object) {
      if (object) object_of(object)->release();
    },
    [](void* c, std::uintptr_t form, int number) {
      return guarded(c, static_cast<void*>(nullptr), [&] {
        return handle(FormObject::from_reference(form).take<PictureBox>(number).detach());
      });
    },
    [](void* c, void* box, std::int16_t value) {
      return guarded(c, false, [&] {
        PictureBox& b = picture_box(box);
        const Status s = b.put_visible(value);
        if (failed(s)) raise_status_error(s, b, kPictureBoxInterface);
        return true;
      });
    },
    [](void* c, void* object, const char16_t* name) {
      return guarded(c, static_cast<void*>(nullptr),
                     [&]() -> void* { return new Variant(get_member_by_name(object_of(object), name)); });
    },
    [](void*, void* variant) { delete static_cast<Variant*>(variant); },
    [](void*, void* variant, const char16_t* text) {
      return variants_equal(Variant::from_const(constant(text)), *static_cast<const Variant*>(variant));
    },
    [](void* c, void* object, const char16_t* name, std::int16_t value) {
      return guarded(c, false, [&] {
        set_member_by_name(object_of(object), name, Variant::from_boolean(value));
        return true;
      });
    },
};

}  // namespace

Status call_with_services(std::uintptr_t object, const EventArgs& args, const ServicesCall& call) {
  CallState state;
  ProgramServices services = kTable;
  services.context = &state;
  const Status s = call(&services, object, handle(args.source), args.x, args.y);
  if (state.raised) {
    // Entered as an event (the reference marked), the error goes on to the runtime;
    // called directly, the caller gets the failing status.
    if (object & 1u) throw *state.raised;
    return state.raised->status();
  }
  return s;
}

NativeRoutine native_routine(HandlerRoutine routine) {
  return [routine](std::uintptr_t object, const EventArgs& args) { return call_with_services(object, args, routine); };
}

}  // namespace morvane::runtime
