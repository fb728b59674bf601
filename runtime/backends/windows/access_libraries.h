// The system's accessibility and COM libraries, loaded at the first accessibility query
// rather than at start: a window that nobody reads pays nothing for them.
#pragma once

#include <windows.h>
#include <oleacc.h>

namespace morvane::runtime {

struct AccessLibraries {
  LRESULT(WINAPI* lresult_from_object)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
  HRESULT(WINAPI* create_standard_object)(HWND, LONG, REFIID, void**) = nullptr;
  BSTR(WINAPI* alloc_string)(const OLECHAR*, UINT) = nullptr;
};

// The libraries, loaded (and COM started on this thread) on the first call; null where
// one of them is missing.
const AccessLibraries* access_libraries();

}  // namespace morvane::runtime
