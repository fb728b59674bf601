#include "runtime/backends/desktop/prefault.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older headers lack the name
#endif

namespace morvane::runtime {

void prefault_for_writing(void* data, std::size_t bytes) {
  const long page_size = sysconf(_SC_PAGESIZE);
  if (!data || bytes == 0 || page_size <= 0) return;
  const auto page = static_cast<std::uintptr_t>(page_size);
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + page - 1) & ~(page - 1);
  const std::uintptr_t end = (start + bytes) & ~(page - 1);
  if (end <= first) return;
  if (madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE) == 0) return;
  // Through a volatile pointer, so that the compiler keeps the write.
  for (std::uintptr_t p = first; p < end; p += page) {
    volatile unsigned char* byte = reinterpret_cast<unsigned char*>(p);
    *byte = *byte;
  }
}

}  // namespace morvane::runtime
