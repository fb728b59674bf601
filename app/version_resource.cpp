#include "app/version_resource.h"

#include <string_view>
#include <utility>

#include "app/image_writer.h"

namespace morvane::app {
namespace {

// A version block: u16 length, u16 value length, u16 type (1 text, 0 binary), the
// key in UTF-16 with its NUL, padding to 32 bits, the value, padding, the children.
// Offsets are relative to the resource's start, so a writer based at 0 pads right.
class Block {
 public:
  Block(ImageWriter& w, std::u16string_view key, std::uint16_t type) : w_(w), start_(w.here()) {
    w_.u16(0);                 // length, patched in close()
    value_len_at_ = w_.here();
    w_.u16(0);
    w_.u16(type);
    w_.utf16(key);
    w_.u16(0);
    w_.align(4);
  }
  void value_length(std::uint16_t n) { w_.patch_u16(value_len_at_, n); }
  void close() {
    w_.patch_u16(start_, static_cast<std::uint16_t>(w_.here() - start_));
    w_.align(4);
  }

 private:
  ImageWriter& w_;
  std::uint32_t start_;
  std::uint32_t value_len_at_;
};

}  // namespace

std::vector<std::uint8_t> version_resource_bytes() {
  ImageWriter w(0);
  Block root(w, u"VS_VERSION_INFO", 0);
  // Fixed part, 52 bytes.
  const std::uint32_t fixed_start = w.here();
  w.u32(0xFEEF04BD);  // signature
  w.u32(0x00010000);  // structure version
  w.u32(0x00010000);  // file version 1.0
  w.u32(0x00000000);  //              .0.0
  w.u32(0x00010000);  // product version 1.0
  w.u32(0x00000000);  //                 .0.0
  w.u32(0);           // flags mask
  w.u32(0);           // flags
  w.u32(0x00000004);  // operating system: 32-bit Windows
  w.u32(1);           // file type: application
  w.u32(0);           // subtype
  w.u32(0);           // date, high
  w.u32(0);           // date, low
  root.value_length(static_cast<std::uint16_t>(w.here() - fixed_start));
  w.align(4);

  Block string_info(w, u"StringFileInfo", 1);
  Block table(w, u"040904B0", 1);
  const std::pair<std::u16string_view, std::u16string_view> strings[] = {
      {u"ProductName", u"morvane"}, {u"FileVersion", u"1.00"},          {u"ProductVersion", u"1.00"},
      {u"InternalName", u"morvane"}, {u"OriginalFilename", u"morvane.exe"},
  };
  for (const auto& [key, value] : strings) {
    Block s(w, key, 1);
    w.utf16(value);
    w.u16(0);
    s.value_length(static_cast<std::uint16_t>(value.size() + 1));  // in characters, with the NUL
    s.close();
  }
  table.close();
  string_info.close();

  Block var_info(w, u"VarFileInfo", 1);
  Block translation(w, u"Translation", 0);
  w.u16(0x0409);
  w.u16(0x04B0);
  translation.value_length(4);
  translation.close();
  var_info.close();
  root.close();
  return w.take();
}

}  // namespace morvane::app
