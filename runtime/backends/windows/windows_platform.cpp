#include "runtime/backends/windows/windows_platform.h"

#include "runtime/core/controls/caption_text.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "runtime/backends/windows/access_libraries.h"
#include "runtime/backends/windows/client_accessible.h"
#include "runtime/backends/windows/window_access.h"
#include "runtime/core/paint/framebuffer.h"

namespace morvane::runtime {
namespace {

constexpr wchar_t kWindowClass[] = L"morvane_form";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = 0;

// The runtime's key codes are the system's virtual-key codes for the keys it knows.
static_assert(keys::tab == VK_TAB && keys::enter == VK_RETURN && keys::escape == VK_ESCAPE && keys::space == VK_SPACE &&
              keys::backspace == VK_BACK && keys::left == VK_LEFT && keys::up == VK_UP && keys::right == VK_RIGHT &&
              keys::down == VK_DOWN && keys::delete_key == VK_DELETE && keys::f1 == VK_F1);
int runtime_key(WPARAM vk) {
  const int code = vk <= 0xFF ? static_cast<int>(vk) : 0;
  return keys::known(code) ? code : 0;
}

int shift_keys() {
  int shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= shift_state::shift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= shift_state::ctrl;
  if (GetKeyState(VK_MENU) < 0) shift |= shift_state::alt;
  return shift;
}

std::string last_error(const char* what) { return std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")"; }

}  // namespace

std::wstring widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(std::max(n, 0)), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

// One run: the window, the DIB section behind it and the loop that feeds it.
class WindowsPlatform::Session {
 public:
  Session(WindowsPlatform& platform, Runtime& runtime) : platform_(platform), runtime_(runtime) {
    HINSTANCE exe = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Session::procedure;
    wc.hInstance = exe;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    // The application icon is the executable's icon group 1.
    wc.hIcon = LoadIconW(exe, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw std::runtime_error(last_error("RegisterClassEx"));

    FormWindow& w = runtime.window();
    RECT frame{0, 0, std::max(1, w.client_width()), std::max(1, w.client_height())};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    hwnd_ = CreateWindowExW(kExStyle, kWindowClass, widen(title_text(runtime.form(), runtime.project_info().locale)).c_str(), kStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, exe,
                            this);
    if (!hwnd_) throw std::runtime_error(last_error("CreateWindowEx"));
    access_.emplace(access::AccessTree(w, runtime, access::Words::from_bytes_or_none(runtime.words())), hwnd_);
    access_->after_input();
    make_framebuffer();
    runtime.set_error_display([this](const std::string& m) {
      MessageBoxW(hwnd_, widen(m).c_str(), L"morvane", MB_OK | MB_ICONERROR);
    });
    render_dirty();
    ShowWindow(hwnd_, SW_SHOWDEFAULT);
    UpdateWindow(hwnd_);
  }
  ~Session() {
    runtime_.set_error_display({});
    if (accessible_) {
      disconnect_client_accessible(accessible_);
      accessible_->Release();
    }
    if (hwnd_) DestroyWindow(hwnd_);
    free_framebuffer();
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void loop() {
    MSG msg;
    while (!runtime_.finished()) {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));  // from a sent message
      if (got == -1) throw std::runtime_error(last_error("GetMessage"));
      if (got == 0) break;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
      if (!runtime_.finished()) render_dirty();
      if (!runtime_.finished()) access_->after_input();
    }
  }

 private:
  FormWindow& window() { return runtime_.window(); }

  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Session*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || self->hwnd_ != hwnd || self->runtime_.finished() || self->failure_)
      return DefWindowProcW(hwnd, message, wp, lp);
    // No exception may pass through the system's frames (32-bit unwinding cannot cross
    // them): it waits here and goes on once the message has been dispatched.
    try {
      return self->handle(message, wp, lp);
    } catch (...) {
      self->failure_ = std::current_exception();
      return 0;
    }
  }

  LRESULT handle(UINT message, WPARAM wp, LPARAM lp) {
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    switch (message) {
      case WM_CLOSE: window().close(); return 0;  // nothing can cancel it
      case WM_ERASEBKGND: return 1;                // every pixel comes from the framebuffer
      case WM_PAINT: paint(); return 0;
      // Sent messages, which the loop never sees: the new picture is made here.
      case WM_SYSCOLORCHANGE:
        window().invalidate_all();
        render_dirty();
        return 0;
      case WM_SIZE:
        if (wp != SIZE_MINIMIZED && (LOWORD(lp) != window().client_width() || HIWORD(lp) != window().client_height())) {
          window().resize(LOWORD(lp), HIWORD(lp));
          make_framebuffer();
          render_dirty();
        }
        return 0;
      case WM_LBUTTONDOWN: press(x, y, 1); return 0;
      case WM_RBUTTONDOWN: press(x, y, 2); return 0;
      case WM_MBUTTONDOWN: press(x, y, 4); return 0;
      case WM_LBUTTONUP: release(x, y, 1, wp); return 0;
      case WM_RBUTTONUP: release(x, y, 2, wp); return 0;
      case WM_MBUTTONUP: release(x, y, 4, wp); return 0;
      case WM_MOUSEMOVE: window().pointer_move(x, y); return 0;
      // Another window took the pointer (a message box, or the system cancelling the
      // mode): a drag ends without a drop, as a release outside the window does.
      case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != hwnd_) pointer_lost();
        return 0;
      case WM_CANCELMODE:
        pointer_lost();
        return DefWindowProcW(hwnd_, message, wp, lp);  // releases the capture
      case WM_KEYDOWN:
        if (const int k = runtime_key(wp)) window().key_down(k, shift_keys());
        return 0;
      case WM_KEYUP:
        if (const int k = runtime_key(wp)) window().key_up(k, shift_keys());
        return 0;
      case WM_GETOBJECT: return get_object(wp, lp);
      case WindowAccess::kDoAction:
      case WindowAccess::kTakeFocus:
        access_->handle_posted(message, wp, lp);
        render_dirty();
        return 0;
      case WM_SETFOCUS:
        if (access_) access_->window_focused();
        return 0;
      default: return DefWindowProcW(hwnd_, message, wp, lp);
    }
  }

  // The client area's accessible object, made at the first query.
  LRESULT get_object(WPARAM wp, LPARAM lp) {
    const AccessLibraries* libraries = nullptr;
    if (static_cast<LONG>(static_cast<DWORD>(lp)) != OBJID_CLIENT || !access_ || !(libraries = access_libraries()))
      return DefWindowProcW(hwnd_, WM_GETOBJECT, wp, lp);
    if (!accessible_) accessible_ = make_client_accessible(hwnd_, &*access_);
    return libraries->lresult_from_object(kIidAccessible, wp, accessible_);
  }

  // The pointer stays with the window while a button is held, so that a drag ends
  // with its release even outside the window.
  void press(int x, int y, int button) {
    SetCapture(hwnd_);
    window().pointer_down(x, y, button, GetMessageTime());
  }
  void release(int x, int y, int button, WPARAM still_held) {
    window().pointer_up(x, y, button);
    if (!(still_held & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
  }

  // Sent, so the loop does not repaint after it: the outline goes here.
  void pointer_lost() {
    window().pointer_lost();
    render_dirty();
  }

  // The system colours as they are now, then what changed, into the DIB section;
  // the window is asked to show those rectangles only.
  void render_dirty() {
    for (int i = 0; i < SystemColors::kCount; ++i) {
      const COLORREF c = GetSysColor(i);
      platform_.shell_.colors().set(i, (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    }
    const Framebuffer& fb = platform_.shell_.framebuffer();
    for (const PixelRect& r : platform_.shell_.paint_dirty(window())) {
      for (int row = r.y; row < r.bottom(); ++row)
        std::copy_n(fb.row(row) + r.x, r.w, bits_ + static_cast<std::size_t>(row) * static_cast<std::size_t>(fb.width) + r.x);
      const RECT rect{r.x, r.y, r.right(), r.bottom()};
      InvalidateRect(hwnd_, &rect, FALSE);
    }
  }

  void paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    const RECT& r = ps.rcPaint;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory_dc_, r.left, r.top, SRCCOPY);
    EndPaint(hwnd_, &ps);
  }

  // A DIB section of the window's client size behind the shell's framebuffer.
  void make_framebuffer() {
    free_framebuffer();
    platform_.shell_.fit(window(), 1);
    const Framebuffer& fb = platform_.shell_.framebuffer();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = fb.width;
    info.bmiHeader.biHeight = -fb.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;         // 0x00RRGGBB, as the framebuffer holds them
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dib_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib_) throw std::runtime_error(last_error("CreateDIBSection"));
    bits_ = static_cast<std::uint32_t*>(bits);
    memory_dc_ = CreateCompatibleDC(nullptr);
    old_bitmap_ = SelectObject(memory_dc_, dib_);
  }
  void free_framebuffer() {
    if (memory_dc_) {
      SelectObject(memory_dc_, old_bitmap_);
      DeleteDC(memory_dc_);
      memory_dc_ = nullptr;
    }
    if (dib_) {
      DeleteObject(dib_);
      dib_ = nullptr;
    }
  }

  WindowsPlatform& platform_;
  Runtime& runtime_;
  HWND hwnd_ = nullptr;
  HBITMAP dib_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  HDC memory_dc_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  std::exception_ptr failure_;  // thrown while handling a message
  IAccessible* accessible_ = nullptr;
  std::optional<WindowAccess> access_;
};

WindowsPlatform::WindowsPlatform(TextRasterizer* text) : shell_(text) {}

int WindowsPlatform::run(Runtime& runtime) {
  {
    Session session(*this, runtime);
    session.loop();
  }
  return runtime.exit_code();
}

void WindowsPlatform::show_fatal(const std::string& message) {
  MessageBoxW(nullptr, widen(message).c_str(), L"morvane", MB_OK | MB_ICONERROR);
}

}  // namespace morvane::runtime
