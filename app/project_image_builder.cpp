#include "app/project_image_builder.h"

#include <array>
#include <string>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/form1.h"
#include "app/image_writer.h"
#include "app/version_resource.h"
#include "form/window_model.h"
#include "formats/image_layout.h"

namespace morvane::app {
namespace {

namespace L = formats::layout;
using form::Guid;

void guid(ImageWriter& w, const char* text) { w.raw(Guid::parse(text).bytes); }

// What the event entry of `handler` subtracts: its control's sink place less one, so
// that the sink becomes the form's address plus one.
std::uint32_t event_amount(std::uint32_t handler) {
  return sink_place(bound_place(static_cast<Handler>(handler))) - 1;
}

const std::array<const char*, 5> kImports{L::kImportStartup, L::kImportSinkQueryInterface, L::kImportSinkAddRef,
                                           L::kImportSinkRelease, L::kImportErrorHandler};

}  // namespace

ImageWriter lay_out_project_image(std::span<const std::uint8_t> stream) {
  // The form table records the stream's length and place: there is no image without it.
  if (stream.empty()) throw std::invalid_argument("no form description stream to place in the project image");
  if (stream.size() > 0xFFFFFFFFu - kImageBase)
    throw std::invalid_argument("a form description stream of " + std::to_string(stream.size()) +
                                " bytes does not fit in a 32-bit image");
  const auto stream_length = static_cast<std::uint32_t>(stream.size());
  ImageWriter w(kImageBase);

  // ---- project descriptor, 148 bytes ----
  w.record("descriptor");
  for (char c : std::string_view("VB5!")) w.u8(static_cast<std::uint8_t>(c));
  w.u16(0x1FF0);              // runtime build 8176
  w.c_string("*", 14);        // language library: the runtime's own
  w.c_string("~", 14);        // second language library: none
  w.u16(10);                  // runtime revision
  w.u32(0x0409);              // locale
  w.u32(0);                   // second locale
  w.u32(0);                   // no start procedure: load the start-up form
  const std::uint32_t ref_project_info = w.reserve_ref();
  w.u32(0x0030F013);          // control classes used
  w.u32(0xFFFFFF00);
  w.u32(L::descriptor::single_threaded);
  w.u32(1);                   // thread count
  w.u16(1);                   // form count
  w.u16(0);                   // external components
  w.u32(233);                 // runtime setting
  const std::uint32_t ref_form_table = w.reserve_ref();
  const std::uint32_t ref_external_table = w.reserve_ref();
  const std::uint32_t ref_registration = w.reserve_ref();
  w.u32(0x78);
  w.u32(0x80);
  w.u32(0x88);
  w.u32(0x89);
  w.zeros(16);
  w.c_string("morvane");      // 0x78 description
  w.c_string("morvane");      // 0x80 executable name
  w.c_string("");             // 0x88 help file
  w.c_string("Sollant1");     // 0x89 project name
  w.zeros(2);

  // ---- project information ----
  w.record("project_info");
  const std::uint32_t project_info = w.here();
  w.patch_u32(ref_project_info, project_info);
  w.u32(500);
  const std::uint32_t ref_object_table = w.reserve_ref();
  w.u32(0);
  const std::uint32_t ref_code_start = w.reserve_ref();
  const std::uint32_t ref_code_end = w.reserve_ref();
  w.u32(L::kThreadDataSize);
  const std::uint32_t ref_thread_data = w.reserve_ref();
  const std::uint32_t ref_error_handler = w.reserve_ref();
  w.u32(0);
  w.c_string("morvane/Sollant1.project", L::project_info::project_path_size);

  // ---- object table ----
  w.record("object_table");
  const std::uint32_t object_table = w.here();
  w.patch_u32(ref_object_table, object_table);
  w.u32(0);
  w.ref(project_info);
  guid(w, "{76B90194-8D72-4C8A-8E21-E49EF91E7C70}");
  w.u16(1);  // objects
  w.u16(1);  // compiled
  w.u16(1);  // in use
  w.u16(0);
  const std::uint32_t ref_objects = w.reserve_ref();
  w.u32(0x0409);
  w.u32(0x0409);
  w.ref(object_table + L::object_table::project_name);
  w.c_string("Sollant1", 12);
  guid(w, "{773ABDB0-3B1B-4EBB-8028-71B8E10809A3}");

  // ---- object descriptor of Form1 ----
  w.record("object_descriptor");
  const std::uint32_t object_descriptor = w.here();
  w.patch_u32(ref_objects, object_descriptor);
  const std::uint32_t ref_object_info = w.reserve_ref();
  w.u32(0);
  const std::uint32_t ref_object_name = w.reserve_ref();
  w.u32(kNativeCount);
  const std::uint32_t ref_method_list_1 = w.reserve_ref();
  w.u32(0x00018083);
  w.u32(0);
  w.u32(0);

  // ---- object information and its optional part ----
  w.record("object_info");
  const std::uint32_t object_info = w.here();
  w.patch_u32(ref_object_info, object_info);
  w.ref(object_table);
  w.ref(object_descriptor);
  const std::uint32_t ref_object_data = w.reserve_ref();
  w.u32(kNativeCount);
  const std::uint32_t ref_method_list_2 = w.reserve_ref();
  w.u32(1);
  const std::uint32_t ref_form_id = w.reserve_ref();
  w.u32(2);
  const std::uint32_t ref_object_ids = w.reserve_ref();
  w.u32(static_cast<std::uint32_t>(kForm1.size()));
  const std::uint32_t ref_control_list = w.reserve_ref();
  w.u32(kInstanceSize);
  const std::uint32_t ref_library_id = w.reserve_ref();

  // ---- method list: the method entries, patched once the code is laid out ----
  w.record("method_list");
  const std::uint32_t method_list = w.here();
  w.patch_u32(ref_method_list_1, method_list);
  w.patch_u32(ref_method_list_2, method_list);
  std::array<std::uint32_t, kNativeCount> ref_methods{};
  for (auto& r : ref_methods) r = w.reserve_ref();

  // ---- identifiers ----
  w.record("form_id");
  w.patch_u32(ref_form_id, w.here());
  guid(w, "{9CAA7CE9-B2A8-4D9F-9289-1D44A051B2E5}");
  w.record("object_ids");
  w.patch_u32(ref_object_ids, w.here());
  guid(w, "{81C11BED-E461-4E10-A4EA-8DF8B9913257}");
  guid(w, "{79A89D41-780A-491D-A1B3-B80B08958FF6}");
  w.record("library_id");
  w.patch_u32(ref_library_id, w.here());
  guid(w, "{FCFB3D2E-A0FA-1068-A738-08002B3371B5}");
  // The class identifiers of the kinds in use, in the order the control list first names them.
  std::vector<std::pair<formats::ControlKind, std::uint32_t>> class_address;
  auto class_ref = [&](formats::ControlKind kind) {
    for (const auto& [k, address] : class_address)
      if (k == kind) return address;
    return std::uint32_t{0};
  };
  for (const Form1Entry& c : kForm1) {
    if (class_ref(c.kind) != 0) continue;
    w.record("class_id_" + std::to_string(class_address.size()));
    class_address.emplace_back(c.kind, w.here());
    w.raw(formats::kind_facts(c.kind).class_id);
  }

  // ---- names ----
  w.record("object_name");
  w.patch_u32(ref_object_name, w.here());
  w.c_string("Form1");
  std::array<std::uint32_t, kForm1.size()> name_address{};
  for (std::size_t i = 0; i < kForm1.size(); ++i) {
    w.record("name_" + std::string(kForm1[i].name));
    name_address[i] = w.here();
    w.c_string(kForm1[i].name);
  }
  w.align(4);

  // ---- control list, then the event tables in list order ----
  w.record("control_list");
  const std::uint32_t control_list = w.here();
  w.patch_u32(ref_control_list, control_list);
  std::array<std::uint32_t, kForm1.size()> ref_event_table{};
  for (std::size_t i = 0; i < kForm1.size(); ++i) {
    const Form1Entry& c = kForm1[i];
    const formats::KindFacts& kind = formats::kind_facts(c.kind);
    const std::uint16_t second = c.number == 0xFFFF ? 0xFFFF : 3;
    w.u16(0x0040);
    w.u16(static_cast<std::uint16_t>(kind.slot_count));
    w.u32(sink_place(i));
    w.ref(class_ref(c.kind));
    w.u16(c.number);
    w.u16(second);
    w.u32(0);
    w.u32(0);
    ref_event_table[i] = w.reserve_ref();
    w.u32(kind.entry_value);
    w.ref(name_address[i]);
    w.u16(c.number);
    w.u16(second);
  }
  std::array<std::uint32_t, kForm1.size()> ref_bound_slot{};
  std::vector<std::uint32_t> sink_routine_refs;
  for (std::size_t i = 0; i < kForm1.size(); ++i) {
    const Form1Entry& c = kForm1[i];
    const int bound_slot = c.bound ? formats::event_slot(c.kind, c.bound->event).value_or(-1) : -1;
    w.record("event_table_" + std::string(c.name));
    w.patch_u32(ref_event_table[i], w.here());
    w.u32(0);
    w.ref(control_list + static_cast<std::uint32_t>(i) * L::control_entry::size);
    w.ref(object_info);
    for (int k = 0; k < 3; ++k) sink_routine_refs.push_back(w.reserve_ref());
    for (int slot = 0; slot < formats::kind_facts(c.kind).slot_count; ++slot) {
      if (slot == bound_slot)
        ref_bound_slot[i] = w.reserve_ref();
      else
        w.u32(0);
    }
  }

  // ---- the program's code ----
  namespace C = L::code;
  w.record("code");
  const std::uint32_t code_start = w.here();
  w.patch_u32(ref_code_start, code_start);
  w.fill(4, C::open_byte);
  std::array<std::uint32_t, kNativeCount> event_entry{}, method_entry{}, jump_event{}, jump_method{};
  for (std::uint32_t h = 0; h < kNativeCount; ++h) {
    w.record("event_entry_" + std::to_string(h));
    event_entry[h] = w.here();
    w.raw(C::sub_arg);
    w.u32(event_amount(h));
    w.u8(C::jmp_rel32);
    jump_event[h] = w.reserve_u32();
    w.fill(3, C::padding);
  }
  for (std::uint32_t h = 0; h < kNativeCount; ++h) {
    w.record("method_entry_" + std::to_string(h));
    method_entry[h] = w.here();
    w.u8(C::jmp_rel32);
    jump_method[h] = w.reserve_u32();
    w.fill(3, C::padding);
  }
  for (std::uint32_t h = 0; h < kNativeCount; ++h) {
    w.record("handler_body_" + std::to_string(h));
    const std::uint32_t body = w.here();
    w.raw(C::native_marker);
    w.u32(h);
    // In a module of its own, the handler's routine lies outside the image: its address
    // goes here (the flat image keeps the padding).
    w.external(w.here(), kHandlerRoutines[h]);
    w.fill(8, C::padding);
    // rel32 counts from the end of the jump instruction.
    w.patch_u32(jump_event[h], body - (jump_event[h] + 4));
    w.patch_u32(jump_method[h], body - (jump_method[h] + 4));
    w.patch_u32(ref_methods[h], method_entry[h]);
  }
  w.record("code_end");
  const std::uint32_t code_end = w.here();
  w.patch_u32(ref_code_end, code_end);
  w.fill(4, C::close_byte);
  for (std::size_t i = 0; i < kForm1.size(); ++i)
    if (kForm1[i].bound)
      w.patch_u32(ref_bound_slot[i], event_entry[static_cast<std::size_t>(kForm1[i].bound->handler)]);

  // ---- imports: stubs, slots and names of the runtime's routines ----
  std::array<std::uint32_t, kImports.size()> stub{}, ref_slot{};
  for (std::size_t i = 0; i < kImports.size(); ++i) {
    w.record(std::string("import_stub_") + kImports[i]);
    stub[i] = w.here();
    w.raw(L::import_stub::jmp_indirect);
    ref_slot[i] = w.reserve_ref();
    w.fill(2, C::padding);
  }
  std::array<std::uint32_t, kImports.size()> ref_name{};
  for (std::size_t i = 0; i < kImports.size(); ++i) {
    w.record(std::string("import_slot_") + kImports[i]);
    w.patch_u32(ref_slot[i], w.here());
    ref_name[i] = w.reserve_ref();
  }
  w.u32(0);
  for (std::size_t i = 0; i < kImports.size(); ++i) {
    w.align(2);
    w.record(std::string("import_name_") + kImports[i]);
    w.patch_u32(ref_name[i], w.here());
    w.u16(static_cast<std::uint16_t>(i));
    w.c_string(kImports[i]);
  }
  w.align(4);
  for (std::size_t i = 0; i < sink_routine_refs.size(); ++i) w.patch_u32(sink_routine_refs[i], stub[1 + i % 3]);
  w.patch_u32(ref_error_handler, stub[4]);

  // ---- registration data ----
  w.record("registration");
  const std::uint32_t registration = w.here();
  w.patch_u32(ref_registration, registration);
  w.u32(L::registration::project_name);
  w.u32(0);  // no classes registered
  guid(w, "{8336B279-A0E2-4B5B-905E-7BB5E862C0E6}");
  w.u32(0);  // type library locale
  w.u16(1);  // version 1.0
  w.u16(0);
  w.c_string("Sollant1", 12);

  // ---- form table, one entry of 80 bytes ----
  w.record("form_table");
  const std::uint32_t form_table = w.here();
  w.patch_u32(ref_form_table, form_table);
  w.patch_u32(ref_external_table, form_table);
  w.u32(L::form_table::size);
  guid(w, "{9CAA7CE9-B2A8-4D9F-9289-1D44A051B2E5}");
  w.zeros(20);
  w.u32(784);
  w.u32(0);
  w.zeros(16);
  w.u32(stream_length);
  w.u32(0);
  const std::uint32_t ref_stream = w.reserve_ref();
  w.u32(76);

  // ---- version resource ----
  w.record("version_resource");
  w.raw(version_resource_bytes());
  w.align(16);

  // ---- writable area, all zero; the per-thread data lies inside it ----
  w.record("writable");
  const std::uint32_t writable = w.here();
  w.zeros(L::kWritableSize);
  w.patch_u32(ref_object_data, writable);
  w.patch_u32(ref_thread_data, writable + L::kThreadDataOffset);

  // ---- the form description stream ----
  w.align(16);
  w.record("form_stream");
  w.patch_u32(ref_stream, w.here());
  w.raw(stream);

  return w;
}

std::vector<std::uint8_t> build_project_image(std::span<const std::uint8_t> stream) {
  return lay_out_project_image(stream).take();
}

}  // namespace morvane::app
