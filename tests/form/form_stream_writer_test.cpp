// The stream laid out for Form1, compared byte for byte with the layout written out by
// hand from the code tables, and the models the writer must refuse.
#include <gtest/gtest.h>

#include <initializer_list>
#include <stdexcept>
#include <string_view>

#include "form/form_stream_writer.h"
#include "form_test_support.h"

namespace morvane::form {
namespace {

using test::get_u32;

// Little-endian expected bytes, written independently of the writer.
struct Bytes {
  std::vector<std::uint8_t> b;
  Bytes& u8(std::initializer_list<int> v) {
    for (int x : v) b.push_back(static_cast<std::uint8_t>(x));
    return *this;
  }
  Bytes& u16(std::uint32_t v) { return u8({int(v & 0xFF), int(v >> 8 & 0xFF)}); }
  Bytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Bytes& text(std::string_view s) {
    for (char c : s) b.push_back(static_cast<std::uint8_t>(c));
    return *this;
  }
  Bytes& narrow(std::string_view s) { return u16(static_cast<std::uint32_t>(s.size())).text(s).u8({0}); }
  Bytes& rect16(int l, int t, int w, int h) { return u16(l).u16(t).u16(w).u16(h); }
  Bytes& font(std::uint32_t size) { return u8({1}).u16(0).u8({0}).u16(400).u32(size).u8({13}).text("Comic Sans MS"); }
  Bytes& picture(const std::vector<std::uint8_t>& data) {
    u32(static_cast<std::uint32_t>(data.size() + 8)).u32(0x746C).u32(static_cast<std::uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    return *this;
  }
  Bytes& append(const Bytes& other) {
    b.insert(b.end(), other.b.begin(), other.b.end());
    return *this;
  }
  // A control record: the length in front of number, name, kind and properties.
  static Bytes record(int number, std::string_view name, int kind, const Bytes& properties) {
    Bytes body;
    body.u8({number}).narrow(name).u8({kind}).append(properties).u8({0xFF});
    Bytes r;
    r.u32(static_cast<std::uint32_t>(body.b.size() + 4)).append(body);
    return r;
  }
};

Bytes picture_box(int number, std::string_view name, const std::vector<std::uint8_t>& picture, Bytes before_picture,
                  Bytes after_picture) {
  Bytes props = before_picture;
  props.u8({0x03}).picture(picture).append(after_picture);
  return Bytes::record(number, name, 0x00, props);
}

class Form1Stream : public ::testing::Test {
 protected:
  app::Form1Pictures pictures = test::synthetic_pictures();
  std::vector<std::uint8_t> stream = write_form_stream(app::form1_model(pictures));
};

TEST_F(Form1Stream, MatchesTheLayoutByteForByte) {
  Bytes e;
  e.u8({0xFF, 0xCC}).u16(49).u8({6});
  e.u8({0xE9, 0x7C, 0xAA, 0x9C, 0xA8, 0xB2, 0x9F, 0x4D, 0x92, 0x89, 0x1D, 0x44, 0xA0, 0x51, 0xB2, 0xE5});
  e.u8({0xB0, 0xBD, 0x3A, 0x77, 0x1B, 0x3B, 0xBB, 0x4E, 0x80, 0x28, 0x71, 0xB8, 0xE1, 0x08, 0x09, 0xA3});
  e.u8({0x3A, 0x4F, 0xAD, 0x33, 0x99, 0x66, 0xCF, 0x11, 0xB7, 0x0C, 0x00, 0xAA, 0x00, 0x60, 0xD3, 0x93});
  ASSERT_EQ(e.b.size(), 53u);
  for (int i = 0; i < 36; ++i) e.u8({0});

  e.u32(497629).u8({0x51, 0, 0, 0, 0}).narrow("Form1").u8({0x0D});
  e.u8({0x01}).narrow("What Do Enzymes Do?");
  e.u8({0x03}).u32(0x80000007);
  e.u8({0x19}).u32(0x00420001);
  e.u8({0x23}).u32(0xFFFFFFFF);
  e.u8({0x24}).narrow("Form1");
  e.u8({0x35}).u32(60).u32(450).u32(9945).u32(7650);
  e.u8({0x46, 3, 0xFF});

  e.u8({0x01});
  Bytes command;
  command.u8({0x01}).narrow("Reset").u8({0x04}).rect16(7680, 1080, 1215, 495).u8({0x11}).u16(5).u8({0x1D}).font(142500);
  e.append(Bytes::record(1, "Command1", 0x04, command));
  e.u8({0x03});
  e.append(picture_box(2, "Picture4", pictures.complex, {},
                       Bytes().u8({0x05}).rect16(3240, 4080, 3855, 3495).u8({0x0A, 0}).u8({0x12}).u16(4).u8({0x1A}).u32(
                           0x00420001)));
  e.u8({0x03});
  e.append(picture_box(3, "Picture3", pictures.product, {},
                       Bytes().u8({0x05}).rect16(2640, 720, 3615, 3255).u8({0x0A, 0}).u8({0x12}).u16(3).u8({0x1A}).u32(
                           0x00420001)));
  e.u8({0x03});
  Bytes tag;
  tag.u8({0x2E}).u16(9);
  for (char c : std::string_view("substrate")) tag.u16(static_cast<std::uint8_t>(c));
  e.append(picture_box(4, "Picture2", pictures.substrate, Bytes().u8({0x01}).u32(0x80000014),
                       Bytes()
                           .u8({0x05})
                           .rect16(2880, 960, 3135, 3015)
                           .u8({0x12})
                           .u16(2)
                           .u8({0x1A})
                           .u32(0x00420001)
                           .u8({0x1C, 1, 0x2A, 1})
                           .append(tag)));
  e.u8({0x03});
  e.append(picture_box(5, "Picture1", pictures.enzyme, {},
                       Bytes().u8({0x05}).rect16(3000, 4080, 4095, 3495).u8({0x12}).u16(1).u8({0x1A}).u32(0x00420001)));
  e.u8({0x03});
  Bytes label;
  label.u8({0x01}).narrow("What Do Enzymes Do?").u8({0x03}).u32(0x80000012).u8({0x04}).u32(0x8000000E);
  label.u8({0x05}).rect16(2880, 0, 4215, 495).u8({0x12}).u16(0).u8({0x25}).font(157500);
  e.append(Bytes::record(6, "Label1", 0x01, label));
  e.u8({0x02, 0x04});

  ASSERT_EQ(stream.size(), e.b.size());
  for (std::size_t i = 0; i < stream.size(); ++i) ASSERT_EQ(stream[i], e.b[i]) << "first difference at offset " << i;
}

TEST_F(Form1Stream, HasTheRecordLengthsOfTheRealStream) {
  // The synthetic pictures have the real pictures' size, so every figure is the real one.
  ASSERT_EQ(stream.size(), 497718u);
  EXPECT_EQ(get_u32(stream, 89), 497629u);
  std::size_t at = 175;  // the first control record, after the child list's 0x01
  ASSERT_EQ(stream[at - 1], 0x01);
  std::vector<std::uint32_t> lengths;
  for (;;) {
    lengths.push_back(get_u32(stream, at));
    at += lengths.back();
    ASSERT_LT(at, stream.size());
    if (stream[at] == 0x02) break;
    ASSERT_EQ(stream[at], 0x03);
    ++at;
  }
  EXPECT_EQ(lengths, (std::vector<std::uint32_t>{64, 124340, 124340, 124368, 124338, 86}));
  EXPECT_EQ(at + 2, stream.size());
  EXPECT_EQ(stream.back(), 0x04);
}

TEST_F(Form1Stream, LeavesOutValuesThatEqualTheKindDefault) {
  WindowModel m = app::form1_model(pictures);
  ControlRecord& picture1 = m.controls[4];
  picture1.properties.set("visible", std::uint8_t{0xFF});
  picture1.properties.set("back_color", std::uint32_t{0x8000000F});
  picture1.properties.set("drag_mode", std::uint8_t{0});
  picture1.properties.set("tag", std::u16string());
  EXPECT_EQ(write_form_stream(m), stream);
}

// Each case spoils Form1's model in one way the stream cannot carry.
TEST(FormStreamWriter, RefusesModelsItCannotEncode) {
  const app::Form1Pictures pictures = test::synthetic_pictures(4, 4);
  struct Case {
    const char* what;
    void (*spoil)(WindowModel&);
    const char* message_part;
  };
  const Case cases[] = {
      {"caption over 65535 bytes", [](WindowModel& m) { m.controls[0].properties.set("caption", std::string(65536, 'x')); }, "65535"},
      {"form caption over 65535", [](WindowModel& m) { m.form.properties.set("caption", std::string(70000, 'x')); }, "65535"},
      {"tag over 65535 units", [](WindowModel& m) { m.controls[3].properties.set("tag", std::u16string(65536, u'x')); }, "65535"},
      {"font name over 255", [](WindowModel& m) { m.controls[5].properties.edit<Font>("font")->name = std::string(256, 'x'); }, "255"},
      {"font version 2", [](WindowModel& m) { m.controls[0].properties.edit<Font>("font")->version = 2; }, "font version"},
      {"rectangle beyond 16 bits", [](WindowModel& m) { m.controls[1].properties.edit<Rect>("bounds")->width = 40000; }, "16 bits"},
      {"negative rectangle beyond 16 bits", [](WindowModel& m) { m.controls[1].properties.edit<Rect>("bounds")->left = -40000; }, "16 bits"},
      {"caption on a picture box", [](WindowModel& m) { m.controls[1].properties.set("caption", std::string("x")); }, "cannot carry caption"},
      {"font on a picture box", [](WindowModel& m) { m.controls[2].properties.set("font", Font{}); }, "cannot carry font"},
      {"picture on a label", [](WindowModel& m) { m.controls[5].properties.set("picture", PictureBytes{}); },
       "cannot carry picture"},
      {"flag word on a label", [](WindowModel& m) { m.controls[5].properties.set("flags", std::uint32_t{1}); }, "cannot carry flags"},
      {"visible on a command button", [](WindowModel& m) { m.controls[0].properties.set("visible", std::uint8_t{0}); }, "cannot carry visible"},
      {"text colour on a picture box", [](WindowModel& m) { m.controls[4].properties.set("fore_color", std::uint32_t{0}); }, "cannot carry fore_color"},
      {"picture box without its flag word", [](WindowModel& m) { m.controls[4].properties.erase("flags"); }, "flag word"},
      {"control number not its place", [](WindowModel& m) { m.controls[2].number = 7; }, "not its place"},
      {"a form as a control", [](WindowModel& m) { m.controls[0].kind = ControlKind::form; }, "cannot be a control"},
      {"no controls", [](WindowModel& m) { m.controls.clear(); }, "at least one control"},
      {"256 controls", [](WindowModel& m) { m.controls.resize(256, m.controls[5]); }, "control number byte"},
  };
  for (const Case& c : cases) {
    WindowModel m = app::form1_model(pictures);
    c.spoil(m);
    try {
      write_form_stream(m);
      ADD_FAILURE() << c.what << ": laid out without complaint";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos) << c.what << ": " << e.what();
    }
  }
}

}  // namespace
}  // namespace morvane::form
