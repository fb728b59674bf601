// The painter: each control's border, background and caption, the button's focus
// and pressed looks, the drag outline, and repainting only what changed.
#include <gtest/gtest.h>

#include <memory>

#include "block_text.h"
#include "runtime/core/controls/form_object.h"
#include "tests/support/form_builder.h"
#include "runtime/core/paint/renderer.h"

namespace morvane::runtime {
namespace {

using testing::BlockText;

constexpr std::uint32_t kSentinel = 0x123456;
constexpr std::uint32_t kPictureColour = 0x00A000;
constexpr std::uint32_t kFormValue = 0x203040;  // an RGB colour value: red in the low byte
constexpr std::uint32_t kFormRgb = 0x403020;

struct NoHandlers final : EventDispatcher {
  void raise(Control&, Event, const EventArgs&) override {}
};

using morvane::testing::add_control;

// The enzyme window's layout, with plain pictures and block text.
class RendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = Ref<FormObject>::adopt(new FormObject("Form1", 0x50));
    form_->move(0, 0, 9945, 7650);
    form_->set_back_color(kFormValue);
    FontSpec comic;
    comic.name = "Comic Sans MS";
    comic.size_e4 = 142500;
    button_ = &add_control<CommandButton>(*form_, "Command1", 1, 5, 7680, 1080, 1215, 495);
    button_->set_caption("Reset");
    button_->set_font(comic);
    enzyme_ = &add_control<PictureBox>(*form_, "Picture1", 5, 1, 3000, 4080, 4095, 3495);
    substrate_ = &add_control<PictureBox>(*form_, "Picture2", 4, 2, 2880, 960, 3135, 3015);
    label_ = &add_control<Label>(*form_, "Label1", 6, 0, 2880, 0, 4215, 495);
    Image image;
    image.width = image.height = 203;
    image.pixels.assign(203 * 203, kPictureColour);
    const auto picture = std::make_shared<const Picture>(std::move(image));
    enzyme_->set_picture(picture);
    substrate_->set_picture(picture);
    substrate_->set_back_color(system_color(20));
    substrate_->set_automatic_drag(true);
    label_->set_caption("What Do Enzymes Do?");
    label_->set_back_color(system_color(18));
    label_->set_fore_color(system_color(14));
    window_ = std::make_unique<FormWindow>(form_, events_);
    fb_.resize(window_->client_width(), window_->client_height());
    std::fill(fb_.pixels.begin(), fb_.pixels.end(), kSentinel);
    renderer_.paint_dirty(*window_, fb_);
  }

  std::uint32_t px(int x, int y) const { return fb_.at(x, y); }
  std::vector<PixelRect> update() { return renderer_.paint_dirty(*window_, fb_); }
  // Everything painted afresh, to compare incremental painting with.
  Framebuffer full_paint() const {
    Framebuffer f(fb_.width, fb_.height);
    renderer_.paint(*window_, f, f.bounds());
    return f;
  }

  NoHandlers events_;
  SystemColors colors_;
  BlockText text_;
  Renderer renderer_{colors_, &text_};
  Ref<FormObject> form_;
  Control* button_ = nullptr;
  Control* enzyme_ = nullptr;
  Control* substrate_ = nullptr;
  Control* label_ = nullptr;
  std::unique_ptr<FormWindow> window_;
  Framebuffer fb_;
};

TEST_F(RendererTest, TheFormBackgroundFillsTheWholeClientAreaAlsoWhenEnlarged) {
  const std::uint32_t bg = kFormRgb;
  EXPECT_EQ(px(0, 0), bg);
  EXPECT_EQ(px(662, 509), bg);
  EXPECT_EQ(px(100, 300), bg);
  window_->resize(900, 700);
  fb_.resize(900, 700);
  std::fill(fb_.pixels.begin(), fb_.pixels.end(), kSentinel);
  update();
  EXPECT_EQ(px(899, 699), bg);
  EXPECT_EQ(px(700, 100), bg);
  EXPECT_EQ(px(200 + 1, 272 + 1), 0x000000u);  // controls keep their place
}

TEST_F(RendererTest, APictureBoxHasASunkenBorderItsPictureUnscaledAndItsBackgroundBeyond) {
  // Picture1: 200,272 273x233; client 202,274 269x229.
  EXPECT_EQ(px(200, 272), 0x808080u);  // shadow, top-left
  EXPECT_EQ(px(201, 273), 0x000000u);  // dark shadow inside it
  EXPECT_EQ(px(472, 504), 0xFFFFFFu);  // highlight, bottom-right
  EXPECT_EQ(px(471, 503), 0xDFDFDFu);  // light inside it
  EXPECT_EQ(px(202, 274), kPictureColour);
  EXPECT_EQ(px(404, 476), kPictureColour);  // the picture's last pixel
  EXPECT_EQ(px(405, 300), 0xC0C0C0u);       // band to the right
  EXPECT_EQ(px(300, 477), 0xC0C0C0u);       // band below
  EXPECT_EQ(px(470, 502), 0xC0C0C0u);
  // Picture2: 192,64 209x201; client 194,66 205x197 cuts the picture's last rows,
  // and its background colour (button highlight) fills the two columns right of it.
  EXPECT_EQ(px(396, 262), kPictureColour);
  EXPECT_EQ(px(397, 100), 0xFFFFFFu);
  EXPECT_EQ(px(398, 262), 0xFFFFFFu);
  EXPECT_EQ(px(399, 100), 0xDFDFDFu);  // the border's light
  EXPECT_EQ(px(300, 263), 0xDFDFDFu);
}

TEST_F(RendererTest, TheLabelIsFilledAndItsTextStartsAtItsTopLeftInItsForeColour) {
  // Label1: 192,0 281x33, black, white text. The first block: x 193..198, y 2..13.
  EXPECT_EQ(px(192, 0), 0x000000u);
  EXPECT_EQ(px(193, 2), 0xFFFFFFu);
  EXPECT_EQ(px(198, 13), 0xFFFFFFu);
  EXPECT_EQ(px(199, 5), 0x000000u);
  EXPECT_EQ(px(193, 14), 0x000000u);
  EXPECT_EQ(px(472, 32), 0x000000u);
}

TEST_F(RendererTest, ALabelBreaksItsCaptionAtWords) {
  // 281 px take 35 blocks: the second word goes to the next line, 16 px down.
  label_->set_caption(std::string(30, 'a') + " " + std::string(10, 'b'));
  update();
  EXPECT_EQ(px(193 + 8 * 29, 2), 0xFFFFFFu);   // the last a
  EXPECT_EQ(px(193 + 8 * 31, 2), 0x000000u);   // no b after it
  EXPECT_EQ(px(193, 2 + 16), 0xFFFFFFu);       // b on line two
  EXPECT_EQ(px(193 + 8 * 9, 2 + 16), 0xFFFFFFu);
  EXPECT_EQ(px(193 + 8 * 10, 2 + 16), 0x000000u);
}

TEST_F(RendererTest, AnArabicLabelDecodesItsCaptionAndEndsItAtItsRightEdge) {
  // "\xC7\xE1" in code page 1256 (the font's character set 178) is two letters of two
  // UTF-8 bytes each: four blocks, 32 px, ending at the label's right edge (473).
  FontSpec arabic = label_->font();
  arabic.charset = 178;
  label_->set_font(arabic);
  label_->set_caption("\xC7\xE1");
  update();
  EXPECT_EQ(px(193, 2), 0x000000u);
  EXPECT_EQ(px(473 - 32 + 1, 2), 0xFFFFFFu);   // the first block
  EXPECT_EQ(px(473 - 2, 13), 0xFFFFFFu);       // the last block's ink ends 2 px short
  EXPECT_EQ(px(473 - 1, 2), 0x000000u);
}

TEST_F(RendererTest, AStripOfALabelDrawnInATallerFaceRepaintsAsTheWholeLabel) {
  // The ink now lies 22..33 rows down, below the 16 rows the metrics give a line.
  text_.taller = 20;
  window_->invalidate_all();
  update();
  ASSERT_EQ(px(193, 30), 0xFFFFFFu);
  const Framebuffer whole = fb_;
  std::fill(fb_.pixels.begin(), fb_.pixels.end(), kSentinel);
  renderer_.paint(*window_, fb_, {192, 28, 281, 2});
  for (int x = 192; x < 473; ++x) ASSERT_EQ(px(x, 28), whole.at(x, 28)) << x;
}

TEST_F(RendererTest, ALabelClipsItsTextToItsRectangle) {
  // A word of 60 blocks (480 px) reaches past the label's right edge (473); the third
  // line would start at y 32 with its ink from y 34, below the label's bottom (33).
  label_->set_caption(std::string(60, 'c') + " d e" + std::string(40, 'f'));
  update();
  EXPECT_EQ(px(193 + 8 * 34, 2), 0xFFFFFFu);  // the last block that starts inside
  for (int y = 0; y < 33; ++y)
    for (int x = 473; x < 512; ++x) ASSERT_EQ(px(x, y), kFormRgb) << x << "," << y;
  for (int y = 33; y < 64; ++y)
    for (int x = 150; x < 512; ++x) ASSERT_EQ(px(x, y), kFormRgb) << x << "," << y;
  EXPECT_EQ(px(193, 2 + 16), 0xFFFFFFu);  // "d e" on line two
}

// Command1: 512,72 81x33. "Reset" is 40 px wide and 16 high: pen at 532,80.
constexpr int kPenX = 512 + (81 - 40) / 2;
constexpr int kPenY = 72 + (33 - 16) / 2;

TEST_F(RendererTest, AButtonIsRaisedWithItsCaptionCentred) {
  EXPECT_EQ(px(512, 72), 0xFFFFFFu);   // highlight
  EXPECT_EQ(px(513, 73), 0xDFDFDFu);   // light
  EXPECT_EQ(px(592, 104), 0x000000u);  // dark shadow
  EXPECT_EQ(px(591, 103), 0x808080u);  // shadow
  EXPECT_EQ(px(516, 76), 0xC0C0C0u);   // face
  EXPECT_EQ(px(kPenX + 1, kPenY + 2), 0x000000u);   // first block's top-left
  EXPECT_EQ(px(kPenX, kPenY + 5), 0xC0C0C0u);       // left of it
  EXPECT_EQ(px(kPenX + 7, kPenY + 5), 0xC0C0C0u);   // gap between blocks
  EXPECT_EQ(px(kPenX + 38, kPenY + 13), 0x000000u); // last block's bottom-right
}

TEST_F(RendererTest, TheFocusedButtonShowsADottedFocusRectangle) {
  EXPECT_EQ(px(515, 75), 0xC0C0C0u);
  window_->set_focus(button_);
  update();
  // Inset 3: 515,75 .. 589,101, every other pixel.
  EXPECT_EQ(px(515, 75), 0x000000u);
  EXPECT_EQ(px(516, 75), 0xC0C0C0u);
  EXPECT_EQ(px(517, 75), 0x000000u);
  EXPECT_EQ(px(515, 77), 0x000000u);
  EXPECT_EQ(px(515, 76), 0xC0C0C0u);
  EXPECT_EQ(px(589, 101), 0x000000u);  // (74 + 26) even: a dot
  window_->set_focus(enzyme_);
  update();
  EXPECT_EQ(px(515, 75), 0xC0C0C0u);
  EXPECT_EQ(px(517, 75), 0xC0C0C0u);
}

TEST_F(RendererTest, AButtonHeldByTheMouseOrTheSpaceBarLooksPushed) {
  window_->pointer_down(550, 90);
  update();
  EXPECT_EQ(px(512, 72), 0x000000u);               // dark frame
  EXPECT_EQ(px(592, 104), 0x000000u);
  EXPECT_EQ(px(513, 73), 0x808080u);               // shadow inside, top-left
  EXPECT_EQ(px(kPenX + 1, kPenY + 2), 0xC0C0C0u);  // the caption moved right and down
  EXPECT_EQ(px(kPenX + 2, kPenY + 3), 0x000000u);
  EXPECT_EQ(px(kPenX + 7, kPenY + 5), 0x000000u);
  window_->pointer_move(10, 10);  // off the button: raised again while held
  update();
  EXPECT_EQ(px(512, 72), 0xFFFFFFu);
  window_->pointer_move(550, 90);
  update();
  EXPECT_EQ(px(512, 72), 0x000000u);
  window_->pointer_up(550, 90);
  update();
  EXPECT_EQ(px(512, 72), 0xFFFFFFu);

  window_->key_down(keys::space);
  update();
  EXPECT_EQ(px(512, 72), 0x000000u);
  EXPECT_EQ(px(kPenX + 7, kPenY + 5), 0x000000u);
  window_->key_up(keys::space);
  update();
  EXPECT_EQ(fb_.pixels, full_paint().pixels);
  EXPECT_EQ(px(512, 72), 0xFFFFFFu);
}

TEST_F(RendererTest, TheSpaceBarPushesOnlyAFocusedButton) {
  window_->set_focus(enzyme_);
  update();
  const Framebuffer before = fb_;
  window_->key_down(keys::space);
  update();
  EXPECT_EQ(fb_.pixels, before.pixels);
  window_->key_up(keys::space);
}

TEST_F(RendererTest, SystemColoursAreLookedUpWhenPainting) {
  colors_.set(syscolor::button_text, 0x0000FF);      // label background
  colors_.set(syscolor::highlight_text, 0xFFFF00);   // label text
  colors_.set(syscolor::button_face, 0x00FF00);      // boxes' background and button face
  colors_.set(syscolor::button_highlight, 0xFF00FF); // Picture2's background
  EXPECT_EQ(px(192, 0), 0x000000u);  // nothing repaints by itself
  window_->invalidate_all();
  update();
  EXPECT_EQ(px(192, 0), 0x0000FFu);
  EXPECT_EQ(px(193, 2), 0xFFFF00u);
  EXPECT_EQ(px(405, 300), 0x00FF00u);
  EXPECT_EQ(px(516, 76), 0x00FF00u);
  EXPECT_EQ(px(397, 100), 0xFF00FFu);
  EXPECT_EQ(px(200, 272), 0x808080u);  // the border's shadow kept its colour
}

TEST_F(RendererTest, HidingAControlRepaintsTheFormBeneathIt) {
  substrate_->set_visible(false);
  const auto dirty = update();
  EXPECT_EQ(px(300, 150), kFormRgb);
  EXPECT_EQ(fb_.pixels, full_paint().pixels);
  ASSERT_FALSE(dirty.empty());
}

TEST_F(RendererTest, TheDragOutlineFollowsThePointerAndGoesAwayCompletely) {
  const Framebuffer before = fb_;
  // Press on Picture2 (192,64 209x201) 100 px in, then move 30 right, 40 down.
  window_->pointer_down(292, 164);
  window_->pointer_move(322, 204);
  update();
  // The outline: 222,104 209x201, two pixels wide, inverted.
  EXPECT_EQ(px(300, 104), before.at(300, 104) ^ 0xFFFFFFu);
  EXPECT_EQ(px(300, 105), before.at(300, 105) ^ 0xFFFFFFu);
  EXPECT_EQ(px(300, 106), before.at(300, 106));
  EXPECT_EQ(px(222, 200), before.at(222, 200) ^ 0xFFFFFFu);
  EXPECT_EQ(px(430, 304), before.at(430, 304) ^ 0xFFFFFFu);  // bottom-right corner
  EXPECT_EQ(px(431, 304), before.at(431, 304));
  EXPECT_EQ(fb_.pixels, full_paint().pixels);
  for (int step = 1; step <= 10; ++step) {
    window_->pointer_move(322 + 7 * step, 204 + 5 * step);
    update();
    ASSERT_EQ(fb_.pixels, full_paint().pixels) << "step " << step;
  }
  window_->pointer_up(500, 400);  // over the bare form: no drop effect
  update();
  EXPECT_EQ(fb_.pixels, before.pixels);
}

TEST_F(RendererTest, ADragFrameRepaintsOnlyTheOutlineEdges) {
  window_->pointer_down(292, 164);
  update();
  window_->pointer_move(297, 168);
  const auto dirty = update();
  long area = 0;
  for (const PixelRect& r : dirty) {
    area += static_cast<long>(r.w) * r.h;
    EXPECT_LE(std::min(r.w, r.h), 2 * FormWindow::kOutlineWidth + 5) << r.x << "," << r.y << " " << r.w << "x" << r.h;
  }
  // Two frames of 209x201 two pixels wide are about 3,300 pixels; the box is 42,000.
  EXPECT_LE(area, 6000);
  EXPECT_GT(area, 0);
  const int renders_before = text_.renders;
  window_->pointer_move(300, 171);  // the outline stays clear of the label and button
  update();
  EXPECT_EQ(text_.renders, renders_before);
  window_->pointer_up(300, 171);
}

TEST_F(RendererTest, WithoutATextRasterizerCaptionsAreLeftOut) {
  Renderer plain(colors_);
  Framebuffer f(fb_.width, fb_.height);
  plain.paint(*window_, f, f.bounds());
  EXPECT_EQ(f.at(193, 2), 0x000000u);
  EXPECT_EQ(f.at(kPenX + 1, kPenY + 2), 0xC0C0C0u);
}

TEST(BlendMask, MixesCoverageWithTheBackgroundAndClips) {
  Framebuffer fb(4, 1);
  std::fill(fb.pixels.begin(), fb.pixels.end(), 0x000000u);
  TextMask m;
  m.left = -1;
  m.width = 4;
  m.height = 1;
  m.coverage = {255, 255, 128, 0};
  Painter(fb, {0, 0, 2, 1}).blend_mask(m, 1, 0, 0xFF8000);
  EXPECT_EQ(fb.at(0, 0), 0xFF8000u);
  EXPECT_EQ(fb.at(1, 0), 0xFF8000u);
  EXPECT_EQ(fb.at(2, 0), 0x000000u);  // clipped
  Painter(fb, fb.bounds()).blend_mask(m, 1, 0, 0xFF8000);
  EXPECT_EQ(fb.at(2, 0), 0x804000u);  // half coverage
  EXPECT_EQ(fb.at(3, 0), 0x000000u);
}

}  // namespace
}  // namespace morvane::runtime
