#include "runtime/backends/windows/access_libraries.h"

namespace morvane::runtime {
namespace {

template <typename F>
bool load(HMODULE module, const char* name, F& to) {
  to = module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
  return to != nullptr;
}

AccessLibraries load_libraries(bool& ok) {
  AccessLibraries l;
  HMODULE ole32 = LoadLibraryW(L"ole32.dll");
  HRESULT(WINAPI * co_initialize)(LPVOID, DWORD) = nullptr;
  ok = load(LoadLibraryW(L"oleacc.dll"), "LresultFromObject", l.lresult_from_object) &&
       load(GetModuleHandleW(L"oleacc.dll"), "CreateStdAccessibleObject", l.create_standard_object) &&
       load(LoadLibraryW(L"oleaut32.dll"), "SysAllocStringLen", l.alloc_string) &&
       load(ole32, "CoInitializeEx", co_initialize);
  // The object is handed out through COM's marshalling, which needs COM on this thread;
  // it stays up for the life of the window's thread.
  if (ok) ok = SUCCEEDED(co_initialize(nullptr, COINIT_APARTMENTTHREADED));
  return l;
}

}  // namespace

const AccessLibraries* access_libraries() {
  static bool ok = false;
  static const AccessLibraries libraries = load_libraries(ok);
  return ok ? &libraries : nullptr;
}

}  // namespace morvane::runtime
