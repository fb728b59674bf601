// Sends WM_CANCELMODE to morvane's window, as the system does when another window takes
// the pointer; exits with 1 when there is no such window.
#include <windows.h>

int main() {
  HWND window = FindWindowW(L"morvane_form", nullptr);
  if (!window) return 1;
  SendMessageW(window, WM_CANCELMODE, 0, 0);
  return 0;
}
