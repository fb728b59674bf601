// Byte layout of the project image: the project descriptor and the records that
// hang off it. References are 32-bit addresses: the image's base plus the offset.
// The program's image builder writes these layouts and the start-up reads them.
#pragma once

#include <cstdint>

namespace morvane::formats::layout {

// Project descriptor: 148 bytes.
namespace descriptor {
inline constexpr std::uint32_t size = 148;
inline constexpr std::uint32_t signature = 0x00;          // 4 bytes "VB5!"
inline constexpr std::uint32_t runtime_build = 0x04;      // u16
inline constexpr std::uint32_t language_library = 0x06;   // 14 bytes
inline constexpr std::uint32_t second_language_library = 0x14;  // 14 bytes
inline constexpr std::uint32_t runtime_revision = 0x22;   // u16
inline constexpr std::uint32_t locale = 0x24;
inline constexpr std::uint32_t second_locale = 0x28;
inline constexpr std::uint32_t start_procedure = 0x2C;
inline constexpr std::uint32_t project_info = 0x30;
inline constexpr std::uint32_t control_classes_1 = 0x34;
inline constexpr std::uint32_t control_classes_2 = 0x38;
inline constexpr std::uint32_t thread_flags = 0x3C;
inline constexpr std::uint32_t thread_count = 0x40;
inline constexpr std::uint32_t form_count = 0x44;         // u16
inline constexpr std::uint32_t external_count = 0x46;     // u16
inline constexpr std::uint32_t runtime_setting = 0x48;
inline constexpr std::uint32_t form_table = 0x4C;
inline constexpr std::uint32_t external_table = 0x50;
inline constexpr std::uint32_t registration = 0x54;
inline constexpr std::uint32_t description_offset = 0x58;
inline constexpr std::uint32_t exe_name_offset = 0x5C;
inline constexpr std::uint32_t help_file_offset = 0x60;
inline constexpr std::uint32_t project_name_offset = 0x64;
inline constexpr std::uint32_t zeros = 0x68;              // 16 zero bytes
inline constexpr std::uint32_t zeros_size = 16;
inline constexpr std::uint32_t strings = 0x78;            // the NUL-terminated strings, to the end
static_assert(strings == zeros + zeros_size);

inline constexpr char signature_value[4] = {'V', 'B', '5', '!'};
inline constexpr std::uint16_t runtime_build_value = 8176;
inline constexpr std::uint32_t language_library_size = 14;
inline constexpr const char* own_language_library = "*";  // the runtime's own language resources
inline constexpr const char* no_language_library = "~";
inline constexpr std::uint16_t runtime_revision_value = 10;
inline constexpr std::uint32_t control_classes_1_value = 0x0030F013;  // bits 0, 1, 4, 13: the kinds in use
inline constexpr std::uint32_t control_classes_2_value = 0xFFFFFF00;  // passed on unchanged
inline constexpr std::uint32_t single_threaded = 8;       // thread flag
inline constexpr std::uint32_t runtime_setting_value = 233;
}  // namespace descriptor

// Project information.
namespace project_info {
inline constexpr std::uint32_t size = 0x128;
inline constexpr std::uint32_t version = 0x00;
inline constexpr std::uint32_t version_value = 500;
inline constexpr std::uint32_t object_table = 0x04;
inline constexpr std::uint32_t code_start = 0x0C;         // address of E9 E9 E9 E9
inline constexpr std::uint32_t code_end = 0x10;           // address just past 9E 9E 9E 9E
inline constexpr std::uint32_t thread_data_size = 0x14;   // 2540
inline constexpr std::uint32_t thread_data = 0x18;
inline constexpr std::uint32_t error_handler = 0x1C;      // import stub of the runtime's error handler
inline constexpr std::uint32_t project_path = 0x24;       // 260 bytes, NUL-filled
inline constexpr std::uint32_t project_path_size = 260;
static_assert(project_path + project_path_size == size);
}  // namespace project_info

// Object table.
namespace object_table {
inline constexpr std::uint32_t size = 0x4C;
inline constexpr std::uint32_t project_info = 0x04;
inline constexpr std::uint32_t project_id = 0x08;         // 16 bytes
inline constexpr std::uint32_t object_count = 0x18;       // u16
inline constexpr std::uint32_t compiled_count = 0x1A;     // u16
inline constexpr std::uint32_t in_use_count = 0x1C;       // u16
inline constexpr std::uint32_t objects = 0x20;            // array of object descriptors
inline constexpr std::uint32_t locale = 0x24;
inline constexpr std::uint32_t second_locale = 0x28;
inline constexpr std::uint32_t project_name_ref = 0x2C;
inline constexpr std::uint32_t project_name = 0x30;       // 12 bytes, NUL-filled
inline constexpr std::uint32_t project_name_size = 12;
inline constexpr std::uint32_t object_id = 0x3C;          // 16 bytes, follows the name
static_assert(project_name + project_name_size == object_id && object_id + 16 == size);
}  // namespace object_table

// Object descriptor, one per object.
namespace object_descriptor {
inline constexpr std::uint32_t size = 0x20;
inline constexpr std::uint32_t object_info = 0x00;
inline constexpr std::uint32_t name = 0x08;
inline constexpr std::uint32_t method_count = 0x0C;
inline constexpr std::uint32_t method_list = 0x10;
inline constexpr std::uint32_t object_type = 0x14;
inline constexpr std::uint32_t type_form = 0x00000080;
inline constexpr std::uint32_t type_has_optional_info = 0x00000003;
inline constexpr std::uint32_t type_compiled = 0x00018000;
// A compiled form with optional object information: 0x00018083.
inline constexpr std::uint32_t form_type = type_compiled | type_form | type_has_optional_info;
}  // namespace object_descriptor

// Object information with its optional part.
namespace object_info {
inline constexpr std::uint32_t size = 0x34;
inline constexpr std::uint32_t object_table = 0x00;
inline constexpr std::uint32_t object_descriptor = 0x04;
inline constexpr std::uint32_t object_data = 0x08;        // writable, filled by the runtime
inline constexpr std::uint32_t method_count = 0x0C;
inline constexpr std::uint32_t method_list = 0x10;
inline constexpr std::uint32_t form_id_count = 0x14;      // 1
inline constexpr std::uint32_t form_id = 0x18;            // reference to the form's identifier
inline constexpr std::uint32_t object_id_count = 0x1C;    // 2
inline constexpr std::uint32_t object_ids = 0x20;         // reference to two identifiers
inline constexpr std::uint32_t control_count = 0x24;
inline constexpr std::uint32_t control_list = 0x28;
inline constexpr std::uint32_t instance_size = 0x2C;      // bytes of the form object's instance block
inline constexpr std::uint32_t library_id = 0x30;         // reference to the runtime library's identifier
inline constexpr std::uint32_t form_id_count_value = 1;
inline constexpr std::uint32_t object_id_count_value = 2;
// The form object's instance block starts with a header that the runtime keeps for
// itself; the event sinks lie after it.
inline constexpr std::uint32_t instance_header_size = 16;
inline constexpr std::uint32_t max_instance_size = 0x10000;
}  // namespace object_info

// Control entry: 40 bytes.
namespace control_entry {
inline constexpr std::uint32_t size = 40;
inline constexpr std::uint32_t flags = 0x00;              // u16
inline constexpr std::uint32_t slot_count = 0x02;         // u16
inline constexpr std::uint32_t sink_place = 0x04;
inline constexpr std::uint32_t class_id = 0x08;
inline constexpr std::uint32_t number = 0x0C;             // u16, form_number for the form
inline constexpr std::uint32_t second_word = 0x0E;        // u16: control_second_word, form_number for the form
inline constexpr std::uint32_t zeros = 0x10;              // two zero words
inline constexpr std::uint32_t event_table = 0x18;
inline constexpr std::uint32_t kind_value = 0x1C;
inline constexpr std::uint32_t name = 0x20;
inline constexpr std::uint32_t number_again = 0x24;       // u16, u16
inline constexpr std::uint16_t form_number = 0xFFFF;
inline constexpr std::uint16_t flags_value = 0x0040;
inline constexpr std::uint16_t control_second_word = 3;
static_assert(number_again + 4 == size);
}  // namespace control_entry

// Event table: 24 bytes and 4 per slot.
namespace event_table {
inline constexpr std::uint32_t header_size = 24;
inline constexpr std::uint32_t control_entry = 0x04;
inline constexpr std::uint32_t object_info = 0x08;
inline constexpr std::uint32_t query_interface = 0x0C;
inline constexpr std::uint32_t add_ref = 0x10;
inline constexpr std::uint32_t release = 0x14;
inline constexpr std::uint32_t slots = 0x18;
}  // namespace event_table

// Form table entry: 80 bytes.
namespace form_table {
inline constexpr std::uint32_t size = 80;
inline constexpr std::uint32_t entry_size = 0x00;
inline constexpr std::uint32_t form_id = 0x04;
inline constexpr std::uint32_t zeros = 0x14;               // five zero words
inline constexpr std::uint32_t runtime_setting = 0x28;
inline constexpr std::uint32_t zero_id = 0x30;
inline constexpr std::uint32_t stream_length = 0x40;
inline constexpr std::uint32_t stream = 0x48;
inline constexpr std::uint32_t runtime_setting_2 = 0x4C;
inline constexpr std::uint32_t runtime_setting_value = 784;
inline constexpr std::uint32_t runtime_setting_2_value = 76;
static_assert(runtime_setting_2 + 4 == size);
}  // namespace form_table

// Registration data.
namespace registration {
inline constexpr std::uint32_t size = 0x2C;
inline constexpr std::uint32_t project_name_offset = 0x00;
inline constexpr std::uint32_t class_count = 0x04;
inline constexpr std::uint32_t typelib_id = 0x08;
inline constexpr std::uint32_t typelib_locale = 0x18;
inline constexpr std::uint32_t typelib_major = 0x1C;       // u16
inline constexpr std::uint32_t typelib_minor = 0x1E;       // u16
inline constexpr std::uint32_t project_name = 0x20;
inline constexpr std::uint32_t project_name_size = 12;
static_assert(project_name + project_name_size == size);
}  // namespace registration

// Code: opened by E9 E9 E9 E9, closed by 9E 9E 9E 9E.
namespace code {
inline constexpr std::uint8_t open_byte = 0xE9;
inline constexpr std::uint8_t close_byte = 0x9E;
// Event entry, 16 bytes: "sub dword [esp+4], imm32" then "jmp rel32" into the handler.
inline constexpr std::uint32_t event_entry_size = 16;
inline constexpr std::uint8_t sub_arg[4] = {0x81, 0x6C, 0x24, 0x04};
inline constexpr std::uint32_t sub_amount = 4;            // the imm32 after sub_arg
inline constexpr std::uint32_t event_jump = 8;            // the jump after the subtraction
inline constexpr std::uint8_t jmp_rel32 = 0xE9;
inline constexpr std::uint32_t jump_size = 5;             // E9 and rel32, counted from the jump's end
inline constexpr std::uint32_t marker_size = 4;           // E9 E9 E9 E9 and 9E 9E 9E 9E
// Method entry, 8 bytes: "jmp rel32" into the handler.
inline constexpr std::uint32_t method_entry_size = 8;
// Handler body, 16 bytes: the marker "NATV", the index of the native routine that
// carries the handler's code, then padding.
inline constexpr std::uint32_t handler_body_size = 16;
inline constexpr std::uint8_t native_marker[4] = {'N', 'A', 'T', 'V'};
inline constexpr std::uint32_t native_index = 4;          // u32 after the marker
inline constexpr std::uint32_t routine_address = 8;       // where a module of its own puts the routine's address
inline constexpr std::uint8_t padding = 0xCC;
}  // namespace code

// Import stub, 8 bytes: "jmp [slot]" (FF 25 addr32) and two bytes of padding. The
// slot holds the address of the routine's name: a u16 hint, then the NUL-terminated name.
namespace import_stub {
inline constexpr std::uint32_t size = 8;
inline constexpr std::uint8_t jmp_indirect[2] = {0xFF, 0x25};
}  // namespace import_stub

inline constexpr std::uint32_t kWritableSize = 2548;
inline constexpr std::uint32_t kThreadDataSize = 2540;
inline constexpr std::uint32_t kThreadDataOffset = 8;  // within the writable area

// Names of the runtime routines that the image imports.
inline constexpr const char* kImportStartup = "ThunRTMain";
inline constexpr const char* kImportSinkQueryInterface = "EventSinkQueryInterface";
inline constexpr const char* kImportSinkAddRef = "EventSinkAddRef";
inline constexpr const char* kImportSinkRelease = "EventSinkRelease";
inline constexpr const char* kImportErrorHandler = "HandlerErrorFrame";

}  // namespace morvane::formats::layout
