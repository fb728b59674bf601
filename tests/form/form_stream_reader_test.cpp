// Reading Form1's stream back: round trips, the decoded values that the format makes easy
// to get wrong, and streams that break the format in one place each.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "form/form_stream_reader.h"
#include "form/form_stream_writer.h"
#include "form/property_table.h"
#include "form_test_support.h"

namespace morvane::form {
namespace {

using test::get_u32;
using test::put_u16;
using test::put_u32;

// Offsets in Form1's stream with pictures of 124,290 bytes.
constexpr std::size_t form_length_at = 89;
constexpr std::size_t form_kind_at = 106;
constexpr std::size_t form_setting_23_at = 140;  // the code byte
constexpr std::size_t child_list_at = 174;
constexpr std::size_t command1_at = 175;
constexpr std::size_t command1_font_at = 214;    // the font's version byte
constexpr std::size_t picture4_at = 240;
constexpr std::size_t picture4_picture_at = 258; // the picture's outer length
constexpr std::size_t picture3_at = 124581;
constexpr std::size_t picture2_at = 248922;
constexpr std::size_t picture2_tag_at = 373268;  // the code byte
constexpr std::size_t picture1_at = 373291;
constexpr std::size_t label1_at = 497630;
constexpr std::size_t stream_size = 497718;

class Form1Read : public ::testing::Test {
 protected:
  WindowModel model = app::form1_model(test::synthetic_pictures());
  std::vector<std::uint8_t> stream = write_form_stream(model);
};

TEST_F(Form1Read, RoundTripsModelAndStream) {
  ASSERT_EQ(stream.size(), stream_size);
  FormStreamRecords records;
  const WindowModel read = read_form_stream(stream, records);
  EXPECT_EQ(read, model);
  EXPECT_EQ(write_form_stream(read), stream);

  EXPECT_EQ(records.form.offset, form_length_at);
  EXPECT_EQ(records.form.length, 497629u);
  std::vector<std::size_t> offsets;
  std::vector<std::uint32_t> lengths;
  for (const auto& r : records.controls) {
    offsets.push_back(r.offset);
    lengths.push_back(r.length);
  }
  EXPECT_EQ(offsets, (std::vector<std::size_t>{command1_at, picture4_at, picture3_at, picture2_at, picture1_at,
                                               label1_at}));
  EXPECT_EQ(lengths, (std::vector<std::uint32_t>{64, 124340, 124340, 124368, 124338, 86}));
}

TEST_F(Form1Read, DecodesTheForm) {
  const WindowModel read = read_form_stream(stream);
  const FormSettings& f = read.form;
  EXPECT_EQ(f.name, "Form1");
  EXPECT_EQ(f.header_version, 6);
  EXPECT_EQ(f.header_ids[0].to_string(), "{9CAA7CE9-B2A8-4D9F-9289-1D44A051B2E5}");
  EXPECT_EQ(f.header_ids[1].to_string(), "{773ABDB0-3B1B-4EBB-8028-71B8E10809A3}");
  EXPECT_EQ(f.header_ids[2].to_string(), "{33AD4F3A-6699-11CF-B70C-00AA0060D393}");
  EXPECT_EQ(f.record_bytes, (std::array<std::uint8_t, 5>{0x51, 0, 0, 0, 0}));
  EXPECT_EQ(f.properties.get<std::string>("caption"), "What Do Enzymes Do?");
  EXPECT_EQ(f.properties.get<std::uint32_t>("back_color"), 0x80000007u);
  EXPECT_EQ(f.properties.get<std::uint32_t>("flags"), 0x00420001u);
  EXPECT_EQ(f.properties.get<std::uint32_t>("setting_23"), 0xFFFFFFFFu);
  EXPECT_EQ(f.properties.get<std::string>("link_topic"), "Form1");
  EXPECT_EQ(f.properties.get<Rect>("client_area"), (Rect{60, 450, 9945, 7650}));
  EXPECT_EQ(f.properties.get<std::uint8_t>("startup_position"), 3);
}

TEST_F(Form1Read, KeepsControlNumbersAndTabIndicesApart) {
  const WindowModel read = read_form_stream(stream);
  ASSERT_EQ(read.controls.size(), 6u);
  const char* names[] = {"Command1", "Picture4", "Picture3", "Picture2", "Picture1", "Label1"};
  const ControlKind kinds[] = {ControlKind::command_button, ControlKind::picture_box, ControlKind::picture_box,
                               ControlKind::picture_box,    ControlKind::picture_box, ControlKind::label};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(read.controls[i].number, i + 1);
    EXPECT_EQ(read.controls[i].properties.get<std::int16_t>("tab_index"), static_cast<std::int16_t>(5 - i));
    EXPECT_EQ(read.controls[i].name, names[i]);
    EXPECT_EQ(read.controls[i].kind, kinds[i]);
  }
  // A stream whose tab indices run the same way as the numbers reads just as well.
  WindowModel same_way = model;
  for (std::size_t i = 0; i < 6; ++i) same_way.controls[i].properties.set("tab_index", static_cast<std::int16_t>(i + 1));
  EXPECT_EQ(read_form_stream(write_form_stream(same_way)), same_way);
}

TEST_F(Form1Read, DecodesThePictureBoxes) {
  const WindowModel read = read_form_stream(stream);
  const ControlRecord& picture4 = read.controls[1];
  const ControlRecord& picture2 = read.controls[3];
  const ControlRecord& picture1 = read.controls[4];
  // Visible unless code 0x0A says 0.
  EXPECT_FALSE(picture1.properties.has("visible"));
  EXPECT_TRUE(starts_visible(picture1));
  EXPECT_EQ(picture4.properties.get<std::uint8_t>("visible"), 0);
  EXPECT_FALSE(starts_visible(picture4));
  EXPECT_TRUE(starts_visible(picture2));
  // The tag is 9 UTF-16 units with nothing after it but the record's closing 0xFF.
  EXPECT_EQ(picture2.properties.get<std::u16string>("tag"), u"substrate");
  EXPECT_EQ(stream[picture2_tag_at + 3 + 18], 0xFF);
  EXPECT_EQ(picture2_tag_at + 3 + 18 + 1, picture1_at - 1);  // then the 0x03 before Picture1
  EXPECT_EQ(picture2.properties.get<std::uint32_t>("back_color"), 0x80000014u);
  EXPECT_EQ(picture2.properties.get<std::uint8_t>("drag_mode"), 1);
  EXPECT_EQ(picture2.properties.get<std::uint8_t>("setting_2a"), 1);
  EXPECT_EQ(picture2.properties.get<std::uint32_t>("flags"), 0x00420001u);
  EXPECT_FALSE(picture1.properties.has("drag_mode"));
  EXPECT_FALSE(picture1.properties.has("tag"));
  EXPECT_EQ(picture1.properties.get<PictureBytes>("picture"), model.controls[4].properties.get<PictureBytes>("picture"));
  EXPECT_EQ(picture2.properties.get<Rect>("bounds"), (Rect{2880, 960, 3135, 3015}));
}

TEST_F(Form1Read, SkippingAPictureByItsLengthLandsOnTheNextCode) {
  ASSERT_EQ(stream[picture4_picture_at - 1], 0x03);
  const std::uint32_t outer = get_u32(stream, picture4_picture_at);
  EXPECT_EQ(outer, 124298u);
  EXPECT_EQ(stream[picture4_picture_at + 4 + outer], 0x05);
  // The image data starts right after the signature and its length: the bitmap's "BM".
  EXPECT_EQ(stream[picture4_picture_at + 12], 'B');
  EXPECT_EQ(stream[picture4_picture_at + 13], 'M');
}

// The model read from a stream views each picture's image data where it lies in the
// stream (no copy); held() gives bytes that stand alone, and a model built from pictures
// holds its own.
TEST_F(Form1Read, PicturesViewTheStreamUntilHeld) {
  const WindowModel read = read_form_stream(stream);
  const PictureBytes viewed = *read.controls[1].properties.get<PictureBytes>("picture");
  ASSERT_TRUE(viewed.is_view());
  EXPECT_EQ(viewed.bytes().data(), stream.data() + picture4_picture_at + 12);
  EXPECT_EQ(viewed.size(), 124290u);

  const PictureBytes held = viewed.held();
  EXPECT_FALSE(held.is_view());
  EXPECT_NE(held.bytes().data(), viewed.bytes().data());
  EXPECT_EQ(held, viewed);
  stream[picture4_picture_at + 12 + 100] ^= 0xFF;  // the view sees the change, the copy does not
  EXPECT_NE(held, viewed);
  EXPECT_EQ(held, *model.controls[1].properties.get<PictureBytes>("picture"));
  EXPECT_FALSE(model.controls[1].properties.get<PictureBytes>("picture")->is_view());
}

TEST(FormStreamRead, RoundTripsExtremeValues) {
  WindowModel m = app::form1_model(test::synthetic_pictures(1, 1));
  m.controls[0].properties.set("caption", std::string(65535, 'x'));
  m.controls[0].properties.set("bounds", Rect{-32768, 32767, 0, -1});
  m.controls[3].properties.set("tag", std::u16string(65535, u'\xD83D'));
  m.controls[5].properties.edit<Font>("font")->name = std::string(255, 'z');
  m.controls[5].properties.set("caption", std::string());
  m.controls[4].properties.set("picture", PictureBytes{});  // an empty picture is still a picture
  m.form.properties.set("client_area", Rect{-2147483647 - 1, 2147483647, 0, -1});
  m.form.properties.erase("caption");
  m.form.properties.erase("link_topic");
  const auto stream = write_form_stream(m);
  EXPECT_EQ(read_form_stream(stream), m);
}

// One byte or field spoiled in Form1's stream; each must be refused at the given offset.
struct Corruption {
  const char* what;
  std::function<void(std::vector<std::uint8_t>&)> spoil;
  std::size_t offset;
  const char* message_part;
};

// Removes n bytes at `at` and shortens the lengths of the control record at `record`
// and of the form record to match, so that the reader sees a well-framed record.
void erase_in_record(std::vector<std::uint8_t>& s, std::size_t record, std::size_t at, std::size_t n) {
  s.erase(s.begin() + static_cast<std::ptrdiff_t>(at), s.begin() + static_cast<std::ptrdiff_t>(at + n));
  put_u32(s, record, get_u32(s, record) - static_cast<std::uint32_t>(n));
  put_u32(s, form_length_at, get_u32(s, form_length_at) - static_cast<std::uint32_t>(n));
}

TEST_F(Form1Read, RefusesEachCorruptionAtItsOffset) {
  const std::vector<Corruption> cases = {
      {"first magic byte", [](auto& s) { s[0] = 0xFE; }, 0, "header byte 0xFF"},
      {"second magic byte", [](auto& s) { s[1] = 0xCD; }, 1, "header byte 0xCC"},
      {"header length", [](auto& s) { put_u16(s, 2, 48); }, 2, "header length 49"},
      {"padding not zero", [](auto& s) { s[70] = 1; }, 70, "36 zero bytes"},
      {"form length one short", [](auto& s) { put_u32(s, 89, 497628); }, 89, "reach the end of the stream (497629)"},
      {"form length one long", [](auto& s) { put_u32(s, 89, 497630); }, 89, "found 497630"},
      {"form name NUL", [](auto& s) { s[105] = 'x'; }, 105, "NUL closing the form's name"},
      {"form kind", [](auto& s) { s[form_kind_at] = 0x00; }, form_kind_at, "form kind 0x0D"},
      {"unknown form code", [](auto& s) { s[form_setting_23_at] = 0x22; }, form_setting_23_at, "unknown code 0x22"},
      {"form codes not rising", [](auto& s) { s[form_setting_23_at] = 0x03; }, form_setting_23_at,
       "above 0x19"},
      {"form flag word missing",
       [](auto& s) {
         s.erase(s.begin() + 135, s.begin() + 140);
         put_u32(s, 89, get_u32(s, 89) - 5);
       },
       168, "form flag word (code 0x19)"},
      {"child list opener", [](auto& s) { s[child_list_at] = 0x03; }, child_list_at, "0x01 opening the child list"},
      {"record length past the stream", [](auto& s) { put_u32(s, command1_at, 0xFFFFFFF0); }, command1_at,
       "stay within the stream"},
      {"record length below the minimum", [](auto& s) { put_u32(s, command1_at, 9); }, command1_at, "at least 10"},
      {"record length one short", [](auto& s) { put_u32(s, command1_at, 63); }, 238,
       "found the end of control record 1"},
      {"record length one long", [](auto& s) { put_u32(s, command1_at, 65); }, 238, "record's last byte"},
      {"control number", [](auto& s) { s[179] = 2; }, 179, "control number 1"},
      {"control number of the fifth record", [](auto& s) { s[picture1_at + 4] = 6; }, picture1_at + 4,
       "control number 5"},
      {"unknown control kind", [](auto& s) { s[191] = 0x02; }, 191, "a control kind"},
      {"form kind as a control", [](auto& s) { s[191] = 0x0D; }, 191, "a control kind"},
      {"code of another kind", [](auto& s) { s[213] = 0x25; }, 213, "unknown code 0x25"},
      {"caption overruns the record", [](auto& s) { put_u16(s, 193, 0xFFFF); }, 195,
       "65535 bytes of the caption of control record 1"},
      {"font version", [](auto& s) { s[command1_font_at] = 2; }, command1_font_at, "font version 1"},
      {"font name overruns the record", [](auto& s) { s[224] = 15; }, 225, "15 bytes of the name"},
      {"tab index missing", [](auto& s) { erase_in_record(s, command1_at, 210, 3); }, 235,
       "tab index (code 0x11)"},
      {"separator", [](auto& s) { s[239] = 0x05; }, 239, "0x03 (another control record) or 0x02"},
      {"picture length past the record", [](auto& s) { put_u32(s, picture4_picture_at, 124340); },
       picture4_picture_at, "stay within control record 2"},
      {"picture length below 8", [](auto& s) { put_u32(s, picture4_picture_at, 7); }, picture4_picture_at,
       "at least 8"},
      {"picture signature", [](auto& s) { s[picture4_picture_at + 4] = 'L'; }, picture4_picture_at + 4,
       "signature 0x0000746C"},
      {"picture inner length", [](auto& s) { put_u32(s, picture4_picture_at + 8, 124291); }, picture4_picture_at + 8,
       "agree with its outer length (124290)"},
      {"picture lengths both shorter",
       [](auto& s) {
         put_u32(s, picture4_picture_at, 124297);
         put_u32(s, picture4_picture_at + 8, 124289);
       },
       picture4_picture_at + 4 + 124297, "a picture box property code"},
      {"tag overruns the record", [](auto& s) { put_u16(s, picture2_tag_at + 1, 10); }, picture2_tag_at + 3,
       "10 UTF-16 units of the tag"},
      {"picture box flag word missing", [](auto& s) { erase_in_record(s, picture4_at, 124574, 5); }, 124574,
       "picture box flag word (code 0x1A)"},
      {"list end", [](auto& s) { s[stream_size - 2] = 0x05; }, stream_size - 2, "0x03 (another control record)"},
      {"closing 0x04", [](auto& s) { s[stream_size - 1] = 0x05; }, stream_size - 1, "0x04 closing the stream"},
      {"trailing bytes",
       [](auto& s) {
         s.insert(s.end(), {0, 0, 0});
         put_u32(s, 89, get_u32(s, 89) + 3);
       },
       stream_size, "found 3 more bytes"},
      {"bytes appended without the length", [](auto& s) { s.push_back(0); }, 89, "found 497629"},
  };
  for (const Corruption& c : cases) {
    std::vector<std::uint8_t> bad = stream;
    c.spoil(bad);
    bad.shrink_to_fit();
    try {
      read_form_stream(bad);
      ADD_FAILURE() << c.what << ": read without complaint";
    } catch (const FormStreamError& e) {
      EXPECT_EQ(e.offset(), c.offset) << c.what << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos) << c.what << ": " << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("offset " + std::to_string(c.offset) + ": expected ", 0), 0u)
          << e.what();
    }
  }
}

// Where a stream cut short at `size` is refused when its form record length is left as
// it was (the length no longer reaches the end) and when it is made to reach the new end.
struct Truncation {
  std::size_t size;
  std::size_t offset_as_cut;
  std::size_t offset_with_length_fixed;
};

TEST_F(Form1Read, RefusesTruncationsAtRecordBoundaries) {
  const Truncation cases[] = {
      {0, 0, 0},
      {1, 1, 1},
      {3, 2, 2},
      {4, 4, 4},
      {20, 5, 5},
      {53, 53, 53},
      {89, 89, 89},
      {92, 89, 89},
      {93, 89, 93},
      {form_kind_at, 89, form_kind_at},
      {child_list_at, 89, child_list_at},
      {command1_at, 89, command1_at},
      {command1_at + 30, 89, command1_at},
      {picture4_at - 1, 89, picture4_at - 1},
      {picture4_at, 89, picture4_at},
      {picture4_picture_at + 100, 89, picture4_at},
      {picture3_at - 1, 89, picture3_at - 1},
      {picture3_at, 89, picture3_at},
      {picture2_at, 89, picture2_at},
      {picture1_at, 89, picture1_at},
      {label1_at, 89, label1_at},
      {label1_at + 85, 89, label1_at},
      {stream_size - 2, 89, stream_size - 2},
      {stream_size - 1, 89, stream_size - 1},
  };
  for (const Truncation& t : cases) {
    std::vector<std::uint8_t> cut(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(t.size));
    try {
      read_form_stream(cut);
      ADD_FAILURE() << "cut at " << t.size << ": read without complaint";
    } catch (const FormStreamError& e) {
      EXPECT_EQ(e.offset(), t.offset_as_cut) << e.what();
    }
    if (t.size < 93) continue;
    put_u32(cut, form_length_at, static_cast<std::uint32_t>(t.size - form_length_at));
    try {
      read_form_stream(cut);
      ADD_FAILURE() << "cut at " << t.size << " with its length fixed: read without complaint";
    } catch (const FormStreamError& e) {
      EXPECT_EQ(e.offset(), t.offset_with_length_fixed) << e.what();
    }
  }
}

// Every cut and many single-byte changes of a small stream: each is read or refused with
// a FormStreamError at an offset inside the stream; nothing else may happen (run it under
// the address and undefined-behaviour sanitizers too).
TEST(FormStreamRead, SurvivesEveryCutAndByteChange) {
  const auto stream = write_form_stream(app::form1_model(test::synthetic_pictures(3, 2)));
  ASSERT_LT(stream.size(), 2000u);
  for (std::size_t n = 0; n < stream.size(); ++n) {
    std::vector<std::uint8_t> cut(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(read_form_stream(cut), FormStreamError) << "cut at " << n;
    if (n >= 93) {
      put_u32(cut, form_length_at, static_cast<std::uint32_t>(n - form_length_at));
      EXPECT_THROW(read_form_stream(cut), FormStreamError) << "cut at " << n << " with its length fixed";
    }
  }
  for (std::size_t i = 0; i < stream.size(); ++i) {
    for (std::uint8_t v : {std::uint8_t{0x00}, std::uint8_t{0xFF}, static_cast<std::uint8_t>(stream[i] ^ 0x01),
                           static_cast<std::uint8_t>(stream[i] + 0x80)}) {
      if (v == stream[i]) continue;
      std::vector<std::uint8_t> changed = stream;
      changed[i] = v;
      try {
        // A change inside a picture, a string or a value reads as another window.
        EXPECT_EQ(read_form_stream(changed).controls.size(), 6u) << "byte " << i;
      } catch (const FormStreamError& e) {
        EXPECT_LT(e.offset(), changed.size()) << e.what();
      }
    }
  }
}

}  // namespace
}  // namespace morvane::form
