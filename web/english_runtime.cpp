#include "web/english_runtime.h"

#include <exception>

#include "app/project.h"

namespace morvane::web {
namespace {

struct English {
  std::unique_ptr<runtime::Runtime> runtime;
  English() {
    try {
      runtime = std::make_unique<runtime::Runtime>(app::enzyme_project());
    } catch (const std::exception&) {
      // Left to the start, which reads the project again and says why it cannot start.
    }
  }
};
English english;

}  // namespace

std::unique_ptr<runtime::Runtime> take_english_runtime() { return std::move(english.runtime); }

}  // namespace morvane::web
