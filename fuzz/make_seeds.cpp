// Writes the small seed inputs of the fuzz targets: form description streams and
// project images whose pictures are tiny bitmaps (the real ones are 124 KB each),
// truncated and edited variants of them, bitmaps of every accepted layout, and input
// sequences that walk the demonstration through its states.
// Usage: make_fuzz_seeds CORPUS_DIR (the folders form_stream, bitmap, project_image and
// input_sequence must exist).
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/project_image_builder.h"
#include "form/form_stream_writer.h"
#include "app/form1_model.h"
#include "form/window_model.h"

using namespace morvane;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::string g_dir;

void write(const std::string& name, const Bytes& bytes) {
  const std::string path = g_dir + "/" + name;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

void put16(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
  for (int s = 0; s < 32; s += 8) b.push_back(static_cast<std::uint8_t>(v >> s));
}

// An uncompressed bitmap file: `bits` 24 or 32, negative height for top-down rows.
Bytes bitmap(int width, int height, int bits, std::uint32_t info_size = 40, std::uint32_t colour = 0xFF2040) {
  const std::uint32_t rows = static_cast<std::uint32_t>(height < 0 ? -height : height);
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bits / 8) + 3) / 4 * 4;
  const std::uint32_t offset = 14 + info_size;
  Bytes b;
  b.push_back('B');
  b.push_back('M');
  put32(b, offset + stride * rows);
  put32(b, 0);
  put32(b, offset);
  put32(b, info_size);
  put32(b, static_cast<std::uint32_t>(width));
  put32(b, static_cast<std::uint32_t>(height));
  put16(b, 1);
  put16(b, static_cast<std::uint16_t>(bits));
  put32(b, 0);
  put32(b, stride * rows);
  for (int i = 0; i < 4; ++i) put32(b, 0);
  b.resize(offset, 0);
  for (std::uint32_t y = 0; y < rows; ++y) {
    const std::size_t row_start = b.size();
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = (x + static_cast<int>(y)) % 2 ? colour : 0xFFFFFF;
      b.push_back(static_cast<std::uint8_t>(c));
      b.push_back(static_cast<std::uint8_t>(c >> 8));
      b.push_back(static_cast<std::uint8_t>(c >> 16));
      if (bits == 32) b.push_back(0);
    }
    b.resize(row_start + stride, 0);
  }
  return b;
}

app::Form1Pictures tiny_pictures() {
  return {bitmap(3, 2, 24), bitmap(2, 2, 24, 40, 0xFF0000), bitmap(2, -2, 32), bitmap(1, 1, 24, 40, 0x000000)};
}

Bytes head(const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)); }

void stream_seeds(const Bytes& stream, const Bytes& no_pictures) {
  write("form1_tiny_pictures.frm", stream);
  write("form1_no_pictures.frm", no_pictures);
  // Cut inside the header, the form record, a control record and before the closing 0x04.
  for (std::size_t n : {std::size_t{40}, std::size_t{120}, std::size_t{200}, no_pictures.size() - 1})
    write("form1_cut_" + std::to_string(n) + ".frm", head(no_pictures, n));
  Bytes edited = no_pictures;
  edited[89] ^= 0x01;  // the form record's length
  write("form1_form_length_off.frm", edited);
}

void bitmap_seeds() {
  write("24bit_3x2_bottom_up.bmp", bitmap(3, 2, 24));
  write("24bit_5x3_top_down.bmp", bitmap(5, -3, 24));
  write("32bit_2x2.bmp", bitmap(2, 2, 32));
  write("24bit_1x1_v4_header.bmp", bitmap(1, 1, 24, 108));
  write("32bit_4x1_v5_header.bmp", bitmap(4, 1, 32, 124));
  write("24bit_16x16.bmp", bitmap(16, 16, 24));
  Bytes cut = bitmap(7, 7, 24);
  cut.resize(cut.size() - 5);
  write("24bit_7x7_cut.bmp", cut);
}

void image_seeds(const Bytes& stream) {
  const Bytes image = app::build_project_image(stream);
  write("image_tiny_pictures.img", image);
  // The records without the stream that the form table names.
  const Bytes bare = head(image, image.size() - stream.size());
  write("image_empty_stream.img", bare);
  write("image_cut_in_records.img", head(bare, 700));
}

// Input sequences in the decoder's byte form (tests/robustness/demo_invariants.h).
class Script {
 public:
  explicit Script(const form::WindowModel& m) {
    for (const auto& c : m.controls) rects_.push_back(*c.properties.get<form::Rect>("bounds"));
  }
  // A pointer event at the centre of control `index` (in description order).
  void pointer(std::uint8_t kind, std::size_t index, std::uint8_t button = 0, std::uint8_t time = 100) {
    const form::Rect& r = rects_[index];
    bytes_.push_back(kind);
    bytes_.push_back(static_cast<std::uint8_t>(index));
    put16(bytes_, static_cast<std::uint16_t>(r.width / 15 / 2 + 4));
    put16(bytes_, static_cast<std::uint16_t>(r.height / 15 / 2 + 4));
    if (kind < 70 || kind >= 150) bytes_.push_back(button);
    if (kind < 70) bytes_.push_back(time);
  }
  void down(std::size_t i, std::uint8_t time = 100) { pointer(0, i, 0, time); }
  void move(std::size_t i) { pointer(70, i); }
  void up(std::size_t i) { pointer(150, i); }
  void click(std::size_t i, std::uint8_t time = 100) {
    down(i, time);
    up(i);
  }
  void key(std::uint8_t key_index, std::uint8_t shift = 0) {
    for (std::uint8_t kind : {std::uint8_t{210}, std::uint8_t{230}}) {
      bytes_.push_back(kind);
      bytes_.push_back(key_index);
      bytes_.push_back(shift);
    }
  }
  void resize(std::uint16_t w, std::uint16_t h) {
    bytes_.push_back(245);
    put16(bytes_, static_cast<std::uint16_t>(w + 16));
    put16(bytes_, static_cast<std::uint16_t>(h + 16));
  }
  void close() { bytes_.push_back(255); }
  void focus_lost() { bytes_.push_back(244); }
  const Bytes& bytes() const { return bytes_; }

 private:
  std::vector<form::Rect> rects_;
  Bytes bytes_;
};

void input_seeds() {
  const form::WindowModel m = app::form1_model({});
  enum { command1, picture4, picture3, picture2, picture1, label1 };
  {
    Script s(m);  // Start → Complex → Product → Start
    s.down(picture2);
    s.move(picture3);
    s.move(picture1);
    s.up(picture1);
    s.click(picture4);
    s.click(command1);
    write("drag_click_reset.bin", s.bytes());
  }
  {
    Script s(m);  // a double click on the complex, then keys on the button
    s.down(picture2);
    s.move(picture1);
    s.up(picture1);
    s.click(picture4, 10);
    s.click(picture4, 10);
    s.key(0);  // tab
    s.key(0);
    s.key(2);  // space
    s.key(1);  // enter
    write("double_click_and_keys.bin", s.bytes());
  }
  {
    Script s(m);  // a drag ended by escape, a drop on the label, a resize, a close
    s.down(picture2);
    s.move(label1);
    s.key(3);  // escape
    s.down(picture2);
    s.move(label1);
    s.up(label1);
    s.resize(300, 200);
    s.down(picture2);
    s.up(picture1);
    s.resize(663, 510);
    s.close();
    s.click(command1);
    write("escape_label_resize_close.bin", s.bytes());
  }
  {
    // The keyboard alone: the substrate picked up, moved onto the enzyme and put down;
    // the complex clicked, Reset pressed; then drags cancelled by Escape and by the
    // window losing the keyboard.
    enum : std::uint8_t { tab = 0, enter = 1, space = 2, escape = 3, down = 9, shift = 1 };
    Script s(m);
    s.key(tab);
    s.key(space);
    for (int i = 0; i < 3; ++i) s.key(down, shift);
    s.key(space);
    s.key(tab);
    s.key(space);
    s.key(enter);
    s.key(tab);
    s.key(tab);
    s.key(space);
    s.key(down, shift);
    s.key(escape);
    s.key(space);
    s.key(down, shift);
    s.focus_lost();
    s.key(enter);
    write("keyboard_demonstration.bin", s.bytes());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  const Bytes stream = form::write_form_stream(app::form1_model(tiny_pictures()));
  const Bytes no_pictures = form::write_form_stream(app::form1_model({}));
  g_dir = root + "/form_stream";
  stream_seeds(stream, no_pictures);
  g_dir = root + "/bitmap";
  bitmap_seeds();
  g_dir = root + "/project_image";
  image_seeds(stream);
  g_dir = root + "/input_sequence";
  input_seeds();
  return 0;
}
