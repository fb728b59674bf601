// The runtime library's start routine. The executable hands it the project
// descriptor's address and nothing else; from there it finds the image, the form
// description stream and the handlers' routines, which live in the executable: each
// handler body of the image holds, 8 bytes in, the address of its routine, resolved by
// the linker like every other reference of the image.
//
// References in the image are 32 bits wide. On 64-bit Windows the executable is
// therefore linked to load below 4 GiB (without high-entropy addresses), and the start
// routine refuses an image that lies above.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "runtime/backends/windows/gdi_text.h"
#include "runtime/backends/windows/windows_platform.h"
#include "formats/image_layout.h"
#include "runtime/core/project/project_image.h"
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

// Whether `address` lies in code of the module that holds the image.
bool is_program_code(std::uintptr_t address, const void* descriptor) {
  MEMORY_BASIC_INFORMATION image{}, code{};
  if (!VirtualQuery(descriptor, &image, sizeof image) ||
      !VirtualQuery(reinterpret_cast<const void*>(address), &code, sizeof code))
    return false;
  const DWORD executable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return code.State == MEM_COMMIT && code.AllocationBase == image.AllocationBase && (code.Protect & executable);
}

// The routine of each handler that a filled event slot leads to, by its native index.
// A body whose address is no code of the program is refused here, before anything
// could jump there.
std::vector<NativeRoutine> handler_routines(const ProjectImage& image, std::uint32_t descriptor,
                                            const void* descriptor_pointer) {
  // More handlers than this is a broken image: its index is refused by the start-up.
  constexpr std::uint32_t kMostHandlers = 256;
  const ProjectInfo project = read_project(image, descriptor);
  std::vector<NativeRoutine> natives;
  for (const ControlEntryInfo& entry : project.controls) {
    for (const BoundSlot& bound : entry.bound) {
      const EntryTarget& target = bound.target;
      const int slot = bound.slot;
      const std::size_t at = image.offset_of(target.body, formats::layout::code::handler_body_size, "a handler body");
      const std::uint32_t routine = le32(image.bytes.data() + at + formats::layout::code::routine_address);
      if (!is_program_code(routine, descriptor_pointer)) {
        char where[16];
        std::snprintf(where, sizeof where, "0x%08X", routine);
        throw ImageError(at + formats::layout::code::routine_address, std::string("the handler body names ") + where +
                                     ", which is no code of the program, for slot " + std::to_string(slot) +
                                     " of " + entry.name);
      }
      if (target.native_index >= kMostHandlers) continue;
      if (natives.size() <= target.native_index) natives.resize(target.native_index + 1);
      natives[target.native_index] = native_routine(reinterpret_cast<HandlerRoutine>(std::uintptr_t{routine}));
    }
  }
  return natives;
}

// The program's words: the executable's resource 1 of type RCDATA, or none.
std::span<const std::uint8_t> program_words() {
  HMODULE exe = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(10));
  HGLOBAL loaded = found ? LoadResource(exe, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return {};
  return {static_cast<const std::uint8_t*>(bytes), SizeofResource(exe, found)};
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
    project.image = image_at(descriptor);
    project.descriptor = project.image.base;
    project.natives = handler_routines(project.image, project.descriptor, descriptor);
    project.words = program_words();
  } catch (const std::exception& e) {
    refuse(std::string("the project image, ") + e.what());
  }
  ThunRTMain(std::move(project), platform);
}
