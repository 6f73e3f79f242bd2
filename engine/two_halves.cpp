#include "engine/two_halves.h"

#include <atomic>
#include <new>
#include <system_error>
#include <thread>

namespace {

std::atomic<int> helpersRefused{0};

}  // namespace

struct HelperThread::State {
  std::function<void()> work;
  std::exception_ptr error;
  std::thread thread;
};

HelperThread::HelperThread(std::function<void()> work) {
  if (helpersRefused.load() > 0) return;
  try {
    auto state = std::make_unique<State>();
    state->work = std::move(work);
    state->thread = std::thread([raw = state.get()] {
      try {
        raw->work();
      } catch (...) {
        raw->error = std::current_exception();
      }
    });
    state_ = std::move(state);
  } catch (const std::system_error&) {
    // No thread to be had: the owner does the work itself.
  } catch (const std::bad_alloc&) {
    // Not even the room to start one: likewise.
  }
}

HelperThread::~HelperThread() {
  if (state_ && state_->thread.joinable()) state_->thread.join();
}

void HelperThread::Join() {
  if (!state_ || !state_->thread.joinable()) return;
  state_->thread.join();
  if (state_->error) std::rethrow_exception(std::exchange(state_->error, nullptr));
}

NoHelperThreads::NoHelperThreads() { helpersRefused.fetch_add(1); }

NoHelperThreads::~NoHelperThreads() { helpersRefused.fetch_sub(1); }
