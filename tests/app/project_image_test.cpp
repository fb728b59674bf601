// The project image as the executable carries it: every documented byte of the
// descriptor, the control list, the event tables and the form table.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "app/project.h"
#include "app/form1_stream.h"
#include "app/project_image_builder.h"
#include "app/windows/relocatable_image.h"
#include "form/window_model.h"
#include "runtime/core/project/byte_reader.h"
#include "formats/image_layout.h"
#include "runtime/core/project/project_image.h"
#include "runtime/core/project/relocatable_image.h"

namespace {

using morvane::runtime::le16;
using morvane::runtime::le32;
namespace L = morvane::formats::layout;

class ImageBytes : public ::testing::Test {
 protected:
  morvane::runtime::ProjectImage image = morvane::app::embedded_image();
  const std::uint8_t* at(std::uint32_t address) { return image.bytes.data() + (address - image.base); }
  std::uint32_t u32(std::uint32_t address) { return le32(at(address)); }
  std::uint16_t u16(std::uint32_t address) { return le16(at(address)); }
  std::string str(std::uint32_t address) { return reinterpret_cast<const char*>(at(address)); }
  std::array<std::uint8_t, 16> guid(std::uint32_t address) {
    std::array<std::uint8_t, 16> g;
    std::memcpy(g.data(), at(address), 16);
    return g;
  }
  static std::array<std::uint8_t, 16> id(const char* text) { return morvane::form::Guid::parse(text).bytes; }
  std::uint32_t d = morvane::app::kDescriptorAddress;
};

TEST_F(ImageBytes, DescriptorFieldsAndStrings) {
  ASSERT_GE(image.bytes.size(), 148u);
  EXPECT_EQ(std::memcmp(at(d), "VB5!", 4), 0);
  EXPECT_EQ(u16(d + 0x04), 8176);
  EXPECT_EQ(str(d + 0x06), "*");
  EXPECT_EQ(str(d + 0x14), "~");
  for (int i = 1; i < 14; ++i) {
    EXPECT_EQ(at(d + 0x06)[i], 0) << "language library field byte " << i;
    EXPECT_EQ(at(d + 0x14)[i], 0) << "second language library field byte " << i;
  }
  EXPECT_EQ(u16(d + 0x22), 10);
  EXPECT_EQ(u32(d + 0x24), 0x0409u);
  EXPECT_EQ(u32(d + 0x28), 0u);
  EXPECT_EQ(u32(d + 0x2C), 0u);
  EXPECT_EQ(u32(d + 0x34), 0x0030F013u);
  EXPECT_EQ(u32(d + 0x38), 0xFFFFFF00u);
  EXPECT_EQ(u32(d + 0x3C), 8u);
  EXPECT_EQ(u32(d + 0x40), 1u);
  EXPECT_EQ(u16(d + 0x44), 1);
  EXPECT_EQ(u16(d + 0x46), 0);
  EXPECT_EQ(u32(d + 0x48), 233u);
  EXPECT_EQ(u32(d + 0x50), u32(d + 0x4C)) << "the external component table is the form table's address";
  EXPECT_EQ(u32(d + 0x58), 0x78u);
  EXPECT_EQ(u32(d + 0x5C), 0x80u);
  EXPECT_EQ(u32(d + 0x60), 0x88u);
  EXPECT_EQ(u32(d + 0x64), 0x89u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(at(d + 0x68)[i], 0);
  EXPECT_EQ(str(d + 0x78), "morvane");
  EXPECT_EQ(str(d + 0x80), "morvane");
  EXPECT_EQ(str(d + 0x88), "");
  EXPECT_EQ(str(d + 0x89), "Sollant1");
  EXPECT_EQ(at(d + 0x92)[0], 0);
  EXPECT_EQ(at(d + 0x93)[0], 0);
  EXPECT_EQ(u32(d + 0x30), d + 148) << "the project information follows the 148-byte descriptor";
}

TEST_F(ImageBytes, ProjectInformationCodeBoundsAndWritableArea) {
  const std::uint32_t pi = u32(d + 0x30);
  EXPECT_EQ(u32(pi + L::project_info::version), 500u);
  const std::uint32_t start = u32(pi + L::project_info::code_start);
  const std::uint32_t end = u32(pi + L::project_info::code_end);
  EXPECT_EQ(u32(start), 0xE9E9E9E9u);
  EXPECT_EQ(u32(end), 0x9E9E9E9Eu);
  EXPECT_LT(start, end);
  EXPECT_EQ(u32(pi + L::project_info::thread_data_size), 2540u);
  const std::uint32_t thread_data = u32(pi + L::project_info::thread_data);
  const std::uint32_t writable = thread_data - L::kThreadDataOffset;
  for (std::uint32_t i = 0; i < L::kWritableSize; ++i) ASSERT_EQ(at(writable)[i], 0) << "writable byte " << i;
  EXPECT_EQ(import_name(image, u32(pi + L::project_info::error_handler)), L::kImportErrorHandler);
}

TEST_F(ImageBytes, ObjectTableDescriptorAndInformation) {
  const std::uint32_t ot = u32(u32(d + 0x30) + L::project_info::object_table);
  EXPECT_EQ(guid(ot + L::object_table::project_id), id("{76B90194-8D72-4C8A-8E21-E49EF91E7C70}"));
  EXPECT_EQ(u16(ot + L::object_table::object_count), 1);
  EXPECT_EQ(u32(ot + L::object_table::locale), 0x0409u);
  EXPECT_EQ(u32(ot + L::object_table::second_locale), 0x0409u);
  EXPECT_EQ(str(ot + L::object_table::project_name), "Sollant1");
  EXPECT_EQ(guid(ot + L::object_table::object_id), id("{773ABDB0-3B1B-4EBB-8028-71B8E10809A3}"));

  const std::uint32_t od = u32(ot + L::object_table::objects);
  EXPECT_EQ(str(u32(od + L::object_descriptor::name)), "Form1");
  EXPECT_EQ(u32(od + L::object_descriptor::object_type), 0x00018083u);
  EXPECT_EQ(u32(od + L::object_descriptor::method_count), 3u);

  const std::uint32_t oi = u32(od + L::object_descriptor::object_info);
  EXPECT_EQ(guid(u32(oi + L::object_info::form_id)), id("{9CAA7CE9-B2A8-4D9F-9289-1D44A051B2E5}"));
  const std::uint32_t ids = u32(oi + L::object_info::object_ids);
  EXPECT_EQ(guid(ids), id("{81C11BED-E461-4E10-A4EA-8DF8B9913257}"));
  EXPECT_EQ(guid(ids + 16), id("{79A89D41-780A-491D-A1B3-B80B08958FF6}"));
  EXPECT_EQ(u32(oi + L::object_info::control_count), 7u);
  EXPECT_EQ(guid(u32(oi + L::object_info::library_id)), id("{FCFB3D2E-A0FA-1068-A738-08002B3371B5}"));
}

struct ExpectedEntry {
  const char* name;
  const char* class_id;
  std::uint16_t number;
  std::uint16_t slots;
  std::uint32_t sink;
  std::uint32_t kind_value;
  int bound_slot;
  std::uint32_t amount;  // what the bound slot's event entry subtracts
};

constexpr ExpectedEntry kExpected[] = {
    {"Picture1", "{33AD4ED2-6699-11CF-B70C-00AA0060D393}", 5, 26, 0x34, 0x001D0F80, 3, 0x33},
    {"Form", "{33AD4F3A-6699-11CF-B70C-00AA0060D393}", 0xFFFF, 31, 0x38, 0x001D0F90, -1, 0},
    {"Picture2", "{33AD4ED2-6699-11CF-B70C-00AA0060D393}", 4, 26, 0x3C, 0x001D0F80, -1, 0},
    {"Picture3", "{33AD4ED2-6699-11CF-B70C-00AA0060D393}", 3, 26, 0x40, 0x001D0F80, -1, 0},
    {"Picture4", "{33AD4ED2-6699-11CF-B70C-00AA0060D393}", 2, 26, 0x44, 0x001D0F80, 1, 0x43},
    {"Command1", "{33AD4EF2-6699-11CF-B70C-00AA0060D393}", 1, 17, 0x48, 0x001D0FA0, 0, 0x47},
    {"Label1", "{33AD4EDA-6699-11CF-B70C-00AA0060D393}", 6, 18, 0x4C, 0x001D0FB0, -1, 0},
};

TEST_F(ImageBytes, ControlListAndEventTables) {
  const std::uint32_t ot = u32(u32(d + 0x30) + L::project_info::object_table);
  const std::uint32_t oi = u32(u32(ot + L::object_table::objects) + L::object_descriptor::object_info);
  const std::uint32_t list = u32(oi + L::object_info::control_list);
  std::uint32_t expected_table = u32(list + L::control_entry::event_table);
  int filled = 0;
  for (std::size_t i = 0; i < std::size(kExpected); ++i) {
    const ExpectedEntry& x = kExpected[i];
    SCOPED_TRACE(x.name);
    const std::uint32_t e = list + static_cast<std::uint32_t>(i) * 40;
    const std::uint16_t second = x.number == 0xFFFF ? 0xFFFF : 3;
    EXPECT_EQ(u16(e + 0x00), 0x0040);
    EXPECT_EQ(u16(e + 0x02), x.slots);
    EXPECT_EQ(u32(e + 0x04), x.sink);
    EXPECT_EQ(guid(u32(e + 0x08)), id(x.class_id));
    EXPECT_EQ(u16(e + 0x0C), x.number);
    EXPECT_EQ(u16(e + 0x0E), second);
    EXPECT_EQ(u32(e + 0x10), 0u);
    EXPECT_EQ(u32(e + 0x14), 0u);
    EXPECT_EQ(u32(e + 0x1C), x.kind_value);
    EXPECT_EQ(str(u32(e + 0x20)), x.name);
    EXPECT_EQ(u16(e + 0x24), x.number);
    EXPECT_EQ(u16(e + 0x26), second);

    // The event tables follow one another in list order.
    const std::uint32_t t = u32(e + 0x18);
    EXPECT_EQ(t, expected_table);
    expected_table = t + 24 + 4u * x.slots;
    EXPECT_EQ(u32(t + 0x00), 0u);
    EXPECT_EQ(u32(t + 0x04), e);
    EXPECT_EQ(u32(t + 0x08), oi);
    EXPECT_EQ(import_name(image, u32(t + 0x0C)), L::kImportSinkQueryInterface);
    EXPECT_EQ(import_name(image, u32(t + 0x10)), L::kImportSinkAddRef);
    EXPECT_EQ(import_name(image, u32(t + 0x14)), L::kImportSinkRelease);
    for (int k = 0; k < x.slots; ++k) {
      const std::uint32_t slot = u32(t + 0x18 + 4u * static_cast<std::uint32_t>(k));
      if (k == x.bound_slot) {
        ++filled;
        ASSERT_NE(slot, 0u);
        // The event entry subtracts the sink place less one from its first argument.
        EXPECT_EQ(std::memcmp(at(slot), L::code::sub_arg, 4), 0);
        EXPECT_EQ(u32(slot + 4), x.amount);
        EXPECT_EQ(x.amount, x.sink - 1);
      } else {
        EXPECT_EQ(slot, 0u) << "slot " << k;
      }
    }
  }
  EXPECT_EQ(filled, 3);
}

TEST_F(ImageBytes, FormTableAndStream) {
  const std::uint32_t ft = u32(d + 0x4C);
  EXPECT_EQ(u32(ft + 0x00), 80u);
  EXPECT_EQ(guid(ft + 0x04), id("{9CAA7CE9-B2A8-4D9F-9289-1D44A051B2E5}"));
  for (int i = 0; i < 20; ++i) EXPECT_EQ(at(ft + 0x14)[i], 0);
  EXPECT_EQ(u32(ft + 0x28), 784u);
  EXPECT_EQ(u32(ft + 0x2C), 0u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(at(ft + 0x30)[i], 0);
  EXPECT_EQ(u32(ft + 0x40), 497718u);
  EXPECT_EQ(u32(ft + 0x44), 0u);
  EXPECT_EQ(u32(ft + 0x4C), 76u);
  const std::uint32_t stream = u32(ft + 0x48);
  EXPECT_GE(stream, image.base);
  EXPECT_LE(stream - image.base, image.bytes.size());
  // No image records a length for a stream that is not there.
  EXPECT_THROW(morvane::app::build_project_image({}), std::invalid_argument);
}

TEST_F(ImageBytes, RegistrationData) {
  const std::uint32_t r = u32(d + 0x54);
  EXPECT_EQ(u32(r + L::registration::class_count), 0u);
  EXPECT_EQ(guid(r + L::registration::typelib_id), id("{8336B279-A0E2-4B5B-905E-7BB5E862C0E6}"));
  EXPECT_EQ(u32(r + L::registration::typelib_locale), 0u);
  EXPECT_EQ(u16(r + L::registration::typelib_major), 1);
  EXPECT_EQ(u16(r + L::registration::typelib_minor), 0);
  EXPECT_EQ(str(r + u32(r + L::registration::project_name_offset)), "Sollant1");
}

// The version resource: find its key and read the string table back.
TEST_F(ImageBytes, VersionResourceStrings) {
  auto find_utf16 = [&](std::u16string_view text) -> std::size_t {
    std::string bytes;
    for (char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    const std::string_view all(reinterpret_cast<const char*>(image.bytes.data()), image.bytes.size());
    return all.find(bytes);
  };
  const std::size_t root = find_utf16(u"VS_VERSION_INFO");
  ASSERT_NE(root, std::string::npos);
  const std::uint8_t* block = image.bytes.data() + root - 6;
  EXPECT_EQ(le16(block + 2), 52) << "fixed part";
  const std::uint8_t* fixed = block + 40;  // 6 + 32 bytes of key and NUL, padded to 40
  EXPECT_EQ(le32(fixed), 0xFEEF04BDu);
  EXPECT_EQ(le32(fixed + 8), 0x00010000u);  // file version 1.0
  EXPECT_EQ(le32(fixed + 12), 0u);          // .0.0
  EXPECT_EQ(le32(fixed + 32), 4u);          // 32-bit Windows
  EXPECT_EQ(le32(fixed + 36), 1u);          // application

  // Keys in order, each followed by its value.
  const std::u16string keys[] = {u"040904B0", u"ProductName", u"FileVersion", u"ProductVersion", u"InternalName",
                                 u"OriginalFilename", u"Translation"};
  std::size_t last = root;
  for (const auto& k : keys) {
    const std::size_t at_key = find_utf16(k);
    ASSERT_NE(at_key, std::string::npos);
    EXPECT_GT(at_key, last);
    last = at_key;
  }
  EXPECT_NE(find_utf16(u"morvane.exe"), std::string::npos);
  EXPECT_EQ(find_utf16(u"CompanyName"), std::string::npos) << "the string table holds five keys only";
}

TEST(ProjectImageReader, ReadsWhatStartUpNeeds) {
  const auto image = morvane::app::embedded_image();
  const auto p = morvane::runtime::read_project(image, morvane::app::kDescriptorAddress);
  EXPECT_EQ(p.object_name, "Form1");
  EXPECT_EQ(p.project_name, "Sollant1");
  EXPECT_EQ(p.exe_name, "morvane");
  EXPECT_EQ(p.thread_count, 1u);
  EXPECT_EQ(p.locale, 0x0409u);
  ASSERT_EQ(p.controls.size(), 7u);
  EXPECT_EQ(p.controls[1].name, "Form");
  EXPECT_TRUE(p.controls[1].is_form());
  EXPECT_EQ(p.stream_length, 497718u);
}

// A broken reference or signature is refused with the offset it was found at.
TEST(ProjectImageReader, RefusesBrokenImages) {
  const auto original = morvane::app::embedded_image();
  std::vector<std::uint8_t> copy(original.bytes.begin(), original.bytes.end());
  auto read = [&] {
    morvane::runtime::read_project({copy, original.base}, morvane::app::kDescriptorAddress);
  };
  copy[0] = 'X';
  EXPECT_THROW(read(), morvane::runtime::ImageError);
  copy.assign(original.bytes.begin(), original.bytes.end());
  copy[0x30] = 0xFF;  // project information reference far outside
  copy[0x33] = 0x7F;
  try {
    read();
    FAIL() << "accepted a dangling reference";
  } catch (const morvane::runtime::ImageError& e) {
    EXPECT_NE(std::string(e.what()).find("project information"), std::string::npos) << e.what();
  }
  // Every truncation of the records is refused, never read past.
  for (std::size_t n : {std::size_t{0}, std::size_t{100}, std::size_t{147}, std::size_t{148}, std::size_t{600},
                        std::size_t{1500}}) {
    std::vector<std::uint8_t> cut(original.bytes.begin(), original.bytes.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(morvane::runtime::read_project({cut, original.base}, morvane::app::kDescriptorAddress),
                 morvane::runtime::ImageError)
        << n;
  }
}

// A language's image carried as a resource: placed anywhere below 4 GiB it reads as
// the linked image does, with the program's routines in its handler bodies; a damaged
// header, list or reference is refused before anything is placed.
TEST(RelocatableImage, PlacesAnywhereAndRefusesDamage) {
  using morvane::runtime::ImageError;
  const auto laid = morvane::app::lay_out_project_image(morvane::app::form1_stream);
  const std::vector<std::uint8_t> resource = morvane::app::relocatable_image(laid);
  const std::uint32_t routines[] = {0x00402000, 0x00402040, 0x00402080};
  for (std::uint32_t base : {morvane::app::kImageBase, 0x10000u, 0x7FFF0000u}) {
    const auto image = morvane::runtime::read_relocatable_image(resource, 3);
    ASSERT_EQ(image.routines.size(), 3u);
    std::vector<std::uint8_t> placed(image.image.size());
    morvane::runtime::place_image(image, base, routines, placed);
    const auto p = morvane::runtime::read_project({placed, base}, base);
    EXPECT_EQ(p.stream_length, 497718u);
    for (const auto& entry : p.controls)
      for (const auto& bound : entry.bound)
        EXPECT_EQ(le32(placed.data() + (bound.target.body - base) + L::code::routine_address),
                  routines[bound.target.native_index]) << entry.name;
    if (base == morvane::app::kImageBase) {  // the same bytes as the linked image, routines apart
      std::vector<std::uint8_t> linked = laid.bytes();
      for (const auto& r : image.routines) morvane::formats::store_le32(linked.data() + r.place, routines[r.native_index]);
      EXPECT_EQ(placed, linked);
    }
  }
  const std::uint32_t refs = le32(resource.data() + 8);
  const std::size_t lists_end = 16 + 4 * std::size_t{refs} + 8 * 3;
  const std::uint32_t first_ref = le32(resource.data() + 16);
  struct Damage {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  };
  const Damage damages[] = {
      {"magic", 0, 0x49525658},
      {"image size one more", 4, le32(resource.data() + 4) + 1},
      {"image size huge", 4, 0xFFFFFFF0},
      {"reference count huge", 8, 0x40000001},
      {"reference place outside", 16, le32(resource.data() + 4) - 2},
      {"reference places out of order", 20, first_ref},
      {"reference aims outside", lists_end + first_ref, le32(resource.data() + 4) + 1},
      {"routine place outside", 16 + 4 * std::size_t{refs}, 0xFFFFFFFF},
      {"routine place on a reference", 16 + 4 * std::size_t{refs}, first_ref + 2},
      {"routine index", 16 + 4 * std::size_t{refs} + 4, 3},
  };
  for (const Damage& d : damages) {
    std::vector<std::uint8_t> broken = resource;
    morvane::formats::store_le32(broken.data() + d.at, d.value);
    EXPECT_THROW(morvane::runtime::read_relocatable_image(broken, 3), ImageError) << d.what;
  }
  std::vector<std::uint8_t> cut(resource.begin(), resource.end() - 1);
  EXPECT_THROW(morvane::runtime::read_relocatable_image(cut, 3), ImageError);
  const auto image = morvane::runtime::read_relocatable_image(resource, 3);
  std::vector<std::uint8_t> placed(image.image.size());
  EXPECT_THROW(morvane::runtime::place_image(image, 0xFFFF0000u, routines, placed), ImageError);
}

}  // namespace
