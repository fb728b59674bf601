#include "runtime/backends/desktop/start_thread.h"

#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <system_error>
#include <utility>

namespace morvane::runtime {

namespace {

// As large as the usual default, since fontconfig's parser and FreeType run on it;
// only the pages touched become resident.
constexpr std::size_t stack_bytes = std::size_t{8} << 20;

std::size_t guard_bytes() {
  const long page = sysconf(_SC_PAGESIZE);
  return page > 0 ? static_cast<std::size_t>(page) : 4096;
}

}  // namespace

StartThread::StartThread(std::function<void()> work) : work_(std::move(work)) {
  const std::size_t guard = guard_bytes();
  void* mapping = mmap(nullptr, stack_bytes + guard, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
  if (mapping == MAP_FAILED) throw std::system_error(errno, std::generic_category(), "start thread's stack");
  // The stack grows down: an overflow meets the page at the mapping's start.
  (void)mprotect(mapping, guard, PROT_NONE);  // without it, only the overflow goes unnoticed
  pthread_attr_t attr;
  int failed = pthread_attr_init(&attr);
  if (!failed) {
    failed = pthread_attr_setstack(&attr, static_cast<char*>(mapping) + guard, stack_bytes);
    if (!failed) failed = pthread_create(&thread_, &attr, &StartThread::run, this);
    pthread_attr_destroy(&attr);
  }
  if (failed) {
    munmap(mapping, stack_bytes + guard);
    throw std::system_error(failed, std::generic_category(), "start thread");
  }
  stack_ = mapping;
  mapped_bytes_ = stack_bytes + guard;
}

StartThread::~StartThread() { wait(); }

void* StartThread::run(void* self) {
  auto* t = static_cast<StartThread*>(self);
  try {
    t->work_();
  } catch (...) {
    t->thrown_ = std::current_exception();
  }
  return nullptr;
}

void StartThread::wait() {
  if (!stack_) return;  // joined already
  pthread_join(thread_, nullptr);
  // The thread has ended: nothing of it lives on its stack any more.
  munmap(stack_, mapped_bytes_);
  stack_ = nullptr;
}

void StartThread::join() {
  wait();
  if (thrown_) std::rethrow_exception(std::exchange(thrown_, nullptr));
}

}  // namespace morvane::runtime
