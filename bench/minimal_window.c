/* The smallest program that shows a window the way morvane's desktop platform does:
 * the video subsystem with the plain window surface (no accelerated framebuffer) and
 * the platform's other hints (screen saver allowed, compositor not bypassed), one
 * resizable window of 663 x 510 created hidden and then shown, one frame converted from
 * a 32-bit 0x00RRGGBB buffer into the window surface and shown with
 * SDL_UpdateWindowSurfaceRects, then a loop that sleeps in SDL_WaitEvent, shows the
 * frame again when the window system asks for it, and ends when the window is closed.
 *
 * It is the baseline that bench/whole_process.py holds morvane against: start-up time,
 * memory and processor time beyond this are morvane's own. The frame is a black field
 * with a grey block, so that it can be told from an empty window. Like morvane, it
 * drops the BadWindow that SDL's wake-up send can meet when the window is destroyed, so
 * that it too ends with exit code 0. */
#include <SDL.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#ifdef MINIMAL_WINDOW_X11
#include <X11/Xlib.h>
#include <X11/Xproto.h>

static XErrorHandler previous_handler;

static int on_x_error(Display* display, XErrorEvent* e) {
  if (e->error_code == BadWindow && e->request_code == X_SendEvent) return 0;
  return previous_handler ? previous_handler(display, e) : 0;
}
#endif

enum { kWidth = 663, kHeight = 510 };

static uint32_t frame[kWidth * kHeight];

static void paint(void) {
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      frame[y * kWidth + x] = (x >= 512 && x < 593 && y >= 72 && y < 105) ? 0xC0C0C0u : 0x000000u;
}

static void present(SDL_Window* window) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface) return;
  const int w = surface->w < kWidth ? surface->w : kWidth;
  const int h = surface->h < kHeight ? surface->h : kHeight;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
  SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, frame, kWidth * 4, surface->format->format, surface->pixels,
                    surface->pitch);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  const SDL_Rect all = {0, 0, w, h};
  SDL_UpdateWindowSurfaceRects(window, &all, 1);
}

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
#ifdef MINIMAL_WINDOW_X11
  previous_handler = XSetErrorHandler(on_x_error);
#endif
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    fprintf(stderr, "minimal_sdl_window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("minimal", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWidth, kHeight,
                                        SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
  if (!window) {
    fprintf(stderr, "minimal_sdl_window: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  paint();
  SDL_ShowWindow(window);
  present(window);

  int running = 1;
  SDL_Event e;
  while (running && SDL_WaitEvent(&e)) {
    int again = 0;
    do {
      if (e.type == SDL_QUIT) running = 0;
      if (e.type == SDL_WINDOWEVENT) {
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE: running = 0; break;
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_SIZE_CHANGED:
          case SDL_WINDOWEVENT_RESIZED: again = 1; break;
          default: break;
        }
      }
    } while (running && SDL_PollEvent(&e));
    if (running && again) present(window);
  }
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
