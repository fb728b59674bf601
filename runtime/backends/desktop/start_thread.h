// A thread for work done once at start, whose stack goes back to the system when it is
// joined. The C library keeps an ended thread's stack for the next thread the process
// may start, and the pages this one touched (fontconfig's configuration is parsed on it)
// would then stay resident for the whole run.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <exception>
#include <functional>

namespace morvane::runtime {

class StartThread {
 public:
  // Starts `work` on a thread of its own; throws std::system_error where no thread or
  // stack can be had.
  explicit StartThread(std::function<void()> work);
  ~StartThread();  // joins, dropping what the work threw if join() was not called
  StartThread(const StartThread&) = delete;
  StartThread& operator=(const StartThread&) = delete;

  // Waits for the work, releases the stack and rethrows what the work threw. Once only.
  void join();

 private:
  static void* run(void* self);
  void wait();

  std::function<void()> work_;
  std::exception_ptr thrown_;
  void* stack_ = nullptr;  // the whole mapping, its guard page included; null once joined
  std::size_t mapped_bytes_ = 0;
  pthread_t thread_{};
};

}  // namespace morvane::runtime
