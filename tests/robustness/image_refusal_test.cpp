// Malformed project images, made by hand from the embedded one: the runtime refuses
// each at start-up with an error that names the offset of the fault and what it
// expected there, and never reads outside the image or crashes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/project.h"
#include "app/project_image_builder.h"
#include "form/form_stream_error.h"
#include "runtime/backends/headless/headless_platform.h"
#include "runtime/core/project/byte_reader.h"
#include "formats/image_layout.h"
#include "runtime/core/project/project_image.h"
#include "runtime/core/project/runtime.h"
#include "runtime/core/objects/runtime_error.h"

namespace {

using namespace morvane;
namespace L = formats::layout;

// A writable copy of the embedded image, with the addresses of its records.
class Image {
 public:
  Image() : original_(app::embedded_image()), bytes_(original_.bytes.begin(), original_.bytes.end()) {
    project_ = runtime::read_project(original_, app::kDescriptorAddress);
    d = app::kDescriptorAddress;
    pi = u32(d + L::descriptor::project_info);
    ot = u32(pi + L::project_info::object_table);
    od = u32(ot + L::object_table::objects);
    oi = u32(od + L::object_descriptor::object_info);
    ft = u32(d + L::descriptor::form_table);
    end = base() + static_cast<std::uint32_t>(bytes_.size());
  }

  std::uint32_t base() const { return original_.base; }
  std::size_t off(std::uint32_t address) const { return address - base(); }
  std::size_t size() const { return bytes_.size(); }
  runtime::ProjectImage image() const { return {bytes_, base()}; }
  const runtime::ProjectInfo& project() const { return project_; }

  std::uint32_t u32(std::uint32_t address) const { return runtime::le32(bytes_.data() + off(address)); }
  void put8(std::uint32_t address, std::uint8_t v) { bytes_.at(off(address)) = v; }
  void put16(std::uint32_t address, std::uint16_t v) {
    put8(address, static_cast<std::uint8_t>(v));
    put8(address + 1, static_cast<std::uint8_t>(v >> 8));
  }
  void put32(std::uint32_t address, std::uint32_t v) {
    put16(address, static_cast<std::uint16_t>(v));
    put16(address + 2, static_cast<std::uint16_t>(v >> 16));
  }

  // The control entry and event table of a control, by its name in the control list.
  const runtime::ControlEntryInfo& entry(const char* name) const {
    for (const auto& e : project_.controls)
      if (e.name == name) return e;
    throw std::runtime_error(std::string("no control entry ") + name);
  }
  std::uint32_t slot(const char* name, int k) const { return entry(name).event_table + L::event_table::slots + 4u * k; }
  // The event entry that Command1's Click slot names, and the handler body it jumps to.
  std::uint32_t reset_entry() const { return u32(slot("Command1", 0)); }
  std::uint32_t reset_body() const {
    const std::uint32_t jump = reset_entry() + 8;
    return jump + 5 + u32(jump + 1);
  }
  // Offset of the first picture's "BM" inside the image: after the first picture
  // signature "lt\0\0" of the stream and the image data's length.
  std::size_t first_bitmap() const {
    const std::uint8_t pattern[] = {'l', 't', 0, 0};
    const auto from = bytes_.begin() + static_cast<std::ptrdiff_t>(off(project_.stream_address));
    const auto at = std::search(from, bytes_.end(), std::begin(pattern), std::end(pattern));
    return static_cast<std::size_t>(at - bytes_.begin()) + 8;
  }

  std::uint32_t d, pi, ot, od, oi, ft, end;

 private:
  runtime::ProjectImage original_;
  std::vector<std::uint8_t> bytes_;
  runtime::ProjectInfo project_;
};

enum class Refusal { image, runtime, stream, bitmap };

struct Case {
  const char* name;
  // Breaks the image; returns the offset the refusal must name (none: not checked).
  std::function<std::optional<std::size_t>(Image&)> edit;
  Refusal refusal;
  const char* message;  // a part of what() that says what was expected
};

std::optional<std::size_t> at(std::size_t offset) { return offset; }
constexpr std::nullopt_t anywhere = std::nullopt;

const std::vector<Case>& cases() {
  using I = Image;
  namespace D = L::descriptor;
  static const std::vector<Case> table{
      // The descriptor.
      {"bad signature", [](I& m) { m.put8(m.d, 'X'); return at(0); }, Refusal::image, "the descriptor signature \"VB5!\""},
      {"two threads", [](I& m) { m.put32(m.d + D::thread_count, 2); return at(D::thread_flags); }, Refusal::image,
       "a single-threaded project with one thread"},
      {"not single-threaded", [](I& m) { m.put32(m.d + D::thread_flags, 0); return at(D::thread_flags); },
       Refusal::image, "a single-threaded project with one thread"},
      {"no form", [](I& m) { m.put16(m.d + D::form_count, 0); return at(D::form_count); }, Refusal::image,
       "exactly one form"},
      {"two forms", [](I& m) { m.put16(m.d + D::form_count, 2); return at(D::form_count); }, Refusal::image,
       "exactly one form"},
      {"a start procedure", [](I& m) { m.put32(m.d + D::start_procedure, m.reset_entry()); return at(D::start_procedure); },
       Refusal::image, "no start procedure"},
      {"project name past the image", [](I& m) { m.put32(m.d + D::project_name_offset, 0xFFFFFF00u); return anywhere; },
       Refusal::image, "project name"},
      // References that leave the image.
      {"project information past the end", [](I& m) { m.put32(m.d + D::project_info, m.end); return at(D::project_info); },
       Refusal::image, "a reference to the project information"},
      {"project information below the base", [](I& m) { m.put32(m.d + D::project_info, 0x1000); return at(D::project_info); },
       Refusal::image, "a reference to the project information"},
      {"object table past the end",
       [](I& m) { m.put32(m.pi + L::project_info::object_table, m.end - 8); return at(m.off(m.pi) + L::project_info::object_table); },
       Refusal::image, "a reference to the object table"},
      {"form table past the end", [](I& m) { m.put32(m.d + D::form_table, m.end - 79); return at(D::form_table); },
       Refusal::image, "a reference to the form table"},
      {"control name at the last byte, unterminated",
       [](I& m) {
         m.put32(m.entry("Label1").address + L::control_entry::name, m.end - 1);
         return anywhere;
       },
       Refusal::image, "a control name"},
      // Project information and code bounds.
      {"project information version", [](I& m) { m.put32(m.pi, 499); return at(m.off(m.pi)); }, Refusal::image,
       "project information version 500"},
      {"code not opened by E9 E9 E9 E9",
       [](I& m) {
         const std::uint32_t cs = m.u32(m.pi + L::project_info::code_start);
         m.put8(cs + 2, 0x90);
         return at(m.off(cs));
       },
       Refusal::image, "E9 E9 E9 E9 opening the code"},
      {"code not closed by 9E 9E 9E 9E",
       [](I& m) {
         const std::uint32_t ce = m.u32(m.pi + L::project_info::code_end);
         m.put8(ce + 3, 0x00);
         return at(m.off(ce));
       },
       Refusal::image, "9E 9E 9E 9E closing the code"},
      // The object and its information.
      {"two objects", [](I& m) { m.put16(m.ot + L::object_table::object_count, 2); return at(m.off(m.ot) + L::object_table::object_count); },
       Refusal::image, "one object"},
      {"object of another type",
       [](I& m) { m.put32(m.od + L::object_descriptor::object_type, 0x00018003); return at(m.off(m.od) + L::object_descriptor::object_type); },
       Refusal::image, "an object of form type"},
      {"form object of 8 bytes",
       [](I& m) { m.put32(m.oi + L::object_info::instance_size, 8); return at(m.off(m.oi) + L::object_info::instance_size); },
       Refusal::image, "a form object size of 16 to 65536 bytes"},
      {"no control entries",
       [](I& m) { m.put32(m.oi + L::object_info::control_count, 0); return at(m.off(m.oi) + L::object_info::control_count); },
       Refusal::image, "1 to 256 control entries"},
      {"300 control entries",
       [](I& m) { m.put32(m.oi + L::object_info::control_count, 300); return at(m.off(m.oi) + L::object_info::control_count); },
       Refusal::image, "1 to 256 control entries"},
      {"control list cut by the image's end",
       [](I& m) {
         m.put32(m.oi + L::object_info::control_list, m.end - 6 * 40);
         return at(m.off(m.oi) + L::object_info::control_list);
       },
       Refusal::image, "a reference to the control list of 7 entries"},
      // Control entries and event tables.
      {"event table not pointing back",
       [](I& m) {
         const std::uint32_t t = m.entry("Picture3").event_table;
         m.put32(t + L::event_table::control_entry, m.entry("Picture2").address);
         return at(m.off(t) + L::event_table::control_entry);
       },
       Refusal::image, "the event table to refer back to its control entry"},
      {"event table running past the end",
       [](I& m) {
         m.put32(m.entry("Form").address + L::control_entry::event_table, m.end - 100);
         return at(m.off(m.entry("Form").address) + L::control_entry::event_table);
       },
       Refusal::image, "a reference to the event table of Form (31 slots)"},
      {"picture box with a table of 25 slots",
       [](I& m) {
         m.put16(m.entry("Picture3").address + L::control_entry::slot_count, 25);
         return at(m.off(m.entry("Picture3").address) + L::control_entry::slot_count);
       },
       Refusal::image, "26 event slots for the picture box Picture3, found 25"},
      {"picture box entry naming the button's class",
       [](I& m) {
         m.put32(m.entry("Picture1").address + L::control_entry::class_id,
                 m.u32(m.entry("Command1").address + L::control_entry::class_id));
         return at(m.off(m.entry("Picture1").address) + L::control_entry::slot_count);
       },
       Refusal::image, "17 event slots for the command button Picture1, found 26"},
      {"form with a table of 32 slots",
       [](I& m) {
         m.put16(m.entry("Form").address + L::control_entry::slot_count, 32);
         return at(m.off(m.entry("Form").address) + L::control_entry::slot_count);
       },
       Refusal::image, "31 event slots for the form Form, found 32"},
      {"sink place at the form object's end",
       [](I& m) {
         m.put32(m.entry("Label1").address + L::control_entry::sink_place, 0x50);
         return at(m.off(m.entry("Label1").address) + L::control_entry::sink_place);
       },
       Refusal::image, "an event sink place inside the form object"},
      {"sink place that wraps round",
       [](I& m) {
         m.put32(m.entry("Picture1").address + L::control_entry::sink_place, 0xFFFFFFFEu);
         return at(m.off(m.entry("Picture1").address) + L::control_entry::sink_place);
       },
       Refusal::image, "an event sink place inside the form object"},
      {"sink place in the form object's header",
       [](I& m) {
         m.put32(m.entry("Picture2").address + L::control_entry::sink_place, 8);
         return at(m.off(m.entry("Picture2").address) + L::control_entry::sink_place);
       },
       Refusal::image, "an event sink place inside the form object"},
      {"form object smaller than the sinks",
       [](I& m) {
         m.put32(m.oi + L::object_info::instance_size, 0x40);
         return at(m.off(m.entry("Picture3").address) + L::control_entry::sink_place);
       },
       Refusal::image, "an event sink place inside the form object (16 to 60)"},
      // Filled slots, event entries and handler bodies.
      {"slot naming the descriptor",
       [](I& m) { m.put32(m.slot("Picture4", 1), m.d); return at(m.off(m.slot("Picture4", 1))); }, Refusal::image,
       "slot 1 of Picture4 to lead to a handler (offset 0x0: expected an entry inside the program's code)"},
      {"slot naming an unbound event's place",
       [](I& m) { m.put32(m.slot("Label1", 1), m.u32(m.pi + L::project_info::code_end) - 2); return at(m.off(m.slot("Label1", 1))); },
       Refusal::image, "slot 1 of Label1 to lead to a handler"},
      {"event entry jumping past the code",
       [](I& m) {
         m.put32(m.reset_entry() + 9, 0x00100000);
         return at(m.off(m.slot("Command1", 0)));
       },
       Refusal::image, "a handler body inside the program's code"},
      {"event entry jumping back before the code",
       [](I& m) {
         m.put32(m.reset_entry() + 9, static_cast<std::uint32_t>(-0x200));
         return at(m.off(m.slot("Command1", 0)));
       },
       Refusal::image, "a handler body inside the program's code"},
      {"event entry without its jump",
       [](I& m) { m.put8(m.reset_entry() + 8, 0xEB); return at(m.off(m.slot("Command1", 0))); }, Refusal::image,
       "a jump (E9) into a handler"},
      {"handler body without its marker",
       [](I& m) { m.put8(m.reset_body() + 3, 'X'); return at(m.off(m.slot("Command1", 0))); }, Refusal::image,
       "a handler body (NATV)"},
      {"event entry subtracting another amount",
       [](I& m) { m.put32(m.reset_entry() + 4, 0x12345678); return at(m.off(m.slot("Command1", 0))); }, Refusal::image,
       "slot 0 of Command1 to name an event entry that subtracts 0x47 (the event sink place less one), found one that "
       "subtracts 0x12345678"},
      {"event entry subtracting another control's amount",
       [](I& m) { m.put32(m.slot("Picture1", 3), m.reset_entry()); return at(m.off(m.slot("Picture1", 3))); },
       Refusal::image, "subtracts 0x33 (the event sink place less one), found one that subtracts 0x47"},
      {"slot naming a method entry",
       [](I& m) {
         m.put32(m.slot("Picture4", 1), m.u32(m.u32(m.od + L::object_descriptor::method_list)));
         return at(m.off(m.slot("Picture4", 1)));
       },
       Refusal::image, "found a plain jump"},
      {"native routine index out of range",
       [](I& m) { m.put32(m.reset_body() + 4, app::kNativeCount); return at(m.off(m.reset_body()) + 4); }, Refusal::image,
       "a native routine index below 3 in the handler that slot 0 of Command1 leads to, found 3"},
      {"native routine index far out of range",
       [](I& m) { m.put32(m.reset_body() + 4, 0xFFFFFFFFu); return at(m.off(m.reset_body()) + 4); }, Refusal::image,
       "found 4294967295"},
      // The form table and the stream it names.
      {"form table entry of 64 bytes", [](I& m) { m.put32(m.ft, 64); return at(m.off(m.ft)); }, Refusal::image,
       "a form table entry of 80 bytes"},
      {"form table naming another form",
       [](I& m) { m.put8(m.ft + L::form_table::form_id, 0); return at(m.off(m.ft) + L::form_table::form_id); },
       Refusal::image, "the form table's identifier to match"},
      {"stream reference past the end",
       [](I& m) { m.put32(m.ft + L::form_table::stream, m.end); return at(m.off(m.ft) + L::form_table::stream); },
       Refusal::image, "the form description stream (497718 bytes at 0x"},
      {"stream length overrunning the image",
       [](I& m) {
         m.put32(m.ft + L::form_table::stream_length, m.project().stream_length + 1);
         return at(m.off(m.ft) + L::form_table::stream);
       },
       Refusal::image, "the form description stream (497719 bytes at 0x"},
      {"stream length four billion",
       [](I& m) { m.put32(m.ft + L::form_table::stream_length, 0xFFFFFFF0u); return at(m.off(m.ft) + L::form_table::stream); },
       Refusal::image, "inside the image"},
      {"stream length one short",
       [](I& m) { m.put32(m.ft + L::form_table::stream_length, m.project().stream_length - 1); return at(89); },
       Refusal::stream, "the form record length to reach the end of the stream"},
      {"empty stream", [](I& m) { m.put32(m.ft + L::form_table::stream_length, 0); return at(0); }, Refusal::stream,
       "the header byte 0xFF"},
      {"picture that is no bitmap",
       [](I& m) {
         m.put8(m.base() + static_cast<std::uint32_t>(m.first_bitmap()), 'X');
         return at(m.first_bitmap() - m.off(m.project().stream_address));
       },
       Refusal::stream, "expected the signature \"BM\" in the picture of Picture4 (byte 0 of its bitmap)"},
      // Records that read well but do not agree with each other.
      {"object named Form2",
       [](I& m) { m.put8(m.u32(m.od + L::object_descriptor::name) + 4, '2'); return anywhere; }, Refusal::runtime,
       "the form description holds \"Form1\", the project loads \"Form2\""},
      {"control entry of an unknown class",
       [](I& m) { m.put32(m.entry("Picture3").address + L::control_entry::class_id, m.u32(m.oi + L::object_info::form_id)); return anywhere; },
       Refusal::runtime, "control entry \"Picture3\" names an unknown class"},
      {"control entry of another kind",
       [](I& m) {
         // With the button's table length too, so that only the form description disagrees.
         m.put32(m.entry("Picture1").address + L::control_entry::class_id,
                 m.u32(m.entry("Command1").address + L::control_entry::class_id));
         m.put16(m.entry("Picture1").address + L::control_entry::slot_count, 17);
         return anywhere;
       },
       Refusal::runtime, "control entry \"Picture1\" is a command button but the form description makes Picture1 a picture box"},
      {"control entry numbering no control",
       [](I& m) { m.put16(m.entry("Label1").address + L::control_entry::number, 9); return anywhere; }, Refusal::runtime,
       "names control number 9, which the form description lacks"},
  };
  return table;
}

// Starts the runtime on the broken image and checks how it was refused.
void expect_refusal(const Case& c) {
  Image image;
  const std::optional<std::size_t> offset = c.edit(image);
  auto check = [&](const char* type, Refusal refusal, const std::string& what, std::optional<std::size_t> found_at) {
    EXPECT_EQ(refusal, c.refusal) << "refused with " << type << ": " << what;
    EXPECT_NE(what.find(c.message), std::string::npos) << "message: " << what;
    if (offset && found_at) {
      EXPECT_EQ(*found_at, *offset) << what;
      // Image offsets are written in hexadecimal, stream and bitmap offsets in decimal.
      char prefix[40];
      std::snprintf(prefix, sizeof prefix, refusal == Refusal::image ? "offset 0x%zX:" : "offset %zu:", *offset);
      EXPECT_NE(what.find(prefix), std::string::npos) << "the message names the offset: " << what;
    }
  };
  try {
    runtime::Runtime rt(app::enzyme_project(image.image()));
    ADD_FAILURE() << "started on the broken image";
  } catch (const runtime::ImageError& e) {
    check("ImageError", Refusal::image, e.what(), e.offset());
  } catch (const runtime::RuntimeError& e) {
    check("RuntimeError", Refusal::runtime, e.what(), std::nullopt);
  } catch (const form::FormStreamError& e) {
    check("FormStreamError", Refusal::stream, e.what(), e.offset());
  } catch (const runtime::BitmapError& e) {
    check("BitmapError", Refusal::bitmap, e.what(), e.offset());
  }
}

TEST(ImageRefusal, TheUnbrokenCopyStarts) {
  Image image;
  runtime::Runtime rt(app::enzyme_project(image.image()));
  EXPECT_FALSE(rt.finished());
}

TEST(ImageRefusal, EveryBrokenImageIsRefusedAtStartUpWithItsOffset) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    expect_refusal(c);
  }
}

// Every cut of the image short of its stream is refused by the reader, never read past.
TEST(ImageRefusal, EveryTruncationOfTheRecordsIsRefused) {
  const Image whole;
  const std::size_t records = whole.off(whole.project().stream_address);
  const auto original = app::embedded_image();
  for (std::size_t n = 0; n < records; n += 7) {
    const std::vector<std::uint8_t> cut(original.bytes.begin(), original.bytes.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(runtime::Runtime(app::enzyme_project({cut, original.base})), runtime::ImageError) << "cut at " << n;
  }
}

// Through the start routine, a refusal ends the process with exit code 1 and says why.
TEST(ImageRefusalDeathTest, TheStartRoutineSaysWhyAndExitsWithOne) {
  Image image;
  image.put32(image.reset_body() + 4, 7);
  const auto bytes = image.image();
  EXPECT_EXIT(
      {
        runtime::HeadlessPlatform platform;
        runtime::ThunRTMain(app::enzyme_project(bytes), platform);
      },
      ::testing::ExitedWithCode(1),
      "morvane: cannot start: the project image, offset 0x[0-9A-F]+: expected a native routine index below 3");
}

TEST(ImageRefusalDeathTest, AStreamRefusalSaysItsOffsetCountsInTheStream) {
  Image image;
  image.put32(image.ft + L::form_table::stream_length, 0);
  const auto bytes = image.image();
  EXPECT_EXIT(
      {
        runtime::HeadlessPlatform platform;
        runtime::ThunRTMain(app::enzyme_project(bytes), platform);
      },
      ::testing::ExitedWithCode(1), "morvane: cannot start: the form description stream, offset 0: expected the header");
}

// An entry called with anything but the control's sink (or the form, for a method entry)
// is refused before the handler could follow a stray reference.
TEST(EntryCalls, AStrayObjectArgumentIsRefusedNotFollowed) {
  runtime::Runtime rt(app::enzyme_project());
  const auto& project = rt.project_info();
  const runtime::ControlEntryInfo& command = project.controls[5];
  const std::uint32_t entry = command.bound_slot(0)->entry;
  const std::uintptr_t form = rt.form().instance_address();
  for (const std::uintptr_t stray : {form + 0x1000, form, std::uintptr_t{0}, form + command.sink_place + 4}) {
    try {
      rt.call_entry(entry, stray, {});
      ADD_FAILURE() << "called the handler with a stray reference";
    } catch (const runtime::RuntimeError& e) {
      EXPECT_NE(std::string(e.what()).find("something else than the form"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(rt.call_entry(entry, form + command.sink_place, {}), 0) << "the sink itself still works";
}

}  // namespace
