#include "runtime/backends/windows/client_accessible.h"

#include "runtime/backends/windows/access_libraries.h"

namespace morvane::runtime {

const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

namespace {

const IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool same(REFIID a, const IID& b) { return IsEqualGUID(a, b); }

BSTR make_bstr(const std::wstring& s) {
  const AccessLibraries* libs = access_libraries();
  return libs ? libs->alloc_string(s.c_str(), static_cast<UINT>(s.size())) : nullptr;
}

void set_i4(VARIANT* v, long value) {
  v->vt = VT_I4;
  v->lVal = value;
}

class ClientAccessible final : public IAccessible {
 public:
  ClientAccessible(HWND window, AccessibleContent* content) : window_(window), content_(content) {}
  void disconnect() { content_ = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (same(iid, kIidUnknown) || same(iid, kIidDispatch) || same(iid, kIidAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: clients call through the interface's own table.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    const AccessLibraries* libs = access_libraries();
    if (!content_ || !libs) return S_FALSE;
    return libs->create_standard_object(window_, OBJID_WINDOW, kIidDispatch, reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (!count) return E_POINTER;
    if (!content_) return CO_E_OBJNOTCONNECTED;
    *count = content_->child_count();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override {
    if (!child) return E_POINTER;
    *child = nullptr;
    // The children are simple elements, reached through this object by number.
    return check(id, false) == S_OK ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* out) override {
    return text(id, out, [this](long c) {
      if (c != CHILDID_SELF) return content_->child(c).name;
      wchar_t title[256] = L"";
      GetWindowTextW(window_, title, 256);
      return std::wstring(title);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* out) override { return nothing(id, out); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* out) override {
    return text(id, out, [this](long c) { return c == CHILDID_SELF ? content_->description() : content_->child(c).description; });
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInitLocal(out);
    if (const HRESULT hr = check(id, true); hr != S_OK) return hr;
    set_i4(out, id.lVal == CHILDID_SELF ? ROLE_SYSTEM_CLIENT : content_->child(id.lVal).role);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInitLocal(out);
    if (const HRESULT hr = check(id, true); hr != S_OK) return hr;
    long state = 0;
    if (id.lVal == CHILDID_SELF) {
      state = STATE_SYSTEM_FOCUSABLE | (GetFocus() == window_ && content_->focused_child() == 0 ? STATE_SYSTEM_FOCUSED : 0);
    } else {
      state = content_->child(id.lVal).state;
      // The system's focus is where the window's is, and only while the window has it.
      if (GetFocus() != window_) state &= ~STATE_SYSTEM_FOCUSED;
    }
    set_i4(out, state);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* out) override { return nothing(id, out); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return check(id, true) == S_OK ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* out) override { return nothing(id, out); }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInitLocal(out);
    if (!content_) return CO_E_OBJNOTCONNECTED;
    if (GetFocus() != window_) return S_FALSE;  // VT_EMPTY: the focus is elsewhere
    set_i4(out, content_->focused_child());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInitLocal(out);
    return content_ ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* out) override {
    return text(id, out, [this](long c) { return c == CHILDID_SELF ? std::wstring() : content_->child(c).default_action; });
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT id) override {
    if (const HRESULT hr = check(id, false); hr != S_OK) return hr;
    if (flags != SELFLAG_TAKEFOCUS) return E_INVALIDARG;  // nothing here can be selected
    return content_->request_focus(id.lVal) ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT id) override {
    if (!x || !y || !w || !h) return E_POINTER;
    *x = *y = *w = *h = 0;
    if (const HRESULT hr = check(id, true); hr != S_OK) return hr;
    RECT r{};
    if (id.lVal == CHILDID_SELF) GetClientRect(window_, &r);
    else r = content_->child(id.lVal).place;
    POINT origin{0, 0};
    ClientToScreen(window_, &origin);
    *x = r.left + origin.x;
    *y = r.top + origin.y;
    *w = r.right - r.left;
    *h = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInitLocal(out);
    if (const HRESULT hr = check(start, true); hr != S_OK) return hr;
    const long n = content_->child_count(), from = start.lVal;
    long to = 0;
    switch (direction) {
      case NAVDIR_FIRSTCHILD: to = from == CHILDID_SELF && n > 0 ? 1 : 0; break;
      case NAVDIR_LASTCHILD: to = from == CHILDID_SELF ? n : 0; break;
      case NAVDIR_NEXT: to = from != CHILDID_SELF && from < n ? from + 1 : 0; break;
      case NAVDIR_PREVIOUS: to = from > 1 ? from - 1 : 0; break;
      default: return from == CHILDID_SELF ? S_FALSE : E_INVALIDARG;  // spatial moves: none
    }
    if (to == 0) return S_FALSE;
    set_i4(out, to);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInitLocal(out);
    if (!content_) return CO_E_OBJNOTCONNECTED;
    POINT p{x, y};
    ScreenToClient(window_, &p);
    RECT client{};
    GetClientRect(window_, &client);
    if (!PtInRect(&client, p)) return S_FALSE;
    // The topmost visible child under the point: the later in the order, the higher.
    long hit = CHILDID_SELF;
    for (long c = 1; c <= content_->child_count(); ++c) {
      const AccessibleChild child = content_->child(c);
      if (!(child.state & STATE_SYSTEM_INVISIBLE) && PtInRect(&child.place, p)) hit = c;
    }
    set_i4(out, hit);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override {
    if (const HRESULT hr = check(id, false); hr != S_OK) return hr;
    return content_->request_default_action(id.lVal) ? S_OK : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  static void VariantInitLocal(VARIANT* v) {
    ZeroMemory(v, sizeof *v);
    v->vt = VT_EMPTY;
  }

  // S_OK for this object (where `self_allowed`) or one of its children.
  HRESULT check(const VARIANT& id, bool self_allowed) const {
    if (!content_) return CO_E_OBJNOTCONNECTED;
    if (id.vt != VT_I4) return E_INVALIDARG;
    if (id.lVal == CHILDID_SELF) return self_allowed ? S_OK : E_INVALIDARG;
    return id.lVal >= 1 && id.lVal <= content_->child_count() ? S_OK : E_INVALIDARG;
  }

  template <typename Text>
  HRESULT text(const VARIANT& id, BSTR* out, Text of) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (const HRESULT hr = check(id, true); hr != S_OK) return hr;
    const std::wstring s = of(id.lVal);
    if (s.empty()) return S_FALSE;
    *out = make_bstr(s);
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT nothing(const VARIANT& id, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return check(id, true) == S_OK ? S_FALSE : E_INVALIDARG;
  }

  LONG references_ = 1;
  HWND window_;
  AccessibleContent* content_;
};

}  // namespace

IAccessible* make_client_accessible(HWND window, AccessibleContent* content) {
  return new ClientAccessible(window, content);
}

void disconnect_client_accessible(IAccessible* object) { static_cast<ClientAccessible*>(object)->disconnect(); }

}  // namespace morvane::runtime
