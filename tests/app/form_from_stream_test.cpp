// The window the runtime loads comes from the stream the executable carries, and that
// stream holds exactly the window's model with the committed pictures.
#include <gtest/gtest.h>

#include <vector>

#include "app/project.h"
#include "app/project_image_builder.h"
#include "assets/pictures.h"
#include "form/form_stream_reader.h"
#include "form/form_stream_writer.h"
#include "app/form1_model.h"
#include "form/window_model.h"
#include "runtime/core/controls/form_loader.h"
#include "runtime/core/objects/runtime_error.h"

namespace {

using namespace morvane;

std::vector<std::uint8_t> bytes(std::span<const std::uint8_t> s) { return {s.begin(), s.end()}; }

TEST(FormFromStream, EmbeddedStreamHoldsTheWindowModel) {
  const auto image = app::embedded_image();
  const auto project = runtime::read_project(image, app::kDescriptorAddress);
  const auto stream = runtime::form_stream(image, project);
  EXPECT_EQ(stream.size(), 497718u);
  const app::Form1Pictures pictures{bytes(assets::enzyme_bmp), bytes(assets::substrate_bmp), bytes(assets::product_bmp),
                                bytes(assets::complex_bmp)};
  EXPECT_TRUE(form::read_form_stream(stream) == app::form1_model(pictures));
}

TEST(FormFromStream, LoadedControlsCarryTheStreamsSettings) {
  runtime::Runtime rt(app::enzyme_project());
  auto& f = rt.form();
  ASSERT_EQ(f.controls().size(), 6u);
  const char* order[] = {"Command1", "Picture4", "Picture3", "Picture2", "Picture1", "Label1"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(f.controls()[static_cast<std::size_t>(i)]->name(), order[i]);
    EXPECT_EQ(f.controls()[static_cast<std::size_t>(i)]->number(), i + 1);
  }
  const auto& p2 = *f.find("Picture2");
  EXPECT_TRUE(p2.automatic_drag());
  EXPECT_EQ(p2.tag(), u"substrate");
  EXPECT_EQ(p2.back_color(), 0x80000014u);
  EXPECT_EQ(p2.pixel_rect(), (runtime::PixelRect{192, 64, 209, 201}));
  ASSERT_TRUE(p2.picture());
  EXPECT_EQ(p2.picture()->width(), 203);
  EXPECT_TRUE(p2.picture()->in_place()) << "read from the image's stream where it lies";
  EXPECT_FALSE(f.find("Picture3")->visible());
  EXPECT_FALSE(f.find("Picture4")->visible());
  EXPECT_TRUE(f.find("Picture1")->visible());
  EXPECT_EQ(f.find("Picture1")->back_color(), 0x8000000Fu) << "the kind's default";
  EXPECT_FALSE(f.find("Picture1")->automatic_drag());
  EXPECT_EQ(f.find("Label1")->font().pixel_size(), 21);
  EXPECT_EQ(f.find("Command1")->font().pixel_size(), 19);
  EXPECT_EQ(f.find("Command1")->tab_index(), 5);
  EXPECT_EQ(f.find("Label1")->tab_index(), 0);
}

// Pictures are shown in place only from bytes that outlive the form: those of the image's
// stream. A model that holds its own pictures, or one read from bytes the loader is not
// told will last, gets decoded copies. Either way every row reads the same.
TEST(FormFromStream, PicturesAreShownInPlaceOnlyFromLastingBytes) {
  const auto image = app::embedded_image();
  const auto project = runtime::read_project(image, app::kDescriptorAddress);
  const form::WindowModel read = form::read_form_stream(runtime::form_stream(image, project));
  const app::Form1Pictures pictures{bytes(assets::enzyme_bmp), bytes(assets::substrate_bmp), bytes(assets::product_bmp),
                                bytes(assets::complex_bmp)};
  const form::WindowModel held = app::form1_model(pictures);

  const auto in_place = runtime::load_form(read, project, image.bytes);
  const auto not_lasting = runtime::load_form(read, project);
  const auto own = runtime::load_form(held, project, image.bytes);
  std::vector<std::uint32_t> a(203), b(203), c(203);
  for (const char* name : {"Picture1", "Picture2", "Picture3", "Picture4"}) {
    const auto& p = in_place->find(name)->picture();
    const auto& q = not_lasting->find(name)->picture();
    const auto& r = own->find(name)->picture();
    ASSERT_TRUE(p && q && r) << name;
    EXPECT_TRUE(p->in_place()) << name;
    EXPECT_FALSE(q->in_place()) << name;
    EXPECT_FALSE(r->in_place()) << name;
    for (int y = 0; y < 203; ++y) {
      p->read_row(y, 0, 203, a.data());
      q->read_row(y, 0, 203, b.data());
      r->read_row(y, 0, 203, c.data());
      ASSERT_EQ(a, b) << name << " row " << y;
      ASSERT_EQ(a, c) << name << " row " << y;
    }
  }
}

// A property added in one row of a table of its own goes through the stream, the loader
// and access by name; the program's table does not know its code.
TEST(FormFromStream, APropertyOfItsOwnRowIsWrittenReadAndReachedByName) {
  const form::KindEntry picture_box{.kind = formats::ControlKind::picture_box, .code = 0x30,
                                    .default_value = form::PropertyValue{std::int16_t{7}}, .by_name = true};
  const form::PropertyTable table = form::form_properties().with(
      {{.field = "glow", .name = "glow", .encoding = form::Encoding::int16, .kinds = {picture_box},
        .by_name = form::ByName::integer, .members = {u"Glow"}, .least = -100, .most = 100}});
  form::WindowModel model = app::form1_model({});
  model.controls[1].properties.set("glow", std::int16_t{-42});  // Picture4
  model.controls[2].properties.set("glow", std::int16_t{7});    // Picture3: the default, left out
  const std::vector<std::uint8_t> stream = form::write_form_stream(model, table);
  EXPECT_THROW(form::read_form_stream(stream), form::FormStreamError) << "code 0x30 is no picture box property";
  form::FormStreamRecords records;
  const form::WindowModel read = form::read_form_stream(stream, records, table);
  EXPECT_EQ(read.controls[1].properties.get<std::int16_t>("glow"), -42);
  EXPECT_FALSE(read.controls[2].properties.has("glow"));

  const auto image = app::embedded_image();
  const auto form = runtime::load_form(read, runtime::read_project(image, app::kDescriptorAddress), stream, table);
  runtime::Control& picture4 = *form->find("Picture4");
  EXPECT_EQ(picture4.get_member(u"GLOW").as_number(), -42);
  EXPECT_EQ(form->find("Picture3")->get_member(u"Glow").as_number(), 7) << "the row's default";
  picture4.set_member(u"glow", runtime::Variant::from_integer(12));
  EXPECT_EQ(picture4.property(*table.field("glow")), form::PropertyValue{std::int16_t{12}});
  EXPECT_THROW(picture4.set_member(u"Glow", runtime::Variant::from_integer(101)), runtime::RuntimeError);
  EXPECT_THROW(form->find("Label1")->get_member(u"Glow"), runtime::RuntimeError) << "a label has no glow";
}

// A stream that breaks the layout stops the start with the reader's error.
TEST(FormFromStream, BrokenStreamStopsTheStart) {
  const auto original = app::embedded_image();
  const auto project = runtime::read_project(original, app::kDescriptorAddress);
  std::vector<std::uint8_t> copy(original.bytes.begin(), original.bytes.end());
  copy[project.stream_address - original.base + 1] = 0xCD;  // the second magic byte
  try {
    runtime::Runtime rt(app::enzyme_project({copy, original.base}));
    FAIL() << "started from a broken stream";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("offset 1"), std::string::npos) << e.what();
  }
}

}  // namespace
