// The English runtime that a module carries made (its global constructors evaluated as
// it was built, as the page's are) is the one a start makes from the embedded project:
// every property of the form and of every control the same. A program of its own, not
// a test of browser_tests: the test framework reads the environment among its global
// objects, which stops the build's evaluation of them short of the runtime.
#include <emscripten.h>

#include <cstdio>
#include <string>
#include <variant>

#include "app/project.h"
#include "form/property_table.h"
#include "web/english_runtime.h"

using namespace morvane;

namespace {

// 1 when the module still has its global constructors to call as it starts (the build did
// not evaluate them all), 0 when not; -1 when its exports' names do not tell.
EM_JS(int, morvane_check_constructors_at_start, (), {
  var exports = Module['asm'];
  if (!exports || !exports['memory']) return -1;
  return typeof exports['__wasm_call_ctors'] === 'function' ? 1 : 0;
});

int failures = 0;

void fail(const std::string& what) {
  std::printf("english_runtime_check: %s\n", what.c_str());
  ++failures;
}

void compare(const runtime::Control& made, const runtime::Control& fresh) {
  const std::string who = fresh.name();
  if (made.name() != fresh.name() || made.kind() != fresh.kind() || made.number() != fresh.number())
    fail("the control in the place of " + who + " is " + made.name());
  if (!(made.pixel_rect() == fresh.pixel_rect())) fail(who + ": another rectangle");
  int compared = 0;
  for (const form::PropertyRow& row : form::form_properties().rows()) {
    if (!row.entry(fresh.kind())) continue;
    ++compared;
    if (made.property(row) != fresh.property(row)) fail(who + ": another " + row.name);
  }
  if (compared < 4) fail(who + ": only " + std::to_string(compared) + " properties compared");
}

}  // namespace

int main() {
  switch (morvane_check_constructors_at_start()) {
    case 0: break;
    case 1: fail("the build did not evaluate the global constructors"); break;
    default: fail("the module's exports do not tell whether the build evaluated its global constructors");
  }
  const std::unique_ptr<runtime::Runtime> made = web::take_english_runtime();
  if (!made) {
    fail("no English runtime made");
    return 1;
  }
  if (web::take_english_runtime()) fail("the English runtime was there to take twice");
  const runtime::Runtime fresh(app::enzyme_project());
  if (made->words().data() != fresh.words().data() || made->words().size() != fresh.words().size())
    fail("other words");
  if (made->window().client_width() != fresh.window().client_width() ||
      made->window().client_height() != fresh.window().client_height())
    fail("another client size");
  compare(made->form(), fresh.form());
  const auto mc = made->form().controls(), fc = fresh.form().controls();
  if (mc.size() != fc.size() || fc.size() != 6) {
    fail(std::to_string(mc.size()) + " controls made, " + std::to_string(fc.size()) + " read");
    return 1;
  }
  for (std::size_t i = 0; i < fc.size(); ++i) compare(*mc[i], *fc[i]);
  std::printf("english_runtime_check: %s\n", failures ? "differs" : "the same");
  return failures ? 1 : 0;
}
