// The runtime's routines that the program's own code calls, as one table of plain
// function pointers that the runtime hands to each handler routine. A program module
// of its own (the Windows executable) reaches the runtime through this table alone,
// so that it imports nothing but the start routine. Plain C types only: the table is
// also compiled into code that has no C++ library.
#pragma once

#include <cstdint>

namespace morvane::runtime {

struct ProgramServices {
  void* context;
  // Each routine that can fail raises a run-time error instead: it records the error,
  // returns its failure value (null or false), and the handler leaves through its
  // clean-up with a failing status.

  // A new reference to the form, held for the handler's run (`form` unmarked).
  void* (*hold_form)(void* context, std::uintptr_t form);
  void (*release)(void* context, void* object);
  // A new reference to picture box `number` of the form.
  void* (*take_picture_box)(void* context, std::uintptr_t form, int number);
  // Sets Visible (-1 or 0); a failing status raises the error of the picture box.
  bool (*put_visible)(void* context, void* picture_box, std::int16_t value);
  // The member `name` (UTF-16, NUL-terminated) of `object` read by name, as a new
  // variant freed with free_variant.
  void* (*get_member)(void* context, void* object, const char16_t* name);
  void (*free_variant)(void* context, void* variant);
  // Whether the variant equals the constant string `text` (-1 true, 0 false).
  std::int16_t (*equals_text)(void* context, void* variant, const char16_t* text);
  // Sets the member `name` of `object` by name to a Boolean.
  bool (*set_member_boolean)(void* context, void* object, const char16_t* name, std::int16_t value);
};

// A handler routine of a program module: the services, the object argument (for an
// event entry, the form reference with its lowest bit set) and the event's arguments
// (DragDrop: the source, x and y; Click: none). Returns 0, or a negative status when
// an error was raised.
using HandlerRoutine = std::int32_t (*)(const ProgramServices* services, std::uintptr_t object, void* source, float x,
                                        float y);

}  // namespace morvane::runtime
