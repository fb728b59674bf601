#include "runtime/core/project/project_image.h"

#include <cstdio>
#include <cstring>

#include "formats/control_kinds.h"
#include "formats/image_layout.h"

namespace morvane::runtime {

namespace layout = formats::layout;

namespace {

std::string hex32(std::uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "%X", v);
  return b;
}

}  // namespace

std::size_t ProjectImage::offset_of(std::uint32_t address, std::size_t count, std::string_view what) const {
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
std::size_t follow(const ProjectImage& image, const ByteReader& r, std::size_t at, std::size_t count,
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

namespace {

// Reads the project's records one at a time into a ProjectInfo; each method takes the
// offset of its record and returns the offset of the next one that start-up follows.
class ProjectReader {
 public:
  explicit ProjectReader(const ProjectImage& image) : image_(image), bytes_(image.reader()) {}

  std::size_t descriptor(std::uint32_t address, ProjectInfo& p) const;
  std::size_t project_information(std::size_t at, ProjectInfo& p) const;
  std::size_t object(std::size_t object_table, ProjectInfo& p) const;
  void control_list(std::size_t object_info, ProjectInfo& p) const;
  void form_table(std::size_t descriptor, ProjectInfo& p) const;

 private:
  ControlEntryInfo control_entry(std::uint32_t address, const ProjectInfo& p) const;
  void resolve_event_slots(ControlEntryInfo& entry, const ProjectInfo& p) const;
  std::size_t follow(std::size_t at, std::size_t count, const std::string& what) const {
    return morvane::runtime::follow(image_, bytes_, at, count, what);
  }

  const ProjectImage& image_;
  const ByteReader bytes_;
};

std::size_t ProjectReader::descriptor(std::uint32_t address, ProjectInfo& p) const {
  namespace field = layout::descriptor;
  const ByteReader& r = bytes_;
  const std::size_t d = image_.offset_of(address, field::size, "the project descriptor");
  expect(std::memcmp(r.bytes(d, sizeof field::signature_value, "signature").data(), field::signature_value,
                     sizeof field::signature_value) == 0,
         d, "the descriptor signature \"VB5!\"");
  p.runtime_build = r.u16(d + field::runtime_build, "runtime build");
  p.locale = r.u32(d + field::locale, "locale");
  p.start_procedure = r.u32(d + field::start_procedure, "start procedure");
  p.thread_flags = r.u32(d + field::thread_flags, "thread flags");
  p.thread_count = r.u32(d + field::thread_count, "thread count");
  p.form_count = r.u16(d + field::form_count, "form count");
  expect(p.thread_count == 1 && (p.thread_flags & field::single_threaded), d + field::thread_flags,
         "a single-threaded project with one thread");
  expect(p.form_count == 1, d + field::form_count, "exactly one form");
  expect(p.start_procedure == 0, d + field::start_procedure, "no start procedure (the start-up form is loaded)");
  auto text = [&](std::uint32_t offset_field, const char* what) {
    return r.c_string(d + r.u32(d + offset_field, what), 260, what);
  };
  p.description = text(field::description_offset, "project description");
  p.exe_name = text(field::exe_name_offset, "executable name");
  p.project_name = text(field::project_name_offset, "project name");
  return d;
}

// The project information and the bounds of the program's code.
std::size_t ProjectReader::project_information(std::size_t descriptor, ProjectInfo& p) const {
  namespace field = layout::project_info;
  const ByteReader& r = bytes_;
  const std::size_t pi = follow(descriptor + layout::descriptor::project_info, field::size, "the project information");
  expect(r.u32(pi + field::version, "version") == field::version_value, pi + field::version,
         "project information version " + std::to_string(field::version_value));
  const std::uint32_t code_start = r.u32(pi + field::code_start, "code start");
  const std::uint32_t code_end = r.u32(pi + field::code_end, "code end");
  const std::size_t opening = follow(pi + field::code_start, layout::code::marker_size, "the code's opening bytes");
  const std::size_t closing = follow(pi + field::code_end, layout::code::marker_size, "the code's closing bytes");
  for (std::size_t i = 0; i < layout::code::marker_size; ++i) {
    expect(r.u8(opening + i, "code opening") == layout::code::open_byte, opening, "E9 E9 E9 E9 opening the code");
    expect(r.u8(closing + i, "code closing") == layout::code::close_byte, closing, "9E 9E 9E 9E closing the code");
  }
  expect(code_end > code_start, pi + field::code_end, "the code's end after its start");
  p.code_start = code_start + layout::code::marker_size;
  p.code_end = code_end;
  return follow(pi + field::object_table, layout::object_table::size, "the object table");
}

// The object table's one object, its descriptor and its object information.
std::size_t ProjectReader::object(std::size_t object_table, ProjectInfo& p) const {
  namespace table = layout::object_table;
  namespace descriptor = layout::object_descriptor;
  namespace info = layout::object_info;
  const ByteReader& r = bytes_;
  expect(r.u16(object_table + table::object_count, "object count") == 1, object_table + table::object_count,
         "one object");
  const std::size_t od = follow(object_table + table::objects, descriptor::size, "the object descriptor");
  const std::uint32_t type = r.u32(od + descriptor::object_type, "object type");
  expect((type & descriptor::type_form) != 0, od + descriptor::object_type, "an object of form type");
  p.object_name = r.c_string(follow(od + descriptor::name, 1, "the object name"), 64, "the object name");
  const std::size_t oi = follow(od + descriptor::object_info, info::size, "the object information");
  p.instance_size = r.u32(oi + info::instance_size, "instance size");
  expect(p.instance_size >= info::instance_header_size && p.instance_size <= info::max_instance_size,
         oi + info::instance_size,
         "a form object size of " + std::to_string(info::instance_header_size) + " to " +
             std::to_string(info::max_instance_size) + " bytes");
  p.form_id = guid_at(r, follow(oi + info::form_id, 16, "the form identifier"), "form identifier");
  return oi;
}

void ProjectReader::control_list(std::size_t object_info, ProjectInfo& p) const {
  namespace info = layout::object_info;
  const std::uint32_t count = bytes_.u32(object_info + info::control_count, "control count");
  expect(count >= 1 && count <= 256, object_info + info::control_count, "1 to 256 control entries");
  const std::uint32_t list = bytes_.u32(object_info + info::control_list, "control list reference");
  follow(object_info + info::control_list, std::size_t{count} * layout::control_entry::size,
         "the control list of " + std::to_string(count) + " entries");
  for (std::uint32_t i = 0; i < count; ++i) p.controls.push_back(control_entry(list + i * layout::control_entry::size, p));
}

ControlEntryInfo ProjectReader::control_entry(std::uint32_t address, const ProjectInfo& p) const {
  namespace field = layout::control_entry;
  const ByteReader& r = bytes_;
  const std::size_t e = image_.offset_of(address, field::size, "a control entry");
  ControlEntryInfo c;
  c.address = address;
  c.flags = r.u16(e + field::flags, "control flags");
  c.slot_count = r.u16(e + field::slot_count, "slot count");
  c.sink_place = r.u32(e + field::sink_place, "event sink place");
  c.class_id = guid_at(r, follow(e + field::class_id, 16, "a class identifier"), "class identifier");
  c.number = r.u16(e + field::number, "control number");
  c.event_table = r.u32(e + field::event_table, "event table reference");
  c.kind_value = r.u32(e + field::kind_value, "kind value");
  c.name = r.c_string(follow(e + field::name, 1, "a control name"), 64, "a control name");
  // A table of another length than its kind's would shift every slot onto another event.
  if (const formats::KindFacts* kind = formats::kind_of_class(c.class_id)) {
    expect(c.slot_count == kind->slot_count, e + field::slot_count,
           std::to_string(kind->slot_count) + " event slots for the " + std::string(kind->name) + " " + c.name +
               ", found " + std::to_string(c.slot_count));
  }
  // instance_size is at least the header's size, so the subtraction cannot wrap (and a
  // place near 0xFFFFFFFF cannot wrap round to pass).
  constexpr std::uint32_t header = layout::object_info::instance_header_size;
  expect(c.sink_place >= header && c.sink_place <= p.instance_size - 4, e + field::sink_place,
         "an event sink place inside the form object (" + std::to_string(header) + " to " +
             std::to_string(p.instance_size - 4) + ")");
  resolve_event_slots(c, p);
  return c;
}

// Every filled slot names an event entry that turns this control's sink into the
// marked form reference (anything else would hand the handler a stray address); each is
// resolved to its handler body here, once.
void ProjectReader::resolve_event_slots(ControlEntryInfo& c, const ProjectInfo& p) const {
  const std::size_t e = c.address - image_.base;
  const std::size_t t = follow(e + layout::control_entry::event_table, layout::event_table::header_size + 4u * c.slot_count,
                               "the event table of " + c.name + " (" + std::to_string(c.slot_count) + " slots)");
  expect(bytes_.u32(t + layout::event_table::control_entry, "event table's control entry") == c.address,
         t + layout::event_table::control_entry, "the event table to refer back to its control entry");
  for (std::uint32_t k = 0; k < c.slot_count; ++k) {
    const std::size_t slot_at = t + layout::event_table::slots + 4u * k;
    const std::uint32_t entry_address = bytes_.u32(slot_at, "event slot");
    if (entry_address == 0) continue;
    EntryTarget target;
    try {
      target = decode_entry(image_, p, entry_address);
    } catch (const ImageError& inner) {
      throw ImageError(slot_at, "slot " + std::to_string(k) + " of " + c.name + " to lead to a handler (" +
                                    inner.what() + ")");
    }
    if (!target.event_entry || target.amount != c.sink_place - 1)
      throw ImageError(slot_at, "slot " + std::to_string(k) + " of " + c.name + " to name an event entry that subtracts 0x" +
                                    hex32(c.sink_place - 1) + " (the event sink place less one), found " +
                                    (target.event_entry ? "one that subtracts 0x" + hex32(target.amount)
                                                        : std::string("a plain jump")));
    c.bound.push_back({static_cast<int>(k), entry_address, target});
  }
}

// The form table and the place of the form description stream.
void ProjectReader::form_table(std::size_t descriptor, ProjectInfo& p) const {
  namespace field = layout::form_table;
  const std::size_t ft = follow(descriptor + layout::descriptor::form_table, field::size, "the form table");
  p.form_table = image_.base + static_cast<std::uint32_t>(ft);
  expect(bytes_.u32(ft + field::entry_size, "form table entry size") == field::size, ft, "a form table entry of 80 bytes");
  expect(guid_at(bytes_, ft + field::form_id, "form identifier") == p.form_id, ft + field::form_id,
         "the form table's identifier to match the object information's");
  p.stream_length = bytes_.u32(ft + field::stream_length, "stream length");
  p.stream_address = bytes_.u32(ft + field::stream, "stream reference");
}

}  // namespace

ProjectInfo read_project(const ProjectImage& image, std::uint32_t descriptor_address) {
  const ProjectReader read(image);
  ProjectInfo p;
  const std::size_t descriptor = read.descriptor(descriptor_address, p);
  const std::size_t object_table = read.project_information(descriptor, p);
  const std::size_t object_info = read.object(object_table, p);
  read.control_list(object_info, p);
  read.form_table(descriptor, p);
  return p;
}

std::span<const std::uint8_t> form_stream(const ProjectImage& image, const ProjectInfo& project) {
  std::size_t o = 0;
  try {
    o = image.offset_of(project.stream_address, project.stream_length, "the form description stream");
  } catch (const ImageError&) {
    // Named at the form table's reference, which is where the fault lies.
    throw ImageError(project.form_table - image.base + layout::form_table::stream,
                     "the form description stream (" + std::to_string(project.stream_length) + " bytes at 0x" +
                         hex32(project.stream_address) + ") inside the image");
  }
  return image.bytes.subspan(o, project.stream_length);
}

EntryTarget decode_entry(const ProjectImage& image, const ProjectInfo& project, std::uint32_t address) {
  namespace code = layout::code;
  const ByteReader r = image.reader();
  auto in_code = [&](std::uint32_t a, std::uint32_t n, std::string_view what) {
    if (a < project.code_start || a > project.code_end || n > project.code_end - a)
      throw ImageError(a >= image.base ? a - image.base : 0, std::string(what) + " inside the program's code");
    return image.offset_of(a, n, what);
  };
  EntryTarget t;
  std::size_t o = in_code(address, code::jump_size, "an entry");
  std::uint32_t jump = address;
  if (std::memcmp(r.bytes(o, sizeof code::sub_arg, "entry").data(), code::sub_arg, sizeof code::sub_arg) == 0) {
    o = in_code(address, code::event_jump + code::jump_size, "an event entry");
    t.event_entry = true;
    t.amount = r.u32(o + code::sub_amount, "amount");
    jump = address + code::event_jump;
    o += code::event_jump;
  }
  if (r.u8(o, "jump") != code::jmp_rel32) throw ImageError(o, "a jump (E9) into a handler");
  const auto rel = static_cast<std::int32_t>(r.u32(o + 1, "jump distance"));
  const std::uint32_t body = jump + code::jump_size + static_cast<std::uint32_t>(rel);
  const std::size_t b = in_code(body, code::handler_body_size, "a handler body");
  if (std::memcmp(r.bytes(b, sizeof code::native_marker, "handler body").data(), code::native_marker,
                  sizeof code::native_marker) != 0)
    throw ImageError(b, "a handler body (NATV)");
  t.body = body;
  t.native_index = r.u32(b + code::native_index, "native routine index");
  return t;
}

std::string import_name(const ProjectImage& image, std::uint32_t address) {
  const ByteReader r = image.reader();
  const std::size_t s = image.offset_of(address, layout::import_stub::size, "an import stub");
  if (r.u8(s, "stub") != layout::import_stub::jmp_indirect[0] || r.u8(s + 1, "stub") != layout::import_stub::jmp_indirect[1])
    throw ImageError(s, "an import stub (FF 25)");
  const std::size_t slot = image.offset_of(r.u32(s + 2, "import slot reference"), 4, "an import slot");
  const std::size_t name = image.offset_of(r.u32(slot, "import name reference"), 3, "an import name");
  return r.c_string(name + 2, 64, "import name");
}

}  // namespace morvane::runtime
