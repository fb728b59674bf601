// Reads the project descriptor and the records that hang off it from the project
// image, checking every reference against the image's bounds.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/image_layout.h"
#include "runtime/core/project/byte_reader.h"

namespace morvane::runtime {

// The image as the executable carries it, and the address of its first byte.
struct ProjectImage {
  std::span<const std::uint8_t> bytes;
  std::uint32_t base = 0;

  // Offset of `address` with `count` bytes behind it; throws ImageError naming `what`.
  std::size_t offset_of(std::uint32_t address, std::size_t count, std::string_view what) const;
  ByteReader reader() const { return ByteReader(bytes); }
};

// What an entry into the program's code does: subtract `amount` from the object
// argument (event entries; 0 for method entries), then run native routine `native_index`.
struct EntryTarget {
  bool event_entry = false;        // the entry subtracts (a method entry is a plain jump)
  std::uint32_t amount = 0;
  std::uint32_t body = 0;          // address of the handler body
  std::uint32_t native_index = 0;
};
// A filled slot of an event table, resolved to the entry it names when the project is read.
struct BoundSlot {
  int slot = 0;
  std::uint32_t entry = 0;         // address of the event entry
  EntryTarget target;
};

struct ControlEntryInfo {
  std::uint32_t address = 0;       // of the 40-byte entry
  std::uint16_t flags = 0;
  std::uint16_t slot_count = 0;
  std::uint32_t sink_place = 0;
  std::array<std::uint8_t, 16> class_id{};
  std::uint16_t number = 0;        // control_entry::form_number for the form itself
  std::uint32_t event_table = 0;   // address
  std::uint32_t kind_value = 0;
  std::string name;
  std::vector<BoundSlot> bound;    // the filled slots of its event table, rising
  const BoundSlot* bound_slot(int slot) const {
    for (const BoundSlot& b : bound)
      if (b.slot == slot) return &b;
    return nullptr;
  }
  bool is_form() const { return number == formats::layout::control_entry::form_number; }
};

struct ProjectInfo {
  std::uint16_t runtime_build = 0;
  std::uint32_t locale = 0;
  std::uint32_t thread_flags = 0;
  std::uint32_t thread_count = 0;
  std::uint16_t form_count = 0;
  std::uint32_t start_procedure = 0;
  std::string description;
  std::string exe_name;
  std::string project_name;
  std::uint32_t code_start = 0;    // first address of the code area (after its opening marker)
  std::uint32_t code_end = 0;      // address of its closing marker
  std::string object_name;         // "Form1"
  std::uint32_t instance_size = 0;
  std::array<std::uint8_t, 16> form_id{};
  std::vector<ControlEntryInfo> controls;  // the control list, in its order
  std::uint32_t form_table = 0;     // address of the form table's entry
  std::uint32_t stream_address = 0;
  std::uint32_t stream_length = 0;
};

// Reads everything start-up needs, including the entry that every filled event slot
// names. Throws ImageError on a broken image.
ProjectInfo read_project(const ProjectImage& image, std::uint32_t descriptor_address);

// The form description stream that the form table names; throws if it overruns the image.
std::span<const std::uint8_t> form_stream(const ProjectImage& image, const ProjectInfo& project);


EntryTarget decode_entry(const ProjectImage& image, const ProjectInfo& project, std::uint32_t address);

// The name of the runtime routine that an import stub at `address` jumps to.
std::string import_name(const ProjectImage& image, std::uint32_t address);

}  // namespace morvane::runtime
