#include "runtime/backends/desktop/x11_shm_presenter.h"

#include <cstdint>
#include <cstring>

#ifdef MORVANE_DESKTOP_XSHM
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include "runtime/backends/desktop/prefault.h"
#endif

namespace morvane::runtime {

#ifdef MORVANE_DESKTOP_XSHM
struct X11ShmPresenter::Segment {
  int shmid = -1;
  char* addr = nullptr;
  int width = 0, height = 0;
};

void X11ShmPresenter::SegmentDeleter::operator()(Segment* s) const {
  if (s->addr) shmdt(s->addr);
  delete s;
}

X11ShmPresenter::PreparedSegment X11ShmPresenter::prepare(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  PreparedSegment s(new Segment);
  s->shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (s->shmid < 0) return nullptr;
  void* addr = shmat(s->shmid, nullptr, 0);
  // Removed as soon as both sides let go of it, whatever ends this process; Linux lets
  // the server attach a removed segment while this process still has it.
  shmctl(s->shmid, IPC_RMID, nullptr);
  if (addr == reinterpret_cast<void*>(-1)) return nullptr;
  s->addr = static_cast<char*>(addr);
  s->width = width;
  s->height = height;
  prefault_for_writing(s->addr, bytes);
  return s;
}

namespace {

// Errors met while the server attaches a segment: it answers a process on another
// machine (or one it may not trust with its memory) with BadAccess.
bool attach_refused = false;
int note_attach_error(Display*, XErrorEvent*) {
  attach_refused = true;
  return 0;
}

// A segment of shared memory attached by this process and by the server, and the
// image that describes its pixels.
class SharedImage {
 public:
  // Nullptr when the server refuses the segment. `confirm` is a request that waits for
  // the server's answer (a round trip): errors about the attachment have come in once
  // it returns.
  template <typename Confirm>
  static std::unique_ptr<SharedImage> attach(Display* dpy, X11ShmPresenter::PreparedSegment segment,
                                             Confirm confirm) {
    if (!segment) return nullptr;
    std::unique_ptr<SharedImage> s(new SharedImage(dpy, std::move(segment)));
    s->info_.shmid = s->segment_->shmid;
    s->info_.shmaddr = s->segment_->addr;
    s->info_.readOnly = False;
    attach_refused = false;
    XErrorHandler previous = XSetErrorHandler(note_attach_error);
    XShmAttach(dpy, &s->info_);
    const bool confirmed = confirm();
    XSetErrorHandler(previous);
    if (attach_refused || !confirmed) return nullptr;  // never attached: nothing to detach
    s->attached_ = true;
    return s;
  }
  ~SharedImage() {
    // The server carries out the detach after every put sent before it, and keeps its
    // own mapping until then; this process's mapping can go at once (with the segment).
    if (attached_) XShmDetach(dpy_, &info_);
    if (image_) XDestroyImage(image_);  // the shared-memory image frees only itself
  }
  SharedImage(const SharedImage&) = delete;
  SharedImage& operator=(const SharedImage&) = delete;

  // The image of width x height pixels in this segment; false when the server's
  // format for that depth is not 32-bit 0x00RRGGBB words in this machine's byte order.
  bool create_image(Visual* visual, int depth, int width, int height) {
    image_ = XShmCreateImage(dpy_, visual, static_cast<unsigned>(depth), ZPixmap, info_.shmaddr, &info_,
                             static_cast<unsigned>(width), static_cast<unsigned>(height));
    const int native = SDL_BYTEORDER == SDL_LIL_ENDIAN ? LSBFirst : MSBFirst;
    return image_ && image_->bits_per_pixel == 32 && image_->byte_order == native && image_->red_mask == 0xFF0000 &&
           image_->green_mask == 0x00FF00 && image_->blue_mask == 0x0000FF &&
           image_->bytes_per_line == width * 4;
  }

  XImage* image() const { return image_; }

 private:
  SharedImage(Display* dpy, X11ShmPresenter::PreparedSegment segment) : dpy_(dpy), segment_(std::move(segment)) {}

  Display* dpy_;
  X11ShmPresenter::PreparedSegment segment_;
  XShmSegmentInfo info_{};
  XImage* image_ = nullptr;
  bool attached_ = false;
};

}  // namespace

struct X11ShmPresenter::State {
  Display* dpy = nullptr;
  ::Window window = 0;
  Visual* visual = nullptr;
  int depth = 0;
  GC gc = nullptr;
  std::unique_ptr<SharedImage> shared;
  int width = 0, height = 0;  // the shared image's size
  unsigned long last_put = 0;  // the sequence number of the last put sent
  bool put_pending = false;

  ~State() {
    shared.reset();
    if (gc) XFreeGC(dpy, gc);
  }

  // Whether the server has carried out the last put: something it sent since came
  // with that put's sequence number or a later one (the difference taken modulo the
  // counter's size).
  bool last_put_read() const {
    return !put_pending || static_cast<long>(LastKnownRequestProcessed(dpy) - last_put) >= 0;
  }

  bool resize(int w, int h) {
    shared.reset();
    shared = SharedImage::attach(dpy, prepare(w, h), [this] { return XSync(dpy, False) != 0; });
    if (!shared || !shared->create_image(visual, depth, w, h)) return false;
    width = w;
    height = h;
    put_pending = false;
    return true;
  }
};

X11ShmPresenter::X11ShmPresenter(std::unique_ptr<State> state) : state_(std::move(state)) {}
X11ShmPresenter::~X11ShmPresenter() = default;

std::unique_ptr<X11ShmPresenter> X11ShmPresenter::open(SDL_Window* window, PreparedSegment ready) {
  SDL_SysWMinfo wm;
  SDL_VERSION(&wm.version);
  if (!SDL_GetWindowWMInfo(window, &wm) || wm.subsystem != SDL_SYSWM_X11) return nullptr;
  Display* dpy = wm.info.x11.display;
  if (!XShmQueryExtension(dpy)) return nullptr;
  int w = 0, h = 0;
  SDL_GetWindowSizeInPixels(window, &w, &h);
  if (w <= 0 || h <= 0) return nullptr;
  auto state = std::make_unique<State>();
  state->dpy = dpy;
  state->window = wm.info.x11.window;
  // The window's visual and depth come in the answer that also confirms the attachment.
  XWindowAttributes attrs{};
  if (!ready || ready->width != w || ready->height != h) ready = prepare(w, h);
  state->shared = SharedImage::attach(dpy, std::move(ready), [&] {
    return XGetWindowAttributes(dpy, state->window, &attrs) != 0;
  });
  // Direct colour (Xvfb's default) takes the same words as true colour, through the
  // window's colour map, as SDL's own window surface does.
  if (!state->shared || !attrs.visual || (attrs.visual->c_class != TrueColor && attrs.visual->c_class != DirectColor))
    return nullptr;
  state->visual = attrs.visual;
  state->depth = attrs.depth;
  if (!state->shared->create_image(attrs.visual, attrs.depth, w, h)) return nullptr;
  state->width = w;
  state->height = h;
  XGCValues values{};
  values.graphics_exposures = False;
  state->gc = XCreateGC(dpy, state->window, GCGraphicsExposures, &values);
  if (!state->gc) return nullptr;
  return std::unique_ptr<X11ShmPresenter>(new X11ShmPresenter(std::move(state)));
}

bool X11ShmPresenter::present(const Framebuffer& fb, std::span<const PixelRect> rects) {
  State& s = *state_;
  if (fb.width <= 0 || fb.height <= 0) return true;  // nothing to show
  if ((fb.width != s.width || fb.height != s.height) && !s.resize(fb.width, fb.height)) return false;
  // The server may still be reading the shared pixels of the last put.
  if (!s.last_put_read()) XSync(s.dpy, False);
  XImage* image = s.shared->image();
  const PixelRect bounds = fb.bounds();
  bool sent = false;
  for (const PixelRect& r : rects) {
    const PixelRect c = r.intersect(bounds);
    if (c.empty()) continue;
    for (int y = c.y; y < c.y + c.h; ++y)
      std::memcpy(image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line + c.x * 4, fb.row(y) + c.x,
                  static_cast<std::size_t>(c.w) * 4);
    s.last_put = NextRequest(s.dpy);
    XShmPutImage(s.dpy, s.window, s.gc, image, c.x, c.y, c.x, c.y, static_cast<unsigned>(c.w),
                 static_cast<unsigned>(c.h), False);
    sent = true;
  }
  if (!sent) return true;
  s.put_pending = true;
  XFlush(s.dpy);
  return true;
}

#else

struct X11ShmPresenter::Segment {};
void X11ShmPresenter::SegmentDeleter::operator()(Segment* s) const { delete s; }
X11ShmPresenter::PreparedSegment X11ShmPresenter::prepare(int, int) { return nullptr; }
struct X11ShmPresenter::State {};
X11ShmPresenter::X11ShmPresenter(std::unique_ptr<State> state) : state_(std::move(state)) {}
X11ShmPresenter::~X11ShmPresenter() = default;
std::unique_ptr<X11ShmPresenter> X11ShmPresenter::open(SDL_Window*, PreparedSegment) { return nullptr; }
bool X11ShmPresenter::present(const Framebuffer&, std::span<const PixelRect>) { return false; }

#endif

}  // namespace morvane::runtime
