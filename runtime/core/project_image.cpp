#include "runtime/core/project_image.h"

#include <cstring>

#include "runtime/core/image_layout.h"

namespace morvane::runtime {

namespace L = layout;

std::size_t ProgramImage::offset_of(std::uint32_t address, std::size_t count, std::string_view what) const {
  if (address < base || address - base > bytes.size() || count > bytes.size() - (address - base))
    throw ImageError(address >= base ? address - base : 0,
                     std::string(what) + " at an address inside the image (got 0x" + [&] {
                       char b[16];
                       std::snprintf(b, sizeof b, "%08X", address);
                       return std::string(b);
                     }() + ")");
  return address - base;
}

namespace {

std::array<std::uint8_t, 16> guid_at(const ByteReader& r, std::size_t offset, std::string_view what) {
  std::array<std::uint8_t, 16> g{};
  const auto b = r.bytes(offset, 16, what);
  std::memcpy(g.data(), b.data(), 16);
  return g;
}

void expect(bool ok, std::size_t offset, const std::string& what) {
  if (!ok) throw ImageError(offset, what);
}

}  // namespace

ProjectInfo read_project(const ProgramImage& image, std::uint32_t descriptor_address) {
  namespace D = L::descriptor;
  const ByteReader r = image.reader();
  const std::size_t d = image.offset_of(descriptor_address, D::size, "the project descriptor");
  expect(std::memcmp(r.bytes(d, 4, "signature").data(), "VB5!", 4) == 0, d, "the descriptor signature \"VB5!\"");

  ProjectInfo p;
  p.runtime_build = r.u16(d + D::runtime_build, "runtime build");
  p.locale = r.u32(d + D::locale, "locale");
  p.start_procedure = r.u32(d + D::start_procedure, "start procedure");
  p.thread_flags = r.u32(d + D::thread_flags, "thread flags");
  p.thread_count = r.u32(d + D::thread_count, "thread count");
  p.form_count = r.u16(d + D::form_count, "form count");
  expect(p.thread_count == 1 && (p.thread_flags & D::single_threaded), d + D::thread_flags,
         "a single-threaded project with one thread");
  expect(p.form_count == 1, d + D::form_count, "exactly one form");
  expect(p.start_procedure == 0, d + D::start_procedure, "no start procedure (the start-up form is loaded)");
  p.description = r.c_string(d + r.u32(d + D::description_offset, "description offset"), 260, "project description");
  p.exe_name = r.c_string(d + r.u32(d + D::exe_name_offset, "executable name offset"), 260, "executable name");
  p.project_name = r.c_string(d + r.u32(d + D::project_name_offset, "project name offset"), 260, "project name");

  // Project information and the code bounds.
  namespace PI = L::project_info;
  const std::size_t pi = image.offset_of(r.u32(d + D::project_info, "project information reference"), PI::size,
                                         "the project information");
  expect(r.u32(pi + PI::version, "version") == 500, pi + PI::version, "project information version 500");
  const std::uint32_t code_start = r.u32(pi + PI::code_start, "code start");
  const std::uint32_t code_end = r.u32(pi + PI::code_end, "code end");
  const std::size_t cs = image.offset_of(code_start, 4, "the code's opening bytes");
  const std::size_t ce = image.offset_of(code_end, 4, "the code's closing bytes");
  for (int i = 0; i < 4; ++i) {
    expect(r.u8(cs + static_cast<std::size_t>(i), "code opening") == L::code::open_byte, cs, "E9 E9 E9 E9 opening the code");
    expect(r.u8(ce + static_cast<std::size_t>(i), "code closing") == L::code::close_byte, ce, "9E 9E 9E 9E closing the code");
  }
  expect(code_end > code_start, pi + PI::code_end, "the code's end after its start");
  p.code_start = code_start + 4;
  p.code_end = code_end;

  // Object table, descriptor and information of the one form.
  namespace OT = L::object_table;
  const std::size_t ot = image.offset_of(r.u32(pi + PI::object_table, "object table reference"), OT::size, "the object table");
  expect(r.u16(ot + OT::object_count, "object count") == 1, ot + OT::object_count, "one object");
  namespace OD = L::object_descriptor;
  const std::size_t od = image.offset_of(r.u32(ot + OT::objects, "object descriptors reference"), OD::size,
                                         "the object descriptor");
  const std::uint32_t type = r.u32(od + OD::object_type, "object type");
  expect((type & OD::type_form) != 0, od + OD::object_type, "an object of form type");
  p.object_name = r.c_string(image.offset_of(r.u32(od + OD::name, "object name reference"), 1, "the object name"), 64,
                             "object name");
  namespace OI = L::object_info;
  const std::size_t oi = image.offset_of(r.u32(od + OD::object_info, "object information reference"), OI::size,
                                         "the object information");
  p.instance_size = r.u32(oi + OI::instance_size, "instance size");
  expect(p.instance_size >= 16 && p.instance_size <= 0x10000, oi + OI::instance_size, "a form object size of 16 to 65536 bytes");
  p.form_id = guid_at(r, image.offset_of(r.u32(oi + OI::form_id, "form identifier reference"), 16, "the form identifier"),
                      "form identifier");
  const std::uint32_t count = r.u32(oi + OI::control_count, "control count");
  expect(count >= 1 && count <= 256, oi + OI::control_count, "1 to 256 control entries");
  const std::uint32_t list = r.u32(oi + OI::control_list, "control list reference");
  image.offset_of(list, std::size_t{count} * L::control_entry::size, "the control list");

  namespace CE = L::control_entry;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t address = list + i * CE::size;
    const std::size_t e = image.offset_of(address, CE::size, "a control entry");
    ControlEntryInfo c;
    c.address = address;
    c.flags = r.u16(e + CE::flags, "control flags");
    c.slot_count = r.u16(e + CE::slot_count, "slot count");
    c.sink_place = r.u32(e + CE::sink_place, "event sink place");
    c.class_id = guid_at(r, image.offset_of(r.u32(e + CE::class_id, "class identifier reference"), 16, "a class identifier"),
                         "class identifier");
    c.number = r.u16(e + CE::number, "control number");
    c.event_table = r.u32(e + CE::event_table, "event table reference");
    c.kind_value = r.u32(e + CE::kind_value, "kind value");
    c.name = r.c_string(image.offset_of(r.u32(e + CE::name, "control name reference"), 1, "a control name"), 64,
                        "control name");
    expect(c.sink_place + 4 <= p.instance_size && c.sink_place >= 16, e + CE::sink_place,
           "an event sink place inside the form object");
    const std::size_t t = image.offset_of(c.event_table, L::event_table::header_size + 4u * c.slot_count, "an event table");
    expect(r.u32(t + L::event_table::control_entry, "event table's control entry") == address,
           t + L::event_table::control_entry, "the event table to refer back to its control entry");
    p.controls.push_back(std::move(c));
  }

  // The form table and the place of the form description stream.
  namespace FT = L::form_table;
  const std::size_t ft = image.offset_of(r.u32(d + D::form_table, "form table reference"), FT::size, "the form table");
  expect(r.u32(ft + FT::entry_size, "form table entry size") == FT::size, ft, "a form table entry of 80 bytes");
  expect(guid_at(r, ft + FT::form_id, "form identifier") == p.form_id, ft + FT::form_id,
         "the form table's identifier to match the object information's");
  p.stream_length = r.u32(ft + FT::stream_length, "stream length");
  p.stream_address = r.u32(ft + FT::stream, "stream reference");
  return p;
}

std::span<const std::uint8_t> form_stream(const ProgramImage& image, const ProjectInfo& project) {
  const std::size_t o = image.offset_of(project.stream_address, project.stream_length, "the form description stream");
  return image.bytes.subspan(o, project.stream_length);
}

std::uint32_t read_event_slot(const ProgramImage& image, const ControlEntryInfo& entry, int slot) {
  if (slot < 0 || slot >= entry.slot_count) return 0;
  const std::size_t t = image.offset_of(entry.event_table + L::event_table::slots + 4u * static_cast<std::uint32_t>(slot), 4,
                                        "an event slot");
  return image.reader().u32(t, "event slot");
}

EntryTarget decode_entry(const ProgramImage& image, const ProjectInfo& project, std::uint32_t address) {
  namespace C = L::code;
  const ByteReader r = image.reader();
  auto in_code = [&](std::uint32_t a, std::uint32_t n, std::string_view what) {
    if (a < project.code_start || a > project.code_end || n > project.code_end - a)
      throw ImageError(a >= image.base ? a - image.base : 0, std::string(what) + " inside the program's code");
    return image.offset_of(a, n, what);
  };
  EntryTarget t;
  std::size_t o = in_code(address, 5, "an entry");
  std::uint32_t next = address;
  if (std::memcmp(r.bytes(o, 4, "entry").data(), C::sub_arg, 4) == 0) {
    o = in_code(address, 13, "an event entry");
    t.amount = r.u32(o + 4, "amount");
    next = address + 8;
    o += 8;
  }
  if (r.u8(o, "jump") != C::jmp_rel32) throw ImageError(o, "a jump (E9) into a handler");
  const auto rel = static_cast<std::int32_t>(r.u32(o + 1, "jump distance"));
  const std::uint32_t body = next + 5 + static_cast<std::uint32_t>(rel);
  const std::size_t b = in_code(body, C::handler_body_size, "a handler body");
  if (std::memcmp(r.bytes(b, 4, "handler body").data(), C::native_marker, 4) != 0)
    throw ImageError(b, "a handler body (NATV)");
  t.native_index = r.u32(b + 4, "native routine index");
  return t;
}

std::string import_name(const ProgramImage& image, std::uint32_t address) {
  const ByteReader r = image.reader();
  const std::size_t s = image.offset_of(address, L::import_stub::size, "an import stub");
  if (r.u8(s, "stub") != L::import_stub::jmp_indirect[0] || r.u8(s + 1, "stub") != L::import_stub::jmp_indirect[1])
    throw ImageError(s, "an import stub (FF 25)");
  const std::size_t slot = image.offset_of(r.u32(s + 2, "import slot reference"), 4, "an import slot");
  const std::size_t name = image.offset_of(r.u32(slot, "import name reference"), 3, "an import name");
  return r.c_string(name + 2, 64, "import name");
}

}  // namespace morvane::runtime
