#include "runtime/core/objects/runtime_error.h"

#include <cstdio>

namespace morvane::runtime {
namespace {
std::string compose(Status status, const std::string& description, const std::string& source) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(status));
  std::string text = std::string("run-time error ") + code;
  if (!source.empty()) text += " in " + source;
  return text + ": " + description;
}
}  // namespace

RuntimeError::RuntimeError(Status status, std::string description, std::string source)
    : std::runtime_error(compose(status, description, source)),
      status_(status),
      description_(std::move(description)),
      source_(std::move(source)) {}

std::string format_runtime_error(const RuntimeError& e) { return e.what(); }

}  // namespace morvane::runtime
