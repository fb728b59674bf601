#include "app/project_image_builder.h"

#include <array>
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

namespace layout = formats::layout;
using form::Guid;

void guid(ImageWriter& w, std::string_view text) { w.raw(Guid::parse(text).bytes); }

// What the project says of itself.
constexpr std::string_view kProjectName = "Sollant1";
constexpr std::string_view kProjectDescription = "morvane";
constexpr std::string_view kExeName = "morvane";
constexpr std::string_view kProjectPath = "morvane/Sollant1.project";  // at build time; never read
constexpr std::string_view kProjectId = "{76B90194-8D72-4C8A-8E21-E49EF91E7C70}";
constexpr std::string_view kTypeLibraryId = "{8336B279-A0E2-4B5B-905E-7BB5E862C0E6}";
constexpr std::array<std::string_view, 2> kObjectIds{"{81C11BED-E461-4E10-A4EA-8DF8B9913257}",
                                                     "{79A89D41-780A-491D-A1B3-B80B08958FF6}"};
constexpr std::string_view kRuntimeLibraryId = "{FCFB3D2E-A0FA-1068-A738-08002B3371B5}";

// What the event entry of `handler` subtracts: its control's sink place less one, so
// that the sink becomes the form's address plus one.
std::uint32_t event_amount(std::uint32_t handler) {
  return sink_place(bound_place(static_cast<Handler>(handler))) - 1;
}

const std::array<const char*, 5> kImports{layout::kImportStartup, layout::kImportSinkQueryInterface, layout::kImportSinkAddRef,
                                           layout::kImportSinkRelease, layout::kImportErrorHandler};

// Lays the project image out record by record: each method writes one record (or one
// run of records) and patches the references to it that earlier records left open.
class ImageLayout {
 public:
  ImageLayout(std::span<const std::uint8_t> stream, std::uint32_t locale_id)
      : stream_(stream), stream_length_(static_cast<std::uint32_t>(stream.size())), locale_id_(locale_id) {}

  ImageWriter lay_out() && {
    descriptor();
    project_information();
    object_table();
    object_descriptor();
    object_information();
    method_list();
    identifiers();
    names();
    control_list_and_event_tables();
    program_code();
    imports();
    registration();
    form_table();
    version_resource();
    writable_area();
    form_stream();
    return std::move(w_);
  }

 private:
  void descriptor();
  void project_information();
  void object_table();
  void object_descriptor();
  void object_information();
  void method_list();
  void identifiers();
  void names();
  void control_list_and_event_tables();
  void program_code();
  void imports();
  void registration();
  void form_table();
  void version_resource();
  void writable_area();
  void form_stream();
  std::uint32_t class_ref(formats::ControlKind kind) const {
    for (const auto& [k, address] : class_address_)
      if (k == kind) return address;
    return 0;
  }

  std::span<const std::uint8_t> stream_;
  std::uint32_t stream_length_;
  std::uint32_t locale_id_;  // the project's language
  ImageWriter w_{kImageBase};
  // Addresses of records and of references left open until their target is laid out.
  std::vector<std::pair<formats::ControlKind, std::uint32_t>> class_address_;
  std::array<std::uint32_t, kForm1.size()> name_address_{};
  std::uint32_t object_descriptor_ = 0;
  std::uint32_t object_info_ = 0;
  std::uint32_t object_table_ = 0;
  std::uint32_t project_info_ = 0;
  std::array<std::uint32_t, kForm1.size()> ref_bound_slot_{};
  std::uint32_t ref_code_end_ = 0;
  std::uint32_t ref_code_start_ = 0;
  std::uint32_t ref_control_list_ = 0;
  std::uint32_t ref_error_handler_ = 0;
  std::uint32_t ref_external_table_ = 0;
  std::uint32_t ref_form_id_ = 0;
  std::uint32_t ref_form_table_ = 0;
  std::uint32_t ref_library_id_ = 0;
  std::uint32_t ref_method_list_1_ = 0;
  std::uint32_t ref_method_list_2_ = 0;
  std::array<std::uint32_t, kNativeCount> ref_methods_{};
  std::uint32_t ref_object_data_ = 0;
  std::uint32_t ref_object_ids_ = 0;
  std::uint32_t ref_object_info_ = 0;
  std::uint32_t ref_object_name_ = 0;
  std::uint32_t ref_object_table_ = 0;
  std::uint32_t ref_objects_ = 0;
  std::uint32_t ref_project_info_ = 0;
  std::uint32_t ref_registration_ = 0;
  std::uint32_t ref_stream_ = 0;
  std::uint32_t ref_thread_data_ = 0;
  std::vector<std::uint32_t> sink_routine_refs_;
};

// project descriptor: its fixed part, 16 zero bytes, then its strings
void ImageLayout::descriptor() {
  namespace d = layout::descriptor;
  ImageWriter& w = w_;
  const std::uint32_t start = w.here();
  w.record("descriptor");
  for (char c : d::signature_value) w.u8(static_cast<std::uint8_t>(c));
  w.u16(d::runtime_build_value);
  w.c_string(d::own_language_library, d::language_library_size);
  w.c_string(d::no_language_library, d::language_library_size);
  w.u16(d::runtime_revision_value);
  w.u32(locale_id_);
  w.u32(0);                   // second locale
  w.u32(0);                   // no start procedure: load the start-up form
  ref_project_info_ = w.reserve_ref();
  w.u32(d::control_classes_1_value);
  w.u32(d::control_classes_2_value);
  w.u32(d::single_threaded);
  w.u32(1);                   // thread count
  w.u16(1);                   // form count
  w.u16(0);                   // external components
  w.u32(d::runtime_setting_value);
  ref_form_table_ = w.reserve_ref();
  ref_external_table_ = w.reserve_ref();
  ref_registration_ = w.reserve_ref();
  // Each string's offset from the descriptor's start, then the strings one after another.
  const std::array<std::string_view, 4> strings{kProjectDescription, kExeName, "", kProjectName};
  std::uint32_t offset = d::strings;
  for (std::string_view text : strings) {
    w.u32(offset);
    offset += static_cast<std::uint32_t>(text.size()) + 1;
  }
  w.zeros(d::zeros_size);
  w.check_length(start, d::strings, "the descriptor's fixed part");
  for (std::string_view text : strings) w.c_string(text);
  w.align(4);                 // up to the project information that follows
  w.check_length(start, d::size, "the descriptor");
}

// project information
void ImageLayout::project_information() {
  ImageWriter& w = w_;
  w.record("project_info");
  project_info_ = w.here();
  w.patch_u32(ref_project_info_, project_info_);
  w.u32(layout::project_info::version_value);
  ref_object_table_ = w.reserve_ref();
  w.u32(0);
  ref_code_start_ = w.reserve_ref();
  ref_code_end_ = w.reserve_ref();
  w.u32(layout::kThreadDataSize);
  ref_thread_data_ = w.reserve_ref();
  ref_error_handler_ = w.reserve_ref();
  w.u32(0);
  w.c_string(kProjectPath, layout::project_info::project_path_size);
  w.check_length(project_info_, layout::project_info::size, "the project information");
}

// object table
void ImageLayout::object_table() {
  ImageWriter& w = w_;
  w.record("object_table");
  object_table_ = w.here();
  w.patch_u32(ref_object_table_, object_table_);
  w.u32(0);
  w.ref(project_info_);
  guid(w, kProjectId);
  w.u16(1);  // objects
  w.u16(1);  // compiled
  w.u16(1);  // in use
  w.u16(0);
  ref_objects_ = w.reserve_ref();
  w.u32(locale_id_);
  w.u32(locale_id_);
  w.ref(object_table_ + layout::object_table::project_name);
  w.c_string(kProjectName, layout::object_table::project_name_size);
  guid(w, kForm1Form.object_id);
  w.check_length(object_table_, layout::object_table::size, "the object table");
}

// object descriptor of Form1
void ImageLayout::object_descriptor() {
  ImageWriter& w = w_;
  w.record("object_descriptor");
  object_descriptor_ = w.here();
  w.patch_u32(ref_objects_, object_descriptor_);
  ref_object_info_ = w.reserve_ref();
  w.u32(0);
  ref_object_name_ = w.reserve_ref();
  w.u32(kNativeCount);
  ref_method_list_1_ = w.reserve_ref();
  w.u32(layout::object_descriptor::form_type);
  w.u32(0);
  w.u32(0);
  w.check_length(object_descriptor_, layout::object_descriptor::size, "the object descriptor");
}

// object information and its optional part
void ImageLayout::object_information() {
  ImageWriter& w = w_;
  w.record("object_info");
  object_info_ = w.here();
  w.patch_u32(ref_object_info_, object_info_);
  w.ref(object_table_);
  w.ref(object_descriptor_);
  ref_object_data_ = w.reserve_ref();
  w.u32(kNativeCount);
  ref_method_list_2_ = w.reserve_ref();
  w.u32(layout::object_info::form_id_count_value);
  ref_form_id_ = w.reserve_ref();
  w.u32(layout::object_info::object_id_count_value);
  ref_object_ids_ = w.reserve_ref();
  w.u32(static_cast<std::uint32_t>(kForm1.size()));
  ref_control_list_ = w.reserve_ref();
  w.u32(kInstanceSize);
  ref_library_id_ = w.reserve_ref();
  w.check_length(object_info_, layout::object_info::size, "the object information");
}

// method list: the method entries, patched once the code is laid out
void ImageLayout::method_list() {
  ImageWriter& w = w_;
  w.record("method_list");
  const std::uint32_t method_list = w.here();
  w.patch_u32(ref_method_list_1_, method_list);
  w.patch_u32(ref_method_list_2_, method_list);
  for (auto& r : ref_methods_) r = w.reserve_ref();
}

// identifiers
void ImageLayout::identifiers() {
  ImageWriter& w = w_;
  w.record("form_id");
  w.patch_u32(ref_form_id_, w.here());
  guid(w, kForm1Form.id);
  w.record("object_ids");
  w.patch_u32(ref_object_ids_, w.here());
  for (std::string_view id : kObjectIds) guid(w, id);
  w.record("library_id");
  w.patch_u32(ref_library_id_, w.here());
  guid(w, kRuntimeLibraryId);
  // The class identifiers of the kinds in use, in the order the control list first names them.
  for (const Form1Entry& c : kForm1) {
    if (class_ref(c.kind) != 0) continue;
    w.record("class_id_" + std::to_string(class_address_.size()));
    class_address_.emplace_back(c.kind, w.here());
    w.raw(formats::kind_facts(c.kind).class_id);
  }
}

// names
void ImageLayout::names() {
  ImageWriter& w = w_;
  w.record("object_name");
  w.patch_u32(ref_object_name_, w.here());
  w.c_string(kForm1Form.name);
  for (std::size_t i = 0; i < kForm1.size(); ++i) {
    w.record("name_" + std::string(kForm1[i].name));
    name_address_[i] = w.here();
    w.c_string(kForm1[i].name);
  }
  w.align(4);
}

// control list, then the event tables in list order
void ImageLayout::control_list_and_event_tables() {
  ImageWriter& w = w_;
  w.record("control_list");
  const std::uint32_t control_list = w.here();
  w.patch_u32(ref_control_list_, control_list);
  std::array<std::uint32_t, kForm1.size()> ref_event_table{};
  for (std::size_t i = 0; i < kForm1.size(); ++i) {
    const Form1Entry& c = kForm1[i];
    const formats::KindFacts& kind = formats::kind_facts(c.kind);
    namespace entry = layout::control_entry;
    const std::uint32_t start = w.here();
    const std::uint16_t second = c.number == entry::form_number ? entry::form_number : entry::control_second_word;
    w.u16(entry::flags_value);
    w.u16(static_cast<std::uint16_t>(kind.slot_count));
    w.u32(sink_place(i));
    w.ref(class_ref(c.kind));
    w.u16(c.number);
    w.u16(second);
    w.u32(0);
    w.u32(0);
    ref_event_table[i] = w.reserve_ref();
    w.u32(kind.entry_value);
    w.ref(name_address_[i]);
    w.u16(c.number);
    w.u16(second);
    w.check_length(start, entry::size, "a control entry");
  }
  for (std::size_t i = 0; i < kForm1.size(); ++i) {
    const Form1Entry& c = kForm1[i];
    const int bound_slot = c.bound ? formats::event_slot(c.kind, c.bound->event).value_or(-1) : -1;
    w.record("event_table_" + std::string(c.name));
    const std::uint32_t table = w.here();
    w.patch_u32(ref_event_table[i], table);
    w.u32(0);
    w.ref(control_list + static_cast<std::uint32_t>(i) * layout::control_entry::size);
    w.ref(object_info_);
    for (int k = 0; k < 3; ++k) sink_routine_refs_.push_back(w.reserve_ref());
    for (int slot = 0; slot < formats::kind_facts(c.kind).slot_count; ++slot) {
      if (slot == bound_slot)
        ref_bound_slot_[i] = w.reserve_ref();
      else
        w.u32(0);
    }
    w.check_length(table, layout::event_table::header_size + 4u * static_cast<std::uint32_t>(formats::kind_facts(c.kind).slot_count),
                   "an event table");
  }
}

// the program's code
void ImageLayout::program_code() {
  ImageWriter& w = w_;
  w.record("code");
  const std::uint32_t code_start = w.here();
  w.patch_u32(ref_code_start_, code_start);
  w.fill(layout::code::marker_size, layout::code::open_byte);
  std::array<std::uint32_t, kNativeCount> event_entry{}, method_entry{}, jump_event{}, jump_method{};
  for (std::uint32_t h = 0; h < kNativeCount; ++h) {
    w.record("event_entry_" + std::to_string(h));
    event_entry[h] = w.here();
    w.raw(layout::code::sub_arg);
    w.u32(event_amount(h));
    w.u8(layout::code::jmp_rel32);
    jump_event[h] = w.reserve_u32();
    w.pad_to(event_entry[h], layout::code::event_entry_size, layout::code::padding, "an event entry");
  }
  for (std::uint32_t h = 0; h < kNativeCount; ++h) {
    w.record("method_entry_" + std::to_string(h));
    method_entry[h] = w.here();
    w.u8(layout::code::jmp_rel32);
    jump_method[h] = w.reserve_u32();
    w.pad_to(method_entry[h], layout::code::method_entry_size, layout::code::padding, "a method entry");
  }
  for (std::uint32_t h = 0; h < kNativeCount; ++h) {
    w.record("handler_body_" + std::to_string(h));
    const std::uint32_t body = w.here();
    w.raw(layout::code::native_marker);
    w.u32(h);
    // In a module of its own, the handler's routine lies outside the image: its address
    // goes here (the flat image keeps the padding).
    w.external(body + layout::code::routine_address, handler_routine_symbol(static_cast<Handler>(h)));
    w.pad_to(body, layout::code::handler_body_size, layout::code::padding, "a handler body");
    // rel32 counts from the end of the jump instruction.
    w.patch_u32(jump_event[h], body - (jump_event[h] - 1 + layout::code::jump_size));
    w.patch_u32(jump_method[h], body - (jump_method[h] - 1 + layout::code::jump_size));
    w.patch_u32(ref_methods_[h], method_entry[h]);
  }
  w.record("code_end");
  const std::uint32_t code_end = w.here();
  w.patch_u32(ref_code_end_, code_end);
  w.fill(layout::code::marker_size, layout::code::close_byte);
  for (std::size_t i = 0; i < kForm1.size(); ++i)
    if (kForm1[i].bound)
      w.patch_u32(ref_bound_slot_[i], event_entry[static_cast<std::size_t>(kForm1[i].bound->handler)]);
}

// imports: stubs, slots and names of the runtime's routines
void ImageLayout::imports() {
  ImageWriter& w = w_;
  std::array<std::uint32_t, kImports.size()> stub{}, ref_slot{};
  for (std::size_t i = 0; i < kImports.size(); ++i) {
    w.record(std::string("import_stub_") + kImports[i]);
    stub[i] = w.here();
    w.raw(layout::import_stub::jmp_indirect);
    ref_slot[i] = w.reserve_ref();
    w.pad_to(stub[i], layout::import_stub::size, layout::code::padding, "an import stub");
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
  for (std::size_t i = 0; i < sink_routine_refs_.size(); ++i) w.patch_u32(sink_routine_refs_[i], stub[1 + i % 3]);
  w.patch_u32(ref_error_handler_, stub[4]);
}

// registration data
void ImageLayout::registration() {
  ImageWriter& w = w_;
  w.record("registration");
  const std::uint32_t registration = w.here();
  w.patch_u32(ref_registration_, registration);
  w.u32(layout::registration::project_name);
  w.u32(0);  // no classes registered
  guid(w, kTypeLibraryId);
  w.u32(0);  // type library locale
  w.u16(1);  // version 1.0
  w.u16(0);
  w.c_string(kProjectName, layout::registration::project_name_size);
  w.check_length(registration, layout::registration::size, "the registration data");
}

// form table, one entry of 80 bytes
void ImageLayout::form_table() {
  ImageWriter& w = w_;
  w.record("form_table");
  const std::uint32_t form_table = w.here();
  w.patch_u32(ref_form_table_, form_table);
  w.patch_u32(ref_external_table_, form_table);
  namespace table = layout::form_table;
  w.u32(table::size);
  guid(w, kForm1Form.id);
  w.zeros(table::runtime_setting - table::zeros);
  w.u32(table::runtime_setting_value);
  w.u32(0);
  w.zeros(16);                // zero identifier
  w.u32(stream_length_);
  w.u32(0);
  ref_stream_ = w.reserve_ref();
  w.u32(table::runtime_setting_2_value);
  w.check_length(form_table, table::size, "the form table");
}

// version resource
void ImageLayout::version_resource() {
  ImageWriter& w = w_;
  w.record("version_resource");
  w.raw(version_resource_bytes());
  w.align(16);
}

// writable area, all zero; the per-thread data lies inside it
void ImageLayout::writable_area() {
  ImageWriter& w = w_;
  w.record("writable");
  const std::uint32_t writable = w.here();
  w.zeros(layout::kWritableSize);
  w.patch_u32(ref_object_data_, writable);
  w.patch_u32(ref_thread_data_, writable + layout::kThreadDataOffset);
}

// the form description stream
void ImageLayout::form_stream() {
  ImageWriter& w = w_;
  w.align(16);
  w.record("form_stream");
  w.patch_u32(ref_stream_, w.here());
  w.raw(stream_);
}

}  // namespace

ImageWriter lay_out_project_image(std::span<const std::uint8_t> stream, std::uint32_t locale_id) {
  // The form table records the stream's length and place: there is no image without it.
  if (stream.empty()) throw std::invalid_argument("no form description stream to place in the project image");
  if (stream.size() > 0xFFFFFFFFu - kImageBase)
    throw std::invalid_argument("a form description stream of " + std::to_string(stream.size()) +
                                " bytes does not fit in a 32-bit image");
  return ImageLayout(stream, locale_id).lay_out();
}

std::vector<std::uint8_t> build_project_image(std::span<const std::uint8_t> stream, std::uint32_t locale_id) {
  return lay_out_project_image(stream, locale_id).take();
}

}  // namespace morvane::app
