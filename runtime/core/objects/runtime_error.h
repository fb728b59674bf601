// Run-time errors: raised by the runtime and by handlers, carrying the failing
// status and the failing object's own description of what went wrong.
#pragma once

#include <stdexcept>
#include <string>

#include "runtime/core/objects/status.h"

namespace morvane::runtime {

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(Status status, std::string description, std::string source = {});
  Status status() const { return status_; }
  const std::string& description() const { return description_; }
  const std::string& source() const { return source_; }  // name of the failing object, if any

 private:
  Status status_;
  std::string description_;
  std::string source_;
};

// "run-time error 0x800A017C in Picture1: ..." — the text shown for an untrapped error.
std::string format_runtime_error(const RuntimeError& e);

}  // namespace morvane::runtime
