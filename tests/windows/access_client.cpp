// A screen reader's view of a window, through the system's accessibility library:
//   access_client tree TITLE            the client area's object and each child: role,
//                                       state, place, name, description, default action,
//                                       and which child has the focus
//   access_client listen TITLE SECONDS  the window's events (focus, show, hide, name
//                                       change, alert) with the object's name at the time,
//                                       until the window is gone or the time is up
//   access_client do TITLE CHILD        the child's default action
// Each line is tab-separated UTF-8; the exit code is 0, or 1 with a line on stderr.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

// Defined here: MinGW's own identifier is an import thunk on x86-64, and queries made
// with it fail.
const IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::string utf8(const wchar_t* s, int n = -1) {
  if (!s) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, s, n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, s, n, out.data(), size, nullptr, nullptr);
  if (n < 0 && !out.empty()) out.pop_back();  // the terminating zero
  return out;
}

// Tabs and line ends inside a text would break the line format.
std::string field(BSTR b) {
  std::string s = utf8(b, b ? static_cast<int>(SysStringLen(b)) : 0);
  for (char& c : s)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  SysFreeString(b);
  return s;
}

void fail(const char* what, HRESULT hr) {
  std::fprintf(stderr, "access_client: %s failed (0x%08lx)\n", what, static_cast<unsigned long>(hr));
  std::exit(1);
}

VARIANT child_id(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

HWND find_window(const wchar_t* title) {
  for (int i = 0; i < 200; ++i) {  // ten seconds for the window to appear
    if (HWND w = FindWindowW(nullptr, title)) return w;
    Sleep(50);
  }
  std::fprintf(stderr, "access_client: no window titled \"%s\"\n", utf8(title).c_str());
  std::exit(1);
}

IAccessible* client_object(HWND window) {
  IAccessible* acc = nullptr;
  const HRESULT hr = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIAccessible,
                                                reinterpret_cast<void**>(&acc));
  if (FAILED(hr) || !acc) fail("AccessibleObjectFromWindow", hr);
  return acc;
}

// role, state, place, name, description, default action of `id` (CHILDID_SELF: the object).
void print_object(const char* kind, IAccessible* acc, long id) {
  VARIANT child = child_id(id), role, state;
  VariantInit(&role);
  VariantInit(&state);
  acc->get_accRole(child, &role);
  acc->get_accState(child, &state);
  long x = 0, y = 0, w = 0, h = 0;
  acc->accLocation(&x, &y, &w, &h, child);
  BSTR name = nullptr, description = nullptr, action = nullptr;
  acc->get_accName(child, &name);
  acc->get_accDescription(child, &description);
  acc->get_accDefaultAction(child, &action);
  const long role_number = role.vt == VT_I4 ? role.lVal : -1;
  wchar_t role_text[128] = L"";
  if (role_number >= 0) GetRoleTextW(static_cast<DWORD>(role_number), role_text, 128);
  std::printf("%s\t%ld\t%ld\t%s\t0x%lx\t%ld,%ld,%ld,%ld\t%s\t%s\t%s\n", kind, id, role_number, utf8(role_text).c_str(),
              state.vt == VT_I4 ? static_cast<unsigned long>(state.lVal) : 0ul, x, y, w, h, field(name).c_str(),
              field(description).c_str(), field(action).c_str());
}

int tree(HWND window) {
  IAccessible* acc = client_object(window);
  print_object("client", acc, CHILDID_SELF);
  long count = 0;
  HRESULT hr = acc->get_accChildCount(&count);
  if (FAILED(hr)) fail("get_accChildCount", hr);
  for (long id = 1; id <= count; ++id) print_object("child", acc, id);
  VARIANT focus;
  VariantInit(&focus);
  hr = acc->get_accFocus(&focus);
  if (FAILED(hr)) fail("get_accFocus", hr);
  std::printf("focus\t%ld\n", focus.vt == VT_I4 ? focus.lVal : focus.vt == VT_EMPTY ? -1 : -2);
  VariantClear(&focus);
  acc->Release();
  return 0;
}

int do_default_action(HWND window, long id) {
  IAccessible* acc = client_object(window);
  const HRESULT hr = acc->accDoDefaultAction(child_id(id));
  if (FAILED(hr)) fail("accDoDefaultAction", hr);
  acc->Release();
  std::printf("done\t%ld\n", id);
  return 0;
}

HWND g_window = nullptr;
bool g_gone = false;

const char* event_name(DWORD event) {
  switch (event) {
    case EVENT_OBJECT_FOCUS: return "focus";
    case EVENT_OBJECT_SHOW: return "show";
    case EVENT_OBJECT_HIDE: return "hide";
    case EVENT_OBJECT_NAMECHANGE: return "namechange";
    case EVENT_OBJECT_DESCRIPTIONCHANGE: return "descriptionchange";
    case EVENT_OBJECT_STATECHANGE: return "statechange";
    case EVENT_OBJECT_LOCATIONCHANGE: return "locationchange";
    case EVENT_SYSTEM_ALERT: return "alert";
    case EVENT_OBJECT_DESTROY: return "destroy";
    default: return nullptr;
  }
}

void CALLBACK on_event(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (hwnd != g_window) return;
  if (event == EVENT_OBJECT_DESTROY && object == OBJID_WINDOW && child == CHILDID_SELF) {
    g_gone = true;
    PostQuitMessage(0);
    return;
  }
  const char* name = event_name(event);
  if (!name || event == EVENT_OBJECT_LOCATIONCHANGE) return;  // the pointer's moves
  std::string object_name;
  IAccessible* acc = nullptr;
  VARIANT v;
  VariantInit(&v);
  // A hidden object still answers; an object that is gone leaves the name empty.
  if (object == OBJID_CLIENT && SUCCEEDED(AccessibleObjectFromEvent(hwnd, object, child, &acc, &v)) && acc) {
    BSTR b = nullptr;
    if (SUCCEEDED(acc->get_accName(v, &b))) object_name = field(b);
    acc->Release();
  }
  VariantClear(&v);
  std::printf("event\t%s\t%ld\t%ld\t%s\n", name, static_cast<long>(object), static_cast<long>(child), object_name.c_str());
  std::fflush(stdout);
}

int listen(HWND window, int seconds) {
  g_window = window;


  HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, &on_event, 0, 0,
                                       WINEVENT_OUTOFCONTEXT);
  if (!hook) fail("SetWinEventHook", HRESULT_FROM_WIN32(GetLastError()));
  std::printf("listening\n");
  std::fflush(stdout);
  SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000u, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    // Events come while the loop waits; a window that is gone ends it too.
    if (!IsWindow(window)) g_gone = true;
    if (g_gone) break;
    DispatchMessageW(&msg);
  }
  UnhookWinEvent(hook);
  std::printf("end\t%s\n", g_gone || !IsWindow(window) ? "gone" : "time");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: access_client tree|listen|do TITLE [SECONDS|CHILD]\n");
    return 2;
  }
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) fail("CoInitializeEx", hr);
  const std::wstring command = argv[1];
  HWND window = find_window(argv[2]);
  int rc = 2;
  if (command == L"tree") rc = tree(window);
  else if (command == L"listen" && argc == 4) rc = listen(window, _wtoi(argv[3]));
  else if (command == L"do" && argc == 4) rc = do_default_action(window, _wtol(argv[3]));
  else std::fprintf(stderr, "access_client: unknown command\n");
  std::fflush(stdout);
  CoUninitialize();
  return rc;
}
