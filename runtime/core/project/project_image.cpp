#include "runtime/core/project/project_image.h"

#include <cstdio>
#include <cstring>

#include "formats/control_kinds.h"
#include "formats/image_layout.h"

namespace morvane::runtime {

namespace L = formats::layout;

namespace {

std::string hex32(std::uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "%X", v);
  return b;
}

}  // namespace

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

// Reads the reference at offset `at` and returns the offset of the `count` bytes it
// names; a reference that leaves the image is refused at the reference's own offset.
std::size_t follow(const ProgramImage& image, const ByteReader& r, std::size_t at, std::size_t count,
                   const std::string& what) {
  const std::uint32_t address = r.u32(at, "the reference to " + what);
  try {
    return image.offset_of(address, count, what);
  } catch (const ImageError&) {
    throw ImageError(at, "a reference to " + what + " (" + std::to_string(count) + " bytes) inside the image, found 0x" +
                             hex32(address));
  }
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
  const std::size_t pi = follow(image, r, d + D::project_info, PI::size, "the project information");
  expect(r.u32(pi + PI::version, "version") == 500, pi + PI::version, "project information version 500");
  const std::uint32_t code_start = r.u32(pi + PI::code_start, "code start");
  const std::uint32_t code_end = r.u32(pi + PI::code_end, "code end");
  const std::size_t cs = follow(image, r, pi + PI::code_start, 4, "the code's opening bytes");
  const std::size_t ce = follow(image, r, pi + PI::code_end, 4, "the code's closing bytes");
  for (int i = 0; i < 4; ++i) {
    expect(r.u8(cs + static_cast<std::size_t>(i), "code opening") == L::code::open_byte, cs, "E9 E9 E9 E9 opening the code");
    expect(r.u8(ce + static_cast<std::size_t>(i), "code closing") == L::code::close_byte, ce, "9E 9E 9E 9E closing the code");
  }
  expect(code_end > code_start, pi + PI::code_end, "the code's end after its start");
  p.code_start = code_start + 4;
  p.code_end = code_end;

  // Object table, descriptor and information of the one form.
  namespace OT = L::object_table;
  const std::size_t ot = follow(image, r, pi + PI::object_table, OT::size, "the object table");
  expect(r.u16(ot + OT::object_count, "object count") == 1, ot + OT::object_count, "one object");
  namespace OD = L::object_descriptor;
  const std::size_t od = follow(image, r, ot + OT::objects, OD::size, "the object descriptor");
  const std::uint32_t type = r.u32(od + OD::object_type, "object type");
  expect((type & OD::type_form) != 0, od + OD::object_type, "an object of form type");
  p.object_name = r.c_string(follow(image, r, od + OD::name, 1, "the object name"), 64, "the object name");
  namespace OI = L::object_info;
  const std::size_t oi = follow(image, r, od + OD::object_info, OI::size, "the object information");
  p.instance_size = r.u32(oi + OI::instance_size, "instance size");
  expect(p.instance_size >= 16 && p.instance_size <= 0x10000, oi + OI::instance_size, "a form object size of 16 to 65536 bytes");
  p.form_id = guid_at(r, follow(image, r, oi + OI::form_id, 16, "the form identifier"), "form identifier");
  const std::uint32_t count = r.u32(oi + OI::control_count, "control count");
  expect(count >= 1 && count <= 256, oi + OI::control_count, "1 to 256 control entries");
  const std::uint32_t list = r.u32(oi + OI::control_list, "control list reference");
  follow(image, r, oi + OI::control_list, std::size_t{count} * L::control_entry::size,
         "the control list of " + std::to_string(count) + " entries");

  namespace CE = L::control_entry;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t address = list + i * CE::size;
    const std::size_t e = image.offset_of(address, CE::size, "a control entry");
    ControlEntryInfo c;
    c.address = address;
    c.flags = r.u16(e + CE::flags, "control flags");
    c.slot_count = r.u16(e + CE::slot_count, "slot count");
    c.sink_place = r.u32(e + CE::sink_place, "event sink place");
    c.class_id = guid_at(r, follow(image, r, e + CE::class_id, 16, "a class identifier"), "class identifier");
    c.number = r.u16(e + CE::number, "control number");
    c.event_table = r.u32(e + CE::event_table, "event table reference");
    c.kind_value = r.u32(e + CE::kind_value, "kind value");
    c.name = r.c_string(follow(image, r, e + CE::name, 1, "a control name"), 64, "a control name");
    // A table of another length than its kind's would shift every slot onto another event.
    if (const formats::KindFacts* kind = formats::kind_of_class(c.class_id)) {
      const int expected = kind->slot_count;
      expect(c.slot_count == expected, e + CE::slot_count,
             std::to_string(expected) + " event slots for the " + std::string(kind->name) + " " + c.name +
                 ", found " + std::to_string(c.slot_count));
    }
    // instance_size is at least 16, so the subtraction cannot wrap (and a place near
    // 0xFFFFFFFF cannot wrap round to pass).
    expect(c.sink_place >= 16 && c.sink_place <= p.instance_size - 4, e + CE::sink_place,
           "an event sink place inside the form object (16 to " + std::to_string(p.instance_size - 4) + ")");
    const std::size_t t = follow(image, r, e + CE::event_table, L::event_table::header_size + 4u * c.slot_count,
                                 "the event table of " + c.name + " (" + std::to_string(c.slot_count) + " slots)");
    expect(r.u32(t + L::event_table::control_entry, "event table's control entry") == address,
           t + L::event_table::control_entry, "the event table to refer back to its control entry");
    // Every filled slot names an event entry that turns this control's sink into the
    // marked form reference: anything else would hand the handler a stray address.
    for (std::uint32_t k = 0; k < c.slot_count; ++k) {
      const std::size_t slot_at = t + L::event_table::slots + 4u * k;
      const std::uint32_t entry_address = r.u32(slot_at, "event slot");
      if (entry_address == 0) continue;
      EntryTarget target;
      try {
        target = decode_entry(image, p, entry_address);
      } catch (const ImageError& inner) {
        throw ImageError(slot_at, "slot " + std::to_string(k) + " of " + c.name + " to lead to a handler (" +
                                      inner.what() + ")");
      }
      if (!target.event_entry || target.amount != c.sink_place - 1)
        throw ImageError(slot_at, "slot " + std::to_string(k) + " of " + c.name + " to name an event entry that subtracts 0x" +
                                      hex32(c.sink_place - 1) + " (the event sink place less one), found " +
                                      (target.event_entry ? "one that subtracts 0x" + hex32(target.amount)
                                                          : std::string("a plain jump")));
    }
    p.controls.push_back(std::move(c));
  }

  // The form table and the place of the form description stream.
  namespace FT = L::form_table;
  const std::size_t ft = follow(image, r, d + D::form_table, FT::size, "the form table");
  p.form_table = image.base + static_cast<std::uint32_t>(ft);
  expect(r.u32(ft + FT::entry_size, "form table entry size") == FT::size, ft, "a form table entry of 80 bytes");
  expect(guid_at(r, ft + FT::form_id, "form identifier") == p.form_id, ft + FT::form_id,
         "the form table's identifier to match the object information's");
  p.stream_length = r.u32(ft + FT::stream_length, "stream length");
  p.stream_address = r.u32(ft + FT::stream, "stream reference");
  return p;
}

std::span<const std::uint8_t> form_stream(const ProgramImage& image, const ProjectInfo& project) {
  std::size_t o = 0;
  try {
    o = image.offset_of(project.stream_address, project.stream_length, "the form description stream");
  } catch (const ImageError&) {
    // Named at the form table's reference, which is where the fault lies.
    throw ImageError(project.form_table - image.base + L::form_table::stream,
                     "the form description stream (" + std::to_string(project.stream_length) + " bytes at 0x" +
                         hex32(project.stream_address) + ") inside the image");
  }
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
    t.event_entry = true;
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
  t.body = body;
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
