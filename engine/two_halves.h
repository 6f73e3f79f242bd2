// Work split in two halves that run at once: the second on a helper thread, the first on
// the calling thread. Where no thread can be had, the halves simply run one after the
// other on the caller, so a caller never needs a path of its own for that case.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <utility>

// The least work, in bytes, that is split in two halves. Below it one thread is done in
// a few milliseconds, and what a second one saves is small beside what it costs: starting
// and joining it, and a second core's caches to warm that the rest of the run may want.
// Code page 932 decoding counts the bytes it reads, its encoding and the literal search
// the bytes of the units they go over, the page warmer the bytes of the buffer it warms.
constexpr size_t kTwoHalvesFromBytes = size_t{8} << 20;

inline bool TwoHalvesPay(size_t bytesOfWork) { return bytesOfWork >= kTwoHalvesFromBytes; }

// Runs work on a thread of its own from construction until Join (or destruction, which
// joins and drops whatever the work threw). When no thread can be made, nothing runs:
// Started() is false and the owner does the work itself.
class HelperThread {
 public:
  explicit HelperThread(std::function<void()> work);
  ~HelperThread();
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;

  bool Started() const { return state_ != nullptr; }
  // Waits for the work to end and throws what it threw. Nothing to wait for when the
  // thread never started or has been joined.
  void Join();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Runs first() on the caller and second() on a helper thread, and returns when both have
// ended; without a thread, first() and then second() on the caller. Both always run to
// their end, even when the other throws; then the first half's exception is thrown, or
// else the second's.
template <class First, class Second>
void RunTwoHalves(First&& first, Second&& second) {
  HelperThread helper{std::function<void()>(std::ref(second))};
  std::exception_ptr firstError;
  try {
    first();
  } catch (...) {
    firstError = std::current_exception();
  }
  std::exception_ptr secondError;
  try {
    if (helper.Started()) {
      helper.Join();
    } else {
      second();
    }
  } catch (...) {
    secondError = std::current_exception();
  }
  if (firstError) std::rethrow_exception(firstError);
  if (secondError) std::rethrow_exception(secondError);
}

// While one lives, no helper thread starts, as when the system has none to give: tests
// use it to run the one-after-the-other path. Not for use while halves are running.
class NoHelperThreads {
 public:
  NoHelperThreads();
  ~NoHelperThreads();
  NoHelperThreads(const NoHelperThreads&) = delete;
  NoHelperThreads& operator=(const NoHelperThreads&) = delete;
};
