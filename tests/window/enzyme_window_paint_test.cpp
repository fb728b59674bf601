// The enzyme window painted with the installed fonts: the captions are there and
// stay inside their controls, and a change of the system colours repaints the form,
// the label and the picture boxes in the new colours.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/project.h"
#include "runtime/backends/headless/headless_platform.h"
#include "runtime/text/freetype_text.h"

namespace morvane::runtime {
namespace {

class EnzymeWindowPaint : public ::testing::Test {
 protected:
  void SetUp() override { platform_.attach(runtime_); }
  std::uint32_t px(int x, int y) const { return platform_.framebuffer().at(x, y); }
  int count(PixelRect r, std::uint32_t rgb) const {
    int n = 0;
    for (int y = r.y; y < r.bottom(); ++y)
      for (int x = r.x; x < r.right(); ++x) n += px(x, y) == rgb;
    return n;
  }
  int count_not(PixelRect r, std::uint32_t rgb) const { return r.w * r.h - count(r, rgb); }
  // Pixels whose every channel is at least (bright) or below (dark) half way.
  int count_bright(PixelRect r) const { return count_if(r, [](std::uint32_t c) { return (c & 0x808080) == 0x808080; }); }
  int count_dark(PixelRect r) const { return count_if(r, [](std::uint32_t c) { return (c & 0x808080) == 0; }); }
  template <class P>
  int count_if(PixelRect r, P p) const {
    int n = 0;
    for (int y = r.y; y < r.bottom(); ++y)
      for (int x = r.x; x < r.right(); ++x) n += p(px(x, y));
    return n;
  }

  text::FreeTypeTextRasterizer text_;
  Runtime runtime_{app::enzyme_project()};
  HeadlessPlatform platform_{&text_};
};

constexpr PixelRect kLabel{192, 0, 281, 33};

TEST_F(EnzymeWindowPaint, TheTitleIsWhiteOnBlackInsideTheLabelAndResetIsDarkOnTheButton) {
  EXPECT_GT(count_bright(kLabel), 150);  // the title's strokes
  EXPECT_EQ(px(192, 0), 0x000000u);
  // Nothing of the caption beyond the label: the form around it is plain black.
  EXPECT_EQ(count_not({473, 0, 39, 72}, 0x000000), 0);
  EXPECT_EQ(count_not({150, 33, 362, 31}, 0x000000), 0);
  EXPECT_EQ(count_not({150, 0, 42, 64}, 0x000000), 0);
  // "Reset": dark ink inside the button's edges, centred: as much ink left as right of the middle.
  const PixelRect inside{514, 74, 77, 29};
  const int ink = count_dark(inside);
  EXPECT_GT(ink, 40);
  const int left = count_dark({514, 74, 38, 29});
  const int right = count_dark({553, 74, 38, 29});
  EXPECT_NEAR(left, right, ink / 3);
}

TEST_F(EnzymeWindowPaint, AChangeOfTheSystemColoursRepaintsFormLabelAndPictureBoxes) {
  SystemColors& colors = platform_.colors();
  colors.set(syscolor::menu_text, 0x0000A0);     // the form's background
  colors.set(syscolor::button_text, 0xA00000);   // the label's background
  colors.set(syscolor::button_face, 0x00A000);   // the picture boxes' background
  colors.set(syscolor::highlight_text, 0xFFFF00);  // the label's text
  EXPECT_EQ(px(50, 300), 0x000000u);
  platform_.system_colors_changed();
  EXPECT_EQ(px(50, 300), 0x0000A0u);
  EXPECT_EQ(px(620, 480), 0x0000A0u);
  EXPECT_EQ(px(192, 0), 0xA00000u);
  EXPECT_EQ(count_if(kLabel, [](std::uint32_t c) { return (c & 0xFF) > 0x80; }), 0);  // no white left
  EXPECT_GT(count_if(kLabel, [](std::uint32_t c) {
                return (c >> 16) >= 0xC0 && ((c >> 8) & 0xFF) >= 0xC0 && (c & 0xFF) < 0x40;
              }),
            150);
  EXPECT_EQ(px(440, 400), 0x00A000u);  // the band right of the enzyme picture
  EXPECT_EQ(px(300, 490), 0x00A000u);  // and below it
  EXPECT_EQ(px(540, 76), 0x00A000u);   // the button face too
}

TEST_F(EnzymeWindowPaint, ADragAcrossTheTitleLeavesItAsItWas) {
  const Framebuffer before = platform_.framebuffer();
  // The outline (209x201) sweeps over the label and the button and back.
  platform_.feed({InputEvent::Type::pointer_down, 296, 100, 1});
  for (int i = 1; i <= 12; ++i) platform_.feed({InputEvent::Type::pointer_move, 296 + 20 * i, 100 - 5 * i});
  platform_.feed({InputEvent::Type::pointer_up, 600, 20, 1});  // on the bare form
  EXPECT_EQ(platform_.framebuffer().pixels, before.pixels);
}

// Whole frames of the states a user reaches, painted a dirty area at a time as the
// platforms paint them, against the README's pictures (docs/) and those kept in
// tests/reference/. Any change of a pixel fails; MORVANE_WRITE_REFERENCE_FRAMES=1 writes
// the pictures anew instead.
struct ReferenceFrame {
  const char* path;  // in the source tree
  std::vector<InputEvent> input;
};

using In = InputEvent::Type;
constexpr InputEvent kTabDown{In::key_down, 0, 0, keys::tab}, kTabUp{In::key_up, 0, 0, keys::tab};

const ReferenceFrame kReferenceFrames[] = {
    {"docs/start.png", {}},
    {"tests/reference/focus_ring_after_tab.png", {kTabDown, kTabUp}},
    {"tests/reference/keyboard_drag_outline.png",
     {kTabDown, kTabUp, {In::key_down, 0, 0, keys::space}, {In::key_up, 0, 0, keys::space},
      {In::key_down, 0, 0, keys::down, shift_state::shift}, {In::key_down, 0, 0, keys::right}}},
    {"tests/reference/mouse_drag_outline.png",
     {{In::pointer_down, 290, 150, 1}, {In::pointer_move, 300, 200}, {In::pointer_move, 320, 330}}},
    {"tests/reference/reset_pushed.png", {{In::pointer_down, 550, 88, 1}}},
    {"tests/reference/reset_pushed_by_space.png", {kTabDown, kTabUp, kTabDown, kTabUp, {In::key_down, 0, 0, keys::space}}},
    {"docs/complex.png",
     {{In::pointer_down, 290, 150, 1}, {In::pointer_move, 310, 265}, {In::pointer_move, 330, 380},
      {In::pointer_up, 330, 380, 1}}},
    {"docs/product.png",
     {{In::pointer_down, 290, 150, 1}, {In::pointer_move, 330, 380}, {In::pointer_up, 330, 380, 1},
      {In::pointer_down, 340, 380, 1}, {In::pointer_up, 340, 380, 1}}},
};

std::vector<std::uint32_t> read_rgb_png(const std::string& path, int& width, int& height) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) throw std::runtime_error(path + ": " + png.message);
  png.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) throw std::runtime_error(path + ": " + png.message);
  width = static_cast<int>(png.width);
  height = static_cast<int>(png.height);
  std::vector<std::uint32_t> pixels(rgb.size() / 3);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = std::uint32_t{rgb[3 * i]} << 16 | std::uint32_t{rgb[3 * i + 1]} << 8 | rgb[3 * i + 2];
  return pixels;
}

TEST_F(EnzymeWindowPaint, ReferenceFramesArePaintedPixelForPixel) {
  // The pictures were made with Comic Neue, the face that the setup installs.
  const std::string face = text_.face_family(runtime_.form().find("Command1")->font());
  if (face != "Comic Neue") GTEST_SKIP() << "the captions would be drawn in " << face << ", not Comic Neue";
  const bool write = std::getenv("MORVANE_WRITE_REFERENCE_FRAMES") != nullptr;
  for (const ReferenceFrame& frame : kReferenceFrames) {
    SCOPED_TRACE(frame.path);
    Runtime runtime{app::enzyme_project()};
    HeadlessPlatform platform{&text_};
    platform.attach(runtime);
    for (const InputEvent& e : frame.input) platform.feed(e);
    const std::string path = std::string(MORVANE_SOURCE_DIR) + "/" + frame.path;
    if (write) {
      write_png(platform.framebuffer(), path);
      continue;
    }
    int w = 0, h = 0;
    const std::vector<std::uint32_t> expected = read_rgb_png(path, w, h);
    ASSERT_EQ(w, platform.framebuffer().width);
    ASSERT_EQ(h, platform.framebuffer().height);
    std::size_t differing = 0, first = 0;
    for (std::size_t i = expected.size(); i-- > 0;)
      if (expected[i] != platform.framebuffer().pixels[i]) ++differing, first = i;
    EXPECT_EQ(differing, 0u) << "first at (" << first % static_cast<std::size_t>(w) << ", "
                             << first / static_cast<std::size_t>(w) << ")";
  }
}

}  // namespace
}  // namespace morvane::runtime
