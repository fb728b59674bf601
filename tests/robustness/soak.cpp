// Soak: a million random input events on the headless runtime, with the invariants
// checked after every event, and the resident size compared between the end of the
// warm-up and the end of the run. Every 100,000 events the window is closed and the
// program started afresh, so that a leak per run shows as well as a leak per event.
// Usage: soak [EVENTS [SEED]]   (exit code 1 on a broken invariant or growing memory)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/project.h"
#include "runtime/backends/headless/headless_platform.h"
#include "tests/robustness/demo_invariants.h"

using namespace morvane;

namespace {

// AddressSanitizer holds freed memory back in its quarantine, so the resident size
// grows under it whatever the program does; there only the invariants are checked.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentSizeMeans = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kResidentSizeMeans = false;
#else
constexpr bool kResidentSizeMeans = true;
#endif
#else
constexpr bool kResidentSizeMeans = true;
#endif

// Resident set size in KiB, from /proc/self/status (0 where there is none).
long resident_kib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return 0;
}

struct Run {
  std::unique_ptr<runtime::Runtime> runtime;
  std::unique_ptr<runtime::HeadlessPlatform> platform;
  std::unique_ptr<robustness::DemoInvariants> invariants;

  void start() {
    invariants.reset();
    platform.reset();
    runtime = std::make_unique<runtime::Runtime>(app::enzyme_project());
    platform = std::make_unique<runtime::HeadlessPlatform>();
    platform->attach(*runtime);
    invariants = std::make_unique<robustness::DemoInvariants>(*runtime);
  }
};

}  // namespace

int main(int argc, char** argv) {
  const long events = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1'000'000;
  const unsigned long seed = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 20240501;
  if (events <= 0) {
    std::fprintf(stderr, "usage: %s [EVENTS [SEED]]\n", argv[0]);
    return 2;
  }
  // Every `reload` events the program is closed and started afresh. The resident size is
  // sampled right after each fresh start, where the window is back at its design size,
  // so that samples compare like with like: the first after the warm-up (one period)
  // against the last, taken after a final restart.
  const long reload = std::min(100'000L, events);
  std::mt19937_64 random(seed);
  std::vector<std::uint8_t> chunk(64 * 1024);

  Run run;
  run.start();
  long runs = 1;
  std::vector<long> states(16, 0);
  std::vector<long> rss_samples;
  long rss_peak = 0;
  const auto t0 = std::chrono::steady_clock::now();
  auto t_warm = t0;
  long done = 0;
  while (done < events) {
    for (auto& b : chunk) b = static_cast<std::uint8_t>(random());
    robustness::InputDecoder input(chunk, run.runtime->form());
    input.allow_close(false);
    while (!input.done() && done < events) {
      const runtime::InputEvent e = input.next();
      run.platform->feed(e);
      ++done;
      if (const std::string broken = run.invariants->check(); !broken.empty()) {
        std::fprintf(stderr, "soak: after event %ld (%s, %d, %d, code %d): %s\n", done,
                     robustness::input_type_name(e.type), e.x, e.y, e.code, broken.c_str());
        return 1;
      }
      const std::string bits = robustness::visibility_bits(run.runtime->form());
      ++states[static_cast<std::size_t>(std::stoi(bits, nullptr, 2))];
      if (done % reload != 0) continue;
      rss_peak = std::max(rss_peak, resident_kib());
      run.platform->feed({runtime::InputEvent::Type::close});
      if (!run.runtime->finished()) {
        std::fprintf(stderr, "soak: the window stayed open after close\n");
        return 1;
      }
      run.start();
      ++runs;
      rss_samples.push_back(resident_kib());
      if (rss_samples.size() == 1) t_warm = std::chrono::steady_clock::now();
      break;  // a fresh decoder aims at the new form's controls
    }
  }
  const auto t1 = std::chrono::steady_clock::now();
  if (rss_samples.empty() || done % reload != 0) {
    run.start();
    rss_samples.push_back(resident_kib());
  }
  const long rss_start = rss_samples.front();
  const long rss_end = rss_samples.back();
  const double seconds = std::chrono::duration<double>(t1 - t0).count();
  const double after_warm = std::chrono::duration<double>(t1 - t_warm).count();
  std::printf("soak: %ld events, seed %lu, %ld starts of the program, %.1f s (%.0f events/s)\n", done, seed, runs,
              seconds, static_cast<double>(done) / seconds);
  std::printf("soak: states after each event: Start %ld, Complex %ld, Product %ld\n", states[0b1100], states[0b0001],
              states[0b1010]);
  std::printf("soak: VmRSS %ld KiB after the warm-up (%ld events), %ld KiB at the end (%.1f s later), peak %ld KiB\n",
              rss_start, reload, rss_end, after_warm, rss_peak);
  std::printf("soak: VmRSS after each fresh start (KiB):");
  for (long kib : rss_samples) std::printf(" %ld", kib);
  std::printf("\n");
  // Flat: the same state at the start and at the end, give or take the allocator's
  // bookkeeping.
  const long allowance = 1024;
  if (!kResidentSizeMeans) {
    std::printf("soak: built with AddressSanitizer, whose quarantine keeps freed memory: the sizes are not judged\n");
  } else if (rss_start > 0 && rss_end > rss_start + allowance) {
    std::fprintf(stderr, "soak: resident size grew by %ld KiB\n", rss_end - rss_start);
    return 1;
  }
  return 0;
}
