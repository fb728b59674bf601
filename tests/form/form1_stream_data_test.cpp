// The stream the build embeds, laid out from the four pictures.
#include <gtest/gtest.h>

#include "app/form1_model.h"
#include "app/form1_stream.h"
#include "form/form_stream_reader.h"
#include "form/form_stream_writer.h"
#include "runtime/bitmap/bitmap.h"

namespace morvane::form {
namespace {

TEST(Form1StreamData, HasTheLengthsOfForm1) {
  ASSERT_EQ(app::form1_stream.size(), 497718u);
  FormStreamRecords records;
  const WindowModel model = read_form_stream(app::form1_stream, records);
  EXPECT_EQ(records.form.length, 497629u);
  std::vector<std::uint32_t> lengths;
  for (const auto& r : records.controls) lengths.push_back(r.length);
  EXPECT_EQ(lengths, (std::vector<std::uint32_t>{64, 124340, 124340, 124368, 124338, 86}));

  const auto rewritten = write_form_stream(model);
  EXPECT_TRUE(std::equal(rewritten.begin(), rewritten.end(), app::form1_stream.begin(), app::form1_stream.end()));
}

TEST(Form1StreamData, CarriesFourBitmapsOfThePictureSize) {
  const WindowModel model = read_form_stream(app::form1_stream);
  app::Form1Pictures pictures;
  pictures.complex = model.controls[1].properties.get<PictureBytes>("picture")->to_vector();
  pictures.product = model.controls[2].properties.get<PictureBytes>("picture")->to_vector();
  pictures.substrate = model.controls[3].properties.get<PictureBytes>("picture")->to_vector();
  pictures.enzyme = model.controls[4].properties.get<PictureBytes>("picture")->to_vector();
  for (const auto* p : {&pictures.enzyme, &pictures.substrate, &pictures.product, &pictures.complex}) {
    EXPECT_EQ(p->size(), 124290u);
    const runtime::BitmapView bitmap = runtime::view_bmp(*p);
    EXPECT_EQ(bitmap.width(), 203);
    EXPECT_EQ(bitmap.height(), 203);
    EXPECT_EQ(bitmap.bits_per_pixel(), 24);
  }
  EXPECT_EQ(model, app::form1_model(pictures));
}

}  // namespace
}  // namespace morvane::form
