/* The smallest Win32 program that shows a window the way morvane's Windows platform
 * does: a window class with the arrow cursor, an overlapped window whose client area
 * is 663 x 510 (AdjustWindowRectEx), a 32-bit top-down DIB section as the frame,
 * presented with BitBlt on WM_PAINT for the rectangle asked for, no background erase,
 * and WM_CLOSE ending the process with exit code 0.
 *
 * It is the baseline that bench/run-wine.sh holds the Windows build against under
 * wine64: start-up time beyond this is morvane's own. The frame is a black field with a
 * grey block, so that it can be told from an empty window. */
#include <windows.h>
#include <stdint.h>

enum { kWidth = 663, kHeight = 510 };

static HDC memory_dc;

static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_CLOSE: ExitProcess(0);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
             ps.rcPaint.bottom - ps.rcPaint.top, memory_dc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default: return DefWindowProcW(hwnd, message, wp, lp);
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  (void)previous;
  (void)command_line;
  (void)show;
  WNDCLASSEXW wc = {0};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  wc.lpszClassName = L"minimal_window";
  if (!RegisterClassExW(&wc)) return 1;

  BITMAPINFO info = {0};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = NULL;
  HBITMAP dib = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  if (!dib) return 1;
  uint32_t* px = bits;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      px[y * kWidth + x] = (x >= 512 && x < 593 && y >= 72 && y < 105) ? 0xC0C0C0u : 0x000000u;
  memory_dc = CreateCompatibleDC(NULL);
  SelectObject(memory_dc, dib);

  const DWORD style = WS_OVERLAPPEDWINDOW;
  RECT frame = {0, 0, kWidth, kHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"minimal", style, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, NULL, NULL, instance, NULL);
  if (!hwnd) return 1;
  ShowWindow(hwnd, SW_SHOWDEFAULT);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
