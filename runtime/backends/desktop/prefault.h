// Faulting memory in ahead of its first use. A page's first write costs a fault, and on
// a virtual machine that shadows the guest's page tables a fault costs some 10 µs: the
// 330 pages of a 663 x 510 framebuffer, or of the shared image behind it, then take
// 3–5 ms. Asked for in one call, the kernel maps them in a fraction of that, and the
// work can be done on a thread that is not the one waiting to show the frame.
#pragma once

#include <cstddef>

namespace morvane::runtime {

// Makes the whole pages inside [data, data + bytes) present and writable without
// changing what they hold. Where the kernel cannot do it in one call (before Linux
// 5.14), each page is read and written back instead, which faults it in all the same;
// the memory must then not be in use by another thread.
void prefault_for_writing(void* data, std::size_t bytes);

}  // namespace morvane::runtime
