// Parts of the desktop platform that need no display: the translation of SDL's keys and
// buttons, and the start-up thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <functional>
#include <stdexcept>
#include <vector>

#include "runtime/backends/desktop/prefault.h"
#include "runtime/backends/desktop/sdl_keys.h"
#include "runtime/backends/desktop/start_thread.h"
#include "runtime/core/window/form_window.h"

namespace morvane::runtime {
namespace {

TEST(DesktopKeys, TheKeysThatMoveFocusAndPushButtonsKeepTheirMeaning) {
  EXPECT_EQ(runtime_key(SDLK_TAB), keys::tab);
  EXPECT_EQ(runtime_key(SDLK_RETURN), keys::enter);
  EXPECT_EQ(runtime_key(SDLK_KP_ENTER), keys::enter);
  EXPECT_EQ(runtime_key(SDLK_SPACE), keys::space);
  EXPECT_EQ(runtime_key(SDLK_ESCAPE), keys::escape);
  EXPECT_EQ(runtime_key(SDLK_r), 'R');
  EXPECT_EQ(runtime_key(SDLK_7), '7');
  EXPECT_EQ(runtime_key(SDLK_CAPSLOCK), 0);
  EXPECT_EQ(runtime_shift(KMOD_LSHIFT), shift_state::shift);
  EXPECT_EQ(runtime_shift(KMOD_RSHIFT | KMOD_LCTRL | KMOD_RALT),
            shift_state::shift | shift_state::ctrl | shift_state::alt);
  EXPECT_EQ(runtime_shift(KMOD_NUM), 0);
  EXPECT_EQ(runtime_button(SDL_BUTTON_LEFT), 1);
  EXPECT_EQ(runtime_button(SDL_BUTTON_RIGHT), 2);
  EXPECT_EQ(runtime_button(SDL_BUTTON_MIDDLE), 4);
  EXPECT_EQ(runtime_button(SDL_BUTTON_X1), 0);
}

// The work runs once, on a stack deep enough for a recursive parser, and what it throws
// comes out of join() on the waiting thread; a thread left unjoined is joined quietly.
TEST(DesktopStartThread, RunsItsWorkAndHandsBackWhatItThrew) {
  int ran = 0;
  std::function<int(int)> deep = [&](int n) {
    volatile char frame[1024] = {};
    return n == 0 ? frame[0] : deep(n - 1) + frame[n % 1024];
  };
  StartThread fine([&] { ran += 1 + deep(2000); });  // some 2 MiB of stack
  fine.join();
  EXPECT_EQ(ran, 1);

  StartThread failing([] { throw std::runtime_error("no face"); });
  EXPECT_THROW(failing.join(), std::runtime_error);

  {
    StartThread unjoined([&] { ++ran; });
    StartThread unjoined_failing([] { throw std::runtime_error("dropped"); });
  }
  EXPECT_EQ(ran, 2);
}

// Faulting memory in ahead changes nothing in it, inside or around the range, whether
// the range starts and ends on page boundaries or not, and however short it is.
TEST(DesktopPrefault, LeavesEveryByteAsItWas) {
  std::vector<std::uint8_t> block(5 * 4096 + 123);
  std::iota(block.begin(), block.end(), std::uint8_t{7});
  const std::vector<std::uint8_t> before = block;
  struct Range {
    std::size_t offset, bytes;
  };
  for (const Range r : {Range{0, block.size()}, Range{1, 3 * 4096}, Range{4095, 4097}, Range{100, 10}, Range{9, 0}}) {
    prefault_for_writing(block.data() + r.offset, r.bytes);
    EXPECT_EQ(block, before) << "offset " << r.offset << ", " << r.bytes << " bytes";
  }
  prefault_for_writing(nullptr, 4096);
}

}  // namespace
}  // namespace morvane::runtime
