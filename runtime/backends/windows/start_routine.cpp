// The runtime library's start routine. The executable hands it the project
// descriptor's address and nothing else; from there it finds the image, the form
// description stream and the handlers' routines, which live in the executable: each
// handler body of the image holds, 8 bytes in, the address of its routine, resolved by
// the linker like every other reference of the image.
//
// References in the image are 32 bits wide. On 64-bit Windows the executable is
// therefore linked to load below 4 GiB (without high-entropy addresses), and the start
// routine refuses an image that lies above.
//
// The linked image is English's. Every other language the executable carries as
// resources in that language: its project image, laid out at address 0 with the places
// of its references and of its handler bodies' routine addresses, which the start
// routine places below 4 GiB, relocates and points at the routines that English's
// handler bodies name; and its words. The user's display language picks one.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "formats/languages.h"
#include "formats/relocatable_image.h"
#include "runtime/backends/windows/display_language.h"
#include "runtime/backends/windows/gdi_text.h"
#include "runtime/backends/windows/windows_platform.h"
#include "formats/image_layout.h"
#include "runtime/core/project/language_choice.h"
#include "runtime/core/project/project_image.h"
#include "runtime/core/project/relocatable_image.h"
#include "runtime/core/project/runtime.h"

namespace morvane::runtime {
namespace {

[[noreturn]] void refuse(const std::string& message) {
  std::fprintf(stderr, "morvane: cannot start: %s\n", message.c_str());
  MessageBoxW(nullptr, widen("cannot start: " + message).c_str(), L"morvane", MB_OK | MB_ICONERROR);
  std::exit(1);
}

// The image from the descriptor to the end of the pages that hold it: every reference
// read from it is checked against these bounds.
ProjectImage image_at(const void* descriptor) {
  const auto address = reinterpret_cast<std::uintptr_t>(descriptor);
  if (address == 0 || address > 0xFFFFFFFFu - formats::layout::descriptor::size)
    refuse("the project descriptor does not lie in the lowest 4 GiB, where its references can reach");
  MEMORY_BASIC_INFORMATION region{};
  if (VirtualQuery(descriptor, &region, sizeof region) == 0 || region.State != MEM_COMMIT)
    refuse("the project descriptor's address is not in the program");
  const auto end = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
  const auto* bytes = static_cast<const std::uint8_t*>(descriptor);
  return {{bytes, static_cast<std::size_t>(end - address)}, static_cast<std::uint32_t>(address)};
}

// Whether `address` lies in code of the executable `program`.
bool is_program_code(std::uintptr_t address, HMODULE program) {
  MEMORY_BASIC_INFORMATION code{};
  if (!VirtualQuery(reinterpret_cast<const void*>(address), &code, sizeof code)) return false;
  const DWORD executable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return code.State == MEM_COMMIT && code.AllocationBase == program && (code.Protect & executable);
}

// The routine address of each handler body that a filled event slot leads to, with the
// body's native index. A body whose address is no code of the program is refused here,
// before anything could jump there.
struct BodyRoutine {
  std::uint32_t native_index;
  std::uint32_t routine;
};
std::vector<BodyRoutine> body_routines(const ProjectImage& image, HMODULE program) {
  const ProjectInfo project = read_project(image, image.base);
  std::vector<BodyRoutine> out;
  for (const ControlEntryInfo& entry : project.controls) {
    for (const BoundSlot& bound : entry.bound) {
      const EntryTarget& target = bound.target;
      const std::size_t at = image.offset_of(target.body, formats::layout::code::handler_body_size, "a handler body");
      const std::uint32_t routine = le32(image.bytes.data() + at + formats::layout::code::routine_address);
      if (!is_program_code(routine, program)) {
        char where[16];
        std::snprintf(where, sizeof where, "0x%08X", routine);
        throw ImageError(at + formats::layout::code::routine_address, std::string("the handler body names ") + where +
                                     ", which is no code of the program, for slot " + std::to_string(bound.slot) +
                                     " of " + entry.name);
      }
      out.push_back({target.native_index, routine});
    }
  }
  return out;
}

// More handlers than this is a broken image: its index is refused by the start-up.
constexpr std::uint32_t kMostHandlers = 256;

// The routine of each handler, by its native index.
std::vector<NativeRoutine> handler_routines(const ProjectImage& image, HMODULE program) {
  std::vector<NativeRoutine> natives;
  for (const BodyRoutine& body : body_routines(image, program)) {
    if (body.native_index >= kMostHandlers) continue;
    if (natives.size() <= body.native_index) natives.resize(body.native_index + 1);
    natives[body.native_index] = native_routine(reinterpret_cast<HandlerRoutine>(std::uintptr_t{body.routine}));
  }
  return natives;
}

// The routines' addresses by native index, as the linked image names them: what a
// language's image is pointed at.
std::vector<std::uint32_t> routine_addresses(const ProjectImage& image, HMODULE program) {
  std::vector<std::uint32_t> routines;
  for (const BodyRoutine& body : body_routines(image, program)) {
    if (body.native_index >= kMostHandlers) continue;
    if (routines.size() <= body.native_index) routines.resize(body.native_index + 1);
    routines[body.native_index] = body.routine;
  }
  return routines;
}

// The executable that holds the descriptor, the caller of the start routine.
HMODULE module_of(const void* descriptor) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCWSTR>(descriptor), &module))
    refuse("the project descriptor lies in no module of the program");
  return module;
}

// Resource `name` of type RCDATA in exactly the language `language`, or none.
std::span<const std::uint8_t> data_resource(HMODULE module, std::uint16_t name, LANGID language) {
  HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(name), language);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return {};
  return {static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found)};
}

// The languages whose project image the executable carries, English (the linked one)
// first.
BOOL CALLBACK add_language(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR carried) {
  for (const formats::Language& row : formats::languages) {
    if ((row.locale_id & 0xFFFF) == language)
      reinterpret_cast<std::vector<std::string_view>*>(carried)->push_back(row.tag);
  }
  return TRUE;
}
std::vector<std::string_view> carried_languages(HMODULE module) {
  std::vector<std::string_view> carried{formats::english.tag};
  EnumResourceLanguagesW(module, MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(formats::relocatable::resource_name),
                         add_language, reinterpret_cast<LONG_PTR>(&carried));
  return carried;
}

// Committed, writable memory of `size` bytes that lies wholly below 4 GiB, where 32-bit
// references reach; null when there is none.
std::uint8_t* allocate_low(std::size_t size) {
  constexpr std::uint64_t k4GiB = 0x100000000u;
  auto fits = [&](const void* p) { return reinterpret_cast<std::uintptr_t>(p) + std::uint64_t{size} <= k4GiB; };
  if (void* p = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE)) {
    if (fits(p)) return static_cast<std::uint8_t*>(p);
    VirtualFree(p, 0, MEM_RELEASE);
  }
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const std::uintptr_t granularity = system.dwAllocationGranularity;
  MEMORY_BASIC_INFORMATION region{};
  for (std::uintptr_t at = granularity; at < k4GiB; at = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize) {
    if (!VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region)) break;
    const std::uintptr_t start = (at + granularity - 1) / granularity * granularity;
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
    if (region.State != MEM_FREE || start >= end || end - start < size || !fits(reinterpret_cast<void*>(start))) continue;
    if (void* p = VirtualAlloc(reinterpret_cast<void*>(start), size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))
      return static_cast<std::uint8_t*>(p);
  }
  return nullptr;
}

// A language's project image placed below 4 GiB and relocated, read-only like the
// linked one, and kept for the process's life as the linked one is; throws ImageError
// for a damaged resource, before anything of it is placed.
ProjectImage placed_image(std::span<const std::uint8_t> resource, std::span<const std::uint32_t> routines) {
  const RelocatableImage image = read_relocatable_image(resource, static_cast<std::uint32_t>(routines.size()));
  std::uint8_t* memory = allocate_low(image.image.size());
  if (!memory) throw std::runtime_error("no room below 4 GiB for the language's project image");
  const auto base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(memory));
  const std::span<std::uint8_t> target(memory, image.image.size());
  place_image(image, base, routines, target);
  DWORD was = 0;
  VirtualProtect(memory, target.size(), PAGE_READONLY, &was);
  return {{memory, target.size()}, base};
}

}  // namespace
}  // namespace morvane::runtime

// Exported undecorated as "ThunRTMain" (see the module definition file).
extern "C" [[noreturn]] void __stdcall ThunRTMain(const void* descriptor) {
  using namespace morvane::runtime;
  // Static, so that the process's exit (the runtime ends it from inside) still
  // releases them.
  static std::unique_ptr<TextRasterizer> text;
  try {
    text = std::make_unique<GdiTextRasterizer>();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "morvane: captions are left out: %s\n", e.what());
  }
  static WindowsPlatform platform(text.get());
  Project project;
  try {
    const HMODULE program = module_of(descriptor);
    const ProjectImage english = image_at(descriptor);
    const std::string_view chosen = choose_language(display_languages(), carried_languages(program));
    const morvane::formats::Language language = morvane::formats::find_language(chosen).value_or(morvane::formats::english);
    const auto language_id = static_cast<LANGID>(language.locale_id & 0xFFFF);
    if (language.tag == morvane::formats::english.tag) {
      project.image = english;
    } else {
      try {
        project.image = placed_image(data_resource(program, morvane::formats::relocatable::resource_name, language_id),
                                     routine_addresses(english, program));
      } catch (const std::exception& e) {
        throw std::runtime_error("the " + std::string(language.tag) + " language's, " + e.what());
      }
    }
    project.descriptor = project.image.base;
    project.natives = handler_routines(project.image, program);
    project.words = data_resource(program, 1, language_id);
  } catch (const std::exception& e) {
    refuse(std::string("the project image, ") + e.what());
  }
  ThunRTMain(std::move(project), platform);
}
