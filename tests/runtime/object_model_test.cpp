// Reference counting, variants, runtime strings and access to members by name.
#include <gtest/gtest.h>

#include "runtime/core/controls/controls.h"
#include "runtime/core/controls/form_object.h"
#include "runtime/core/objects/runtime_error.h"
#include "runtime/core/objects/variant.h"

namespace {

using namespace morvane::runtime;

MORVANE_CONST_STRING(k, u"substrate");

TEST(References, CountsAreObservableAndLastReleaseDeletes) {
  static int destroyed = 0;
  struct Probe : Object {
    ~Probe() override { ++destroyed; }
  };
  destroyed = 0;
  auto* p = new Probe;
  EXPECT_EQ(p->ref_count(), 1u);
  {
    Ref<Probe> a = Ref<Probe>::share(p);
    Ref<Probe> b = a;
    EXPECT_EQ(p->ref_count(), 3u);
    Ref<Probe> c = std::move(b);
    EXPECT_EQ(p->ref_count(), 3u);
  }
  EXPECT_EQ(p->ref_count(), 1u);
  EXPECT_EQ(destroyed, 0);
  p->release();
  EXPECT_EQ(destroyed, 1);
}

TEST(Variants, TypeCodes) {
  EXPECT_EQ(Variant().type(), 0);
  EXPECT_EQ(Variant::from_boolean(kTrue).type(), 11);
  EXPECT_EQ(Variant::from_string(u"x").type(), 8);
  EXPECT_EQ(Variant::from_const(k).type(), 0x8008);
  EXPECT_EQ(k.byte_length, 18u);
  EXPECT_EQ(Variant::from_boolean(5).as_boolean(), kTrue) << "any non-zero Boolean is stored as -1";
  EXPECT_EQ(Variant::from_boolean(kFalse).as_boolean(), kFalse);
}

TEST(Variants, StringsCompareExactlyCodeUnitByCodeUnit) {
  const Variant c = Variant::from_const(k);
  EXPECT_EQ(variants_equal(c, Variant::from_string(u"substrate")), kTrue);
  using namespace std::string_view_literals;
  for (std::u16string_view other : {u"Substrate"sv, u"substrate "sv, u"substrat"sv, u""sv, u"substrate\0"sv})
    EXPECT_EQ(variants_equal(c, Variant::from_string(other)), kFalse) << to_utf8(other);
  EXPECT_EQ(variants_equal(c, Variant()), kFalse);
  EXPECT_EQ(variants_equal(Variant::from_string(u""), Variant()), kTrue) << "empty equals the empty string";
  EXPECT_EQ(variants_equal(Variant::from_integer(1), Variant::from_double(1.0)), kTrue);
  EXPECT_EQ(variants_equal(Variant::from_string(u"1"), Variant::from_integer(1)), kFalse);
}

TEST(Variants, WrongAccessRaisesTypeMismatch) {
  try {
    (void)Variant::from_string(u"yes").as_boolean();
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.status(), status::type_mismatch);
  }
  EXPECT_THROW((void)Variant::from_integer(3).as_string(), RuntimeError);
}

TEST(Strings, Utf16RoundTrip) {
  const std::string text = "Enzym\xC3\xA9 \xF0\x9F\xA7\xAA";
  EXPECT_EQ(to_utf8(to_utf16(text)), text);
  EXPECT_EQ(to_utf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD") << "a lone surrogate becomes U+FFFD";
  EXPECT_TRUE(equal_ignoring_ascii_case(u"VISIBLE", u"visible"));
  EXPECT_FALSE(equal_ignoring_ascii_case(u"Visibl", u"visible"));
}

TEST(MembersByName, ReadAndWriteProperties) {
  PictureBox box("Picture2", 4);
  box.set_tag(u"substrate");
  EXPECT_EQ(box.get_member(u"Tag").as_string(), u"substrate");
  EXPECT_EQ(box.get_member(u"tag").as_string(), u"substrate") << "names are case-insensitive";
  EXPECT_EQ(box.get_member(u"Visible").type(), vt::boolean);
  box.set_member(u"Visible", Variant::from_boolean(kFalse));
  EXPECT_FALSE(box.visible());
  box.set_member(u"Visible", Variant::from_integer(1));
  EXPECT_TRUE(box.visible()) << "a number converts to a Boolean";
  box.set_member(u"Left", Variant::from_long(300));
  EXPECT_EQ(box.left(), 300);
  EXPECT_EQ(box.get_member(u"Name").as_string(), u"Picture2");
}

TEST(MembersByName, ClearErrorsForUnknownMembersAndWrongTypes) {
  PictureBox box("Picture2", 4);
  auto status_of = [](auto&& call) {
    try {
      call();
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.source(), "Picture2");
      return e.status();
    }
    return status::ok;
  };
  EXPECT_EQ(status_of([&] { (void)box.get_member(u"Caption"); }), status::unknown_member)
      << "a picture box has no caption";
  EXPECT_EQ(status_of([&] { box.set_member(u"Vis", Variant::from_boolean(kTrue)); }), status::unknown_member);
  EXPECT_EQ(status_of([&] { box.set_member(u"Visible", Variant::from_string(u"True")); }), status::type_mismatch);
  EXPECT_EQ(status_of([&] { box.set_member(u"Tag", Variant::from_integer(4)); }), status::type_mismatch);
  EXPECT_EQ(status_of([&] { box.set_member(u"Name", Variant::from_string(u"x")); }), status::read_only);
  EXPECT_EQ(status_of([&] { box.set_member(u"Width", Variant::from_long(-1)); }), status::invalid_value);
  EXPECT_EQ(status_of([&] { box.set_member(u"Left", Variant::from_double(1e300)); }), status::invalid_value);
  try {
    (void)box.get_member(u"Caption");
  } catch (const RuntimeError& e) {
    EXPECT_STREQ(e.what(), "run-time error 0x80020006 in Picture2: the picture box has no member named \"Caption\"");
  }
}

TEST(MembersByName, ObjectsThatAreNoControls) {
  EXPECT_THROW((void)get_member_by_name(nullptr, u"Tag"), RuntimeError);
  struct Plain : Object {};
  Plain plain;
  EXPECT_THROW((void)get_member_by_name(&plain, u"Tag"), RuntimeError);
}

TEST(TypedSetter, VisibleAcceptsOnlyTheTwoBooleans) {
  PictureBox box("Picture1", 5);
  EXPECT_EQ(box.put_visible(kFalse), status::ok);
  EXPECT_FALSE(box.visible());
  EXPECT_EQ(box.put_visible(kTrue), status::ok);
  EXPECT_LT(box.put_visible(1), 0) << "1 is no Boolean of the runtime";
  EXPECT_TRUE(box.visible());
}

TEST(FormObjectSinks, SinksLieAtTheirPlacesAndTheFormIsFoundFromItsReference) {
  auto form = Ref<FormObject>::adopt(new FormObject("Form1", 0x50));
  form->connect_sink(0x34, 5);
  form->connect_sink(0x48, 1);
  EXPECT_EQ(form->sink_address(0x34) - form->instance_address(), 0x34u);
  EXPECT_EQ(form->sink_control(0x34), 5);
  EXPECT_EQ(form->sink_control(0x48), 1);
  EXPECT_EQ(form->sink_control(0x40), -1);
  // The event entry's subtraction lands on the form plus its mark.
  const std::uintptr_t marked = form->sink_address(0x34) - 0x33;
  EXPECT_EQ(marked, form->instance_address() + 1);
  EXPECT_EQ(&FormObject::from_reference(marked & ~std::uintptr_t{1}), form.get());
  EXPECT_THROW(FormObject::from_reference(marked), RuntimeError) << "a marked reference must be unmarked first";
  EXPECT_THROW(form->connect_sink(0x50, 1), RuntimeError) << "a sink past the object's end";
}

TEST(FontSizes, PointsToPixels) {
  FontSpec f;
  f.size_e4 = 142500;
  EXPECT_EQ(f.pixel_size(), 19);
  f.size_e4 = 157500;
  EXPECT_EQ(f.pixel_size(), 21);
}

}  // namespace
