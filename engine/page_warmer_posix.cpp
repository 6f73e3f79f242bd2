#include "engine/page_warmer.h"

#include <sys/mman.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include "engine/large_buffer.h"
#include "engine/two_halves.h"

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14
#endif

namespace {

// How far the helper runs ahead of the filler, and how much it faults in at a time.
constexpr size_t kLead = size_t{8} << 20;
constexpr size_t kStep = kLargePageBytes;

}  // namespace

struct PageWarmer::State {
  char* begin = nullptr;
  char* end = nullptr;
  std::mutex mutex;
  std::condition_variable moved;
  size_t filled = 0;  // bytes from begin
  bool done = false;
  std::optional<HelperThread> helper;

  void Run() {
    char* next = begin;
    std::unique_lock<std::mutex> lock(mutex);
    while (!done && next < end) {
      if (static_cast<size_t>(next - begin) >= filled + kLead) {
        moved.wait(lock);
        continue;
      }
      lock.unlock();
      const size_t step = std::min(kStep, static_cast<size_t>(end - next));
      // Faults the pages in as if written, leaving what they hold as it is: the filler
      // may be writing to them at the same time.
      const bool faulted = madvise(next, step, MADV_POPULATE_WRITE) == 0;
      next += step;
      lock.lock();
      if (!faulted) break;  // an older kernel: leave it to the filler
    }
  }
};

PageWarmer::PageWarmer(void* data, size_t bytes) {
  // Filling a smaller buffer takes about as long as starting a helper.
  if (!TwoHalvesPay(bytes)) return;
  // Whole pages inside the buffer only.
  const uintptr_t page = 4096;
  const uintptr_t first = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
  const uintptr_t last = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(page - 1);
  if (last <= first) return;
  auto state = std::make_unique<State>();
  state->begin = reinterpret_cast<char*>(first);
  state->end = reinterpret_cast<char*>(last);
  state->helper.emplace([raw = state.get()] { raw->Run(); });
  if (!state->helper->Started()) return;  // no thread to be had
  state_ = std::move(state);
}

PageWarmer::~PageWarmer() {
  if (!state_) return;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->done = true;
  }
  state_->moved.notify_one();
  state_->helper->Join();
}

void PageWarmer::Filled(size_t bytes) {
  if (!state_) return;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->filled = bytes;
  }
  state_->moved.notify_one();
}
