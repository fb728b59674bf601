#include "form/window_model.h"

#include "form/form1_numbers.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace morvane::form {
namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr std::uint32_t system_color(std::uint32_t index) { return 0x80000000u + index; }

}  // namespace

Guid Guid::parse(std::string_view text) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: 38 characters.
  if (text.size() != 38 || text.front() != '{' || text.back() != '}' || text[9] != '-' ||
      text[14] != '-' || text[19] != '-' || text[24] != '-')
    throw std::invalid_argument("malformed identifier: " + std::string(text));
  std::array<std::uint8_t, 16> raw{};  // in reading order
  std::size_t n = 0;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == '-') continue;
    int hi = hex_digit(text[i]);
    int lo = hex_digit(text[i + 1]);
    if (hi < 0 || lo < 0 || n >= raw.size())
      throw std::invalid_argument("malformed identifier: " + std::string(text));
    raw[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
    ++i;
  }
  if (n != raw.size()) throw std::invalid_argument("malformed identifier: " + std::string(text));
  // The first three groups are stored little-endian.
  Guid g;
  const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  for (int i = 0; i < 16; ++i) g.bytes[static_cast<std::size_t>(i)] = raw[static_cast<std::size_t>(order[i])];
  return g;
}

std::string Guid::to_string() const {
  const auto& b = bytes;
  char out[40];
  std::snprintf(out, sizeof out, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                b[3], b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                b[14], b[15]);
  return out;
}


PictureBytes PictureBytes::view(std::span<const std::uint8_t> bytes) {
  PictureBytes p;
  p.bytes_ = bytes;
  return p;
}

std::span<const std::uint8_t> PictureBytes::bytes() const {
  if (const auto* held = std::get_if<std::vector<std::uint8_t>>(&bytes_)) return *held;
  return std::get<std::span<const std::uint8_t>>(bytes_);
}

std::vector<std::uint8_t> PictureBytes::to_vector() const {
  const auto b = bytes();
  return {b.begin(), b.end()};
}

bool operator==(const PictureBytes& a, const PictureBytes& b) {
  const auto x = a.bytes(), y = b.bytes();
  return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

namespace ids {
const Guid form1 = Guid::parse("{9CAA7CE9-B2A8-4D9F-9289-1D44A051B2E5}");
const Guid form1_object = Guid::parse("{773ABDB0-3B1B-4EBB-8028-71B8E10809A3}");
const Guid form_class = Guid::parse("{33AD4F3A-6699-11CF-B70C-00AA0060D393}");
}  // namespace ids

WindowModel enzyme_window(const Pictures& pictures) {
  auto picture = [](const std::vector<std::uint8_t>& bytes) -> std::optional<PictureBytes> {
    if (bytes.empty()) return std::nullopt;
    return PictureBytes(bytes);
  };
  const Font comic_button{1, 0, 0, 400, 142500, "Comic Sans MS"};
  const Font comic_label{1, 0, 0, 400, 157500, "Comic Sans MS"};

  WindowModel m;
  m.form.name = "Form1";
  m.form.header_version = 6;
  m.form.header_ids = {ids::form1, ids::form1_object, ids::form_class};
  m.form.record_bytes = {0x51, 0x00, 0x00, 0x00, 0x00};
  m.form.caption = "What Do Enzymes Do?";
  m.form.back_color = system_color(7);
  m.form.flags = 0x00420001;
  m.form.setting_23 = 0xFFFFFFFFu;
  m.form.link_topic = "Form1";
  m.form.client_area = Rect{60, 450, 9945, 7650};
  m.form.startup_position = 3;

  ControlRecord command1;
  command1.number = form1::command1;
  command1.name = "Command1";
  command1.kind = ControlKind::command_button;
  command1.caption = "Reset";
  command1.bounds = Rect{7680, 1080, 1215, 495};
  command1.tab_index = 5;
  command1.font = comic_button;

  auto picture_box = [](std::uint16_t number, std::string name, Rect bounds, std::int16_t tab) {
    ControlRecord r;
    r.number = static_cast<std::uint8_t>(number);
    r.name = std::move(name);
    r.kind = ControlKind::picture_box;
    r.bounds = bounds;
    r.tab_index = tab;
    r.flags = 0x00420001;
    return r;
  };
  ControlRecord picture4 = picture_box(form1::picture4, "Picture4", {3240, 4080, 3855, 3495}, 4);
  picture4.picture = picture(pictures.complex);
  picture4.visible = false;
  ControlRecord picture3 = picture_box(form1::picture3, "Picture3", {2640, 720, 3615, 3255}, 3);
  picture3.picture = picture(pictures.product);
  picture3.visible = false;
  ControlRecord picture2 = picture_box(form1::picture2, "Picture2", {2880, 960, 3135, 3015}, 2);
  picture2.back_color = system_color(20);
  picture2.picture = picture(pictures.substrate);
  picture2.drag_mode = 1;
  picture2.setting_2a = 1;
  picture2.tag = u"substrate";
  ControlRecord picture1 = picture_box(form1::picture1, "Picture1", {3000, 4080, 4095, 3495}, 1);
  picture1.picture = picture(pictures.enzyme);

  ControlRecord label1;
  label1.number = form1::label1;
  label1.name = "Label1";
  label1.kind = ControlKind::label;
  label1.caption = "What Do Enzymes Do?";
  label1.back_color = system_color(18);
  label1.fore_color = system_color(14);
  label1.bounds = Rect{2880, 0, 4215, 495};
  label1.tab_index = 0;
  label1.font = comic_label;

  m.controls = {command1, picture4, picture3, picture2, picture1, label1};
  return m;
}

}  // namespace morvane::form
