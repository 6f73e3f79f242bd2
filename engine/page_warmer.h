// Faults in the pages of a buffer on a helper thread, a little ahead of the code that
// fills it. On a virtual machine the first touch of a page can cost more than the work
// done on it; this way that cost is paid beside the work instead of inside it. The
// content is never changed. Only an optimisation: where there is no helper thread (or no
// way to fault pages in without writing them), nothing happens.
#pragma once

#include <cstddef>
#include <memory>

class PageWarmer {
 public:
  // [data, data + bytes): all the room the filler may use, filled from its start.
  PageWarmer(void* data, size_t bytes);
  ~PageWarmer();
  PageWarmer(const PageWarmer&) = delete;
  PageWarmer& operator=(const PageWarmer&) = delete;

  // The filler has filled this many bytes from the start: the helper stays a few large
  // pages ahead of that, no more, so that memory the text never needs is not claimed.
  void Filled(size_t bytes);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
