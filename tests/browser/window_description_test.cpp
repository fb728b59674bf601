#include "web/window_description.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/demo_fixture.h"

namespace morvane::testing {
namespace {

class WindowDescription : public DemoFixture {
 protected:
  std::string said() { return web::describe_window(form()); }
};

TEST_F(WindowDescription, SaysWhatEachStateOfTheDemonstrationShows) {
  EXPECT_EQ(said(), "The free enzyme, with its substrate above it.");
  to_complex();
  EXPECT_EQ(said(), "The enzyme-substrate complex: the substrate sits in the enzyme's notch.");
  click(centre("Picture4"));
  EXPECT_EQ(said(), "The free enzyme again, with the product above it.");
  click(centre("Command1"));
  EXPECT_EQ(said(), "The free enzyme, with its substrate above it.");
}

TEST_F(WindowDescription, NamesThePicturesOfAnyOtherState) {
  control("Picture2").set_visible(false);
  EXPECT_EQ(said(), "The free enzyme.");
  control("Picture4").set_visible(true);
  control("Picture3").set_visible(true);
  EXPECT_EQ(said(), "The free enzyme, the enzyme-substrate complex, the product.");
  for (const char* name : {"Picture1", "Picture3", "Picture4"}) control(name).set_visible(false);
  EXPECT_EQ(said(), "No picture is shown.");
}

TEST(WindowDescriptionOfAStrangeForm, RefusesAFormWithoutThePictures) {
  runtime::Ref<runtime::FormObject> bare = runtime::Ref<runtime::FormObject>::adopt(new runtime::FormObject("Form1", 16));
  EXPECT_THROW(web::describe_window(*bare), std::logic_error);
}

}  // namespace
}  // namespace morvane::testing
