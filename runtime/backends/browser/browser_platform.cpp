#include "runtime/backends/browser/browser_platform.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <span>

#include "runtime/backends/browser/canvas_pixels.h"
#include "runtime/backends/browser/page_keys.h"

namespace {

morvane::runtime::BrowserPlatform* g_listening = nullptr;

// Sizes the canvas and routes its pointer events to the exported entries below. Pointer
// positions are mapped from the canvas's box on the page (which the page may scale
// freely) back to its own pixels.
EM_JS(int, morvane_page_listen, (const char* selector, int width, int height), {
  var canvas = document.querySelector(UTF8ToString(selector));
  if (!canvas || !canvas.getContext) return 0;
  canvas.width = width;
  canvas.height = height;
  var ctx = canvas.getContext('2d', {alpha: false});
  if (!ctx) return 0;
  canvas.style.touchAction = 'none';
  if (Module.morvanePage) Module.morvanePage.remove();
  var active = null, held = 0;
  function at(e) {
    var r = canvas.getBoundingClientRect();
    if (!(r.width > 0) || !(r.height > 0)) return [-1, -1];
    return [Math.floor((e.clientX - r.left) * canvas.width / r.width),
            Math.floor((e.clientY - r.top) * canvas.height / r.height)];
  }
  function button(b) { return b === 0 ? 1 : b === 2 ? 2 : b === 1 ? 4 : 0; }
  function send(phase, e, b) {
    var p = at(e);
    Module['_morvane_browser_pointer'](phase, p[0], p[1], b, e.timeStamp);
  }
  var listeners = [
    [canvas, 'pointerdown', function(e) {
      if (active !== null || !e.isPrimary) return;
      var b = button(e.button);
      if (!b) return;
      e.preventDefault();
      // The page's focus leaves the window's elements for the canvas, not for their Tab order.
      if (canvas.hasAttribute('tabindex')) canvas.focus({preventScroll: true});
      active = e.pointerId;
      held = b;
      try { canvas.setPointerCapture(e.pointerId); } catch (err) {}
      send(0, e, b);
    }],
    [canvas, 'pointermove', function(e) {
      if (active === e.pointerId || (active === null && e.pointerType === 'mouse')) send(1, e, 0);
    }],
    [canvas, 'pointerup', function(e) {
      if (active !== e.pointerId) return;
      active = null;
      send(2, e, held);
    }],
    [canvas, 'pointercancel', function(e) {
      if (active !== e.pointerId) return;
      active = null;
      send(3, e, held);
    }],
    [canvas, 'lostpointercapture', function(e) {
      if (active !== e.pointerId) return;
      active = null;
      send(3, e, held);
    }],
    [canvas, 'contextmenu', function(e) { e.preventDefault(); }],
  ];
  listeners.forEach(function(l) { l[0].addEventListener(l[1], l[2]); });
  Module.morvanePage = {
    canvas: canvas,
    ctx: ctx,
    listeners: listeners,
    remove: function() {
      listeners.forEach(function(l) { l[0].removeEventListener(l[1], l[2]); });
      Module.morvanePage = null;
    }
  };
  return 1;
});

// Routes the page's keys that `key_codes` (a JSON object from a key's name to its code)
// names, and the page's loss of the keyboard, to the exported entries below.
EM_JS(void, morvane_page_listen_keys, (const char* key_codes), {
  var keys = JSON.parse(UTF8ToString(key_codes));
  // Keys reach the window where the page's focus is on it: the canvas, the elements that
  // stand for its objects, or nothing in particular; the page's own controls keep theirs.
  function ours(target) {
    var canvas = Module.morvanePage.canvas;
    var objects = document.getElementById('morvane-objects');
    return target === canvas || target === document.body || target === document.documentElement ||
           !!(objects && objects.contains(target));
  }
  function key(down) {
    return function(e) {
      var code = keys[e.key];
      if (code === undefined || e.isComposing || e.ctrlKey || e.altKey || e.metaKey || !ours(e.target)) return;
      if (Module['_morvane_browser_key'](down, code, e.shiftKey ? 1 : 0)) e.preventDefault();
    };
  }
  var added = [[window, 'keydown', key(1)], [window, 'keyup', key(0)],
               [window, 'blur', function() { Module['_morvane_browser_focus_lost'](); }]];
  added.forEach(function(l) {
    l[0].addEventListener(l[1], l[2]);
    Module.morvanePage.listeners.push(l);
  });
});

EM_JS(void, morvane_page_stop_listening, (), {
  if (Module.morvanePage) Module.morvanePage.remove();
});

EM_JS(void, morvane_page_title, (const char* title), { document.title = UTF8ToString(title); });

// rgba holds an image of width x height; only the rectangle x, y, w, h goes on the canvas.
EM_JS(void, morvane_page_put, (const unsigned char* rgba, int width, int height, int x, int y, int w, int h), {
  var page = Module.morvanePage;
  if (!page) return;
  var image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
  page.ctx.putImageData(image, 0, 0, x, y, w, h);
});

// The page learns that its first frame is on the canvas: the time, and an event.
EM_JS(void, morvane_page_first_frame, (), {
  if (typeof window.morvaneFirstFrame === 'number') return;
  window.morvaneFirstFrame = performance.now();
  window.dispatchEvent(new Event('morvane-first-frame'));
});

// A message where a person sees it: in place of the canvas, read out at once.
EM_JS(void, morvane_page_message, (const char* text), {
  var message = document.createElement('p');
  message.setAttribute('role', 'alert');
  message.className = 'morvane-message';
  message.textContent = UTF8ToString(text);
  var canvas = document.querySelector('canvas');
  if (canvas) canvas.hidden = true;
  document.body.appendChild(message);
});

EM_BOOL on_animation_frame(double, void* platform) {
  static_cast<morvane::runtime::BrowserPlatform*>(platform)->present();
  return EM_FALSE;
}

void on_first_frame_shown(void* platform) { static_cast<morvane::runtime::BrowserPlatform*>(platform)->start_access(); }

}  // namespace

// The page's listeners call these.
extern "C" {

EMSCRIPTEN_KEEPALIVE void morvane_browser_pointer(int phase, int x, int y, int button, double time_ms) {
  if (!g_listening || phase < 0 || phase > 3) return;
  g_listening->pointer(static_cast<morvane::runtime::PointerPhase>(phase), x, y, button, time_ms);
}

EMSCRIPTEN_KEEPALIVE int morvane_browser_key(int down, int key, int shift) {
  return g_listening && g_listening->key(down != 0, key, shift) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void morvane_browser_access_focus(int node) {
  if (g_listening) g_listening->access_focus(node);
}

EMSCRIPTEN_KEEPALIVE void morvane_browser_access_act(int node) {
  if (g_listening) g_listening->access_act(node);
}

EMSCRIPTEN_KEEPALIVE void morvane_browser_focus_lost() {
  if (g_listening) g_listening->focus_lost();
}

}  // extern "C"

namespace morvane::runtime {

BrowserPlatform::BrowserPlatform(TextRasterizer* text, std::string canvas_selector)
    : canvas_selector_(std::move(canvas_selector)), shell_(text) {}

BrowserPlatform::~BrowserPlatform() {
  if (g_listening == this) {
    g_listening = nullptr;
    morvane_page_stop_listening();
  }
}

void BrowserPlatform::attach(Runtime& runtime) {
  runtime_ = &runtime;
  stopped_ = false;
  runtime.set_error_display([this](const std::string& message) { stop(message); });
  shell_.fit(runtime.window());
  const Framebuffer& fb = shell_.framebuffer();
  rgba_.assign(canvas_bytes(fb), 0);
  if (!morvane_page_listen(canvas_selector_.c_str(), fb.width, fb.height))
    throw std::runtime_error("the page has no canvas '" + canvas_selector_ + "' with a 2D context");
  morvane_page_listen_keys(page_key_codes_json().c_str());
  g_listening = this;
  morvane_page_title(runtime.form().caption().c_str());
  repaint();
  page_access_.reset();
  tree_.reset();
  if (first_frame_shown_) start_access();
  if (observer_) observer_(runtime);
}

// After the first frame, so that the page's elements cost the start nothing.
void BrowserPlatform::start_access() {
  if (!runtime_ || stopped_ || tree_ || runtime_->words().empty()) return;
  try {
    FormWindow& w = runtime_->window();
    tree_ = std::make_unique<access::AccessTree>(w, *runtime_, access::Words::from_bytes(runtime_->words()));
    page_access_ = std::make_unique<PageAccess>(*tree_, w.client_width(), w.client_height());
    page_access_->update();
  } catch (const std::exception& e) {
    fail(e);
  }
}

void BrowserPlatform::start(Project project) {
  try {
    start(std::make_unique<Runtime>(std::move(project)));
  } catch (const std::exception& e) {
    report_start_failure(e, *this);
  }
}

void BrowserPlatform::start(std::unique_ptr<Runtime> runtime) {
  try {
    owned_ = std::move(runtime);
    attach(*owned_);
  } catch (const std::exception& e) {
    report_start_failure(e, *this);
  }
}

int BrowserPlatform::run(Runtime&) {
  throw std::logic_error("the browser platform runs a runtime it keeps itself: start it with BrowserPlatform::start");
}

void BrowserPlatform::show_fatal(const std::string& message) { morvane_page_message(message.c_str()); }

void BrowserPlatform::repaint() {
  if (!runtime_) return;
  for (const PixelRect& r : shell_.paint_dirty(runtime_->window())) pending_.add(r);
  if (!pending_.empty() && !frame_requested_) {
    frame_requested_ = true;
    emscripten_request_animation_frame(&on_animation_frame, this);
  }
}

void BrowserPlatform::present() {
  frame_requested_ = false;
  const Framebuffer& fb = shell_.framebuffer();
  for (const PixelRect& r : pending_.take()) {
    copy_to_canvas(fb, r, rgba_);
    morvane_page_put(rgba_.data(), fb.width, fb.height, r.x, r.y, r.w, r.h);
  }
  if (!first_frame_shown_) {
    first_frame_shown_ = true;
    morvane_page_first_frame();
    // In a task of its own, once the browser has put the frame up; an input that
    // comes before it starts the page's elements itself.
    emscripten_set_timeout(&on_first_frame_shown, 0, this);
  }
}

void BrowserPlatform::pointer(PointerPhase phase, int x, int y, int button, double time_ms) {
  if (!runtime_ || stopped_) return;
  if (first_frame_shown_) start_access();
  FormWindow& w = runtime_->window();
  try {
    switch (phase) {
      case PointerPhase::down: {
        held_button_ = button;
        const auto t = time_ms >= 0 && std::isfinite(time_ms) ? static_cast<std::uint64_t>(time_ms) : kNoTime;
        w.pointer_down(x, y, button, t);
        break;
      }
      case PointerPhase::move: w.pointer_move(x, y); break;
      case PointerPhase::up: w.pointer_up(x, y, held_button_ ? held_button_ : button); break;
      case PointerPhase::cancel:
        // Released outside the client area: no drop and no click.
        w.pointer_up(-1, -1, held_button_ ? held_button_ : button);
        break;
    }
    if (phase == PointerPhase::up || phase == PointerPhase::cancel) held_button_ = 0;
    after_input();
  } catch (const std::exception& e) {
    fail(e);
  }
}

template <class Deliver>
void BrowserPlatform::input(Deliver deliver) {
  if (!runtime_ || stopped_) return;
  try {
    deliver(runtime_->window());
    after_input();
  } catch (const std::exception& e) {
    fail(e);
  }
}

bool BrowserPlatform::key(bool down, int key, int shift) {
  if (!runtime_ || stopped_) return false;
  if (first_frame_shown_) start_access();
  if (key == keys::tab && page_access_ && page_access_->on_page() && !runtime_->window().keyboard_drag()) return false;
  input([&](FormWindow& w) {
    if (down)
      w.key_down(key, shift);
    else
      w.key_up(key, shift);
  });
  return true;
}

void BrowserPlatform::access_focus(int node) {
  if (!tree_) return;
  input([&](FormWindow& w) {
    if (node >= 0)
      tree_->focus(node);
    else
      w.set_focus(nullptr);
  });
}

void BrowserPlatform::access_act(int node) {
  if (!tree_ || node < 0 || static_cast<std::size_t>(node) >= tree_->nodes().size()) return;
  const auto& actions = tree_->nodes()[static_cast<std::size_t>(node)].actions;
  if (actions.empty()) return;
  const access::Action action = actions.front();
  input([&](FormWindow&) { tree_->perform(node, action); });
}

void BrowserPlatform::focus_lost() {
  if (!runtime_ || stopped_) return;
  if (first_frame_shown_) start_access();
  try {
    runtime_->window().focus_lost();
    after_input();
  } catch (const std::exception& e) {
    fail(e);
  }
}

void BrowserPlatform::after_input() {
  if (stopped_) return;
  repaint();
  if (page_access_) page_access_->update();
  if (observer_) observer_(*runtime_);
  if (runtime_->finished()) stop("The demonstration has ended.");
}

void BrowserPlatform::fail(const std::exception& e) {
  std::fprintf(stderr, "morvane: %s\n", e.what());
  stop(std::string("The demonstration stopped: ") + e.what());
}

void BrowserPlatform::stop(const std::string& message) {
  if (stopped_) return;
  stopped_ = true;
  if (g_listening == this) g_listening = nullptr;
  morvane_page_stop_listening();
  morvane_page_message(message.c_str());
}

}  // namespace morvane::runtime
