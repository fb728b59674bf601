// The window the runtime loads comes from the stream the executable carries, and that
// stream holds exactly the window's model with the committed pictures; in every language.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define MORVANE_TEST_ICONV 1
#endif

#include "app/language_projects.h"
#include "app/project.h"
#include "app/tools/message_catalogue.h"
#include "formats/image_layout.h"
#include "formats/languages.h"
#include "formats/words_file.h"
#include "runtime/core/project/byte_reader.h"
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

std::string read_source(const std::string& path) {
  std::ifstream in(std::string(MORVANE_SOURCE_DIR) + "/" + path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> source_bytes(const std::string& path) {
  const std::string text = read_source(path);
  return {text.begin(), text.end()};
}

// The stored text back in UTF-8, by the system's own conversion rather than the build's.
std::optional<std::string> to_utf8(const std::string& stored, std::uint16_t code_page) {
  if (code_page == 65001) return stored;
#ifdef MORVANE_TEST_ICONV
  iconv_t cd = iconv_open("UTF-8", ("CP" + std::to_string(code_page)).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1) && code_page == 936) cd = iconv_open("UTF-8", "GBK");  // musl's name
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in = stored, out(4 * stored.size() + 4, '\0');
  char* in_at = in.data();
  char* out_at = out.data();
  std::size_t in_left = in.size(), out_left = out.size();
  const std::size_t r = iconv(cd, &in_at, &in_left, &out_at, &out_left);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1)) return "(not text in code page " + std::to_string(code_page) + ")";
  out.resize(out.size() - out_left);
  return out;
#else
  return std::nullopt;
#endif
}

// Each language's project: its locale in the descriptor and the object table, its words
// from its catalogue, and its stream Form1's declaration with its own pictures and with
// its catalogue's captions in its code page, in fonts of its character set, at sizes of
// whole pixels no smaller than two thirds of the English ones. English's is the
// declaration itself.
TEST(FormFromStream, EachLanguagesProjectIsTheDeclarationInItsLanguage) {
  const auto projects = app::language_projects();
  ASSERT_EQ(projects.size(), formats::languages.size());
  bool decoded_all = true;
  for (std::size_t i = 0; i < projects.size(); ++i) {
    const app::LanguageProject& lp = projects[i];
    const formats::Language& row = formats::languages[i];
    SCOPED_TRACE(std::string(row.tag));
    ASSERT_EQ(lp.tag, row.tag);
    EXPECT_EQ(app::enzyme_project(row.tag).image.bytes.data(), lp.image.bytes.data());
    EXPECT_EQ(app::enzyme_project(row.tag).words.data(), lp.words.data());

    const auto project = runtime::read_project(lp.image, app::kDescriptorAddress);
    EXPECT_EQ(project.locale, row.locale_id);
    const auto u32 = [&](std::uint32_t address) { return runtime::le32(lp.image.bytes.data() + (address - lp.image.base)); };
    const std::uint32_t project_info = u32(app::kDescriptorAddress + formats::layout::descriptor::project_info);
    const std::uint32_t object_table = u32(project_info + formats::layout::project_info::object_table);
    EXPECT_EQ(u32(object_table + formats::layout::object_table::locale), row.locale_id);
    EXPECT_EQ(u32(object_table + formats::layout::object_table::second_locale), row.locale_id);

    const bool english = row.tag == formats::english.tag;
    const std::string catalogue_path = english ? "po/morvane.pot" : "po/" + std::string(row.tag) + ".po";
    const formats::WordsFile catalogue = app::read_catalogue(read_source(catalogue_path), row.tag);
    EXPECT_EQ(formats::decode_words(lp.words).entries, app::run_time_words(catalogue).entries);

    const std::string pictures_dir = english ? "assets/" : "assets/" + std::string(row.tag) + "/";
    const app::Form1Pictures pictures{source_bytes(pictures_dir + "enzyme.bmp"), source_bytes(pictures_dir + "substrate.bmp"),
                                      source_bytes(pictures_dir + "product.bmp"), source_bytes(pictures_dir + "complex.bmp")};
    const form::WindowModel model = form::read_form_stream(runtime::form_stream(lp.image, project));
    if (english) {
      EXPECT_TRUE(model == app::form1_model(pictures));
      continue;
    }
    const auto text = [&](std::string_view context) {
      for (const formats::WordEntry& e : catalogue.entries)
        if (e.key == context) return e.text;
      return std::string("(none)");
    };
    const form::ControlRecord* label = nullptr;
    const form::ControlRecord* command = nullptr;
    for (const form::ControlRecord& c : model.controls) {
      if (c.name == "Label1") label = &c;
      if (c.name == "Command1") command = &c;
    }
    ASSERT_TRUE(label && command);
    const struct {
      const form::PropertySet& properties;
      const char* context;
      int english_pixels;
    } captions[] = {{model.form.properties, "Form1 caption", 0},
                    {label->properties, "Label1 caption", 21},
                    {command->properties, "Command1 caption", 19}};
    for (const auto& c : captions) {
      SCOPED_TRACE(c.context);
      const auto stored = c.properties.get<std::string>("caption");
      ASSERT_TRUE(stored);
      if (const auto back = to_utf8(*stored, row.code_page)) {
        EXPECT_EQ(*back, text(c.context));
      } else {
        decoded_all = false;
      }
      if (!c.english_pixels) continue;
      const auto font = c.properties.get<form::Font>("font");
      ASSERT_TRUE(font);
      EXPECT_EQ(font->charset, row.charset);
      EXPECT_EQ(font->size_e4 % 7500, 0u) << font->size_e4;  // whole pixels at 96 dots per inch
      EXPECT_GE(3 * font->size_e4, 2u * 7500 * c.english_pixels);
      EXPECT_LE(font->size_e4, 7500u * c.english_pixels);
    }
    // Everything else is the declaration's.
    const app::Form1Captions as_stored{*model.form.properties.get<std::string>("caption"),
                                       *label->properties.get<std::string>("caption"),
                                       *command->properties.get<std::string>("caption"), row.charset,
                                       label->properties.get<form::Font>("font")->size_e4,
                                       command->properties.get<form::Font>("font")->size_e4};
    EXPECT_TRUE(model == app::form1_model(pictures, as_stored));
  }
  if (!decoded_all) GTEST_SKIP() << "this system has no iconv to read the stored captions back with";
}

}  // namespace
