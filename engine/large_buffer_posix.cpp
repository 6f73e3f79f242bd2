#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/large_buffer.h"

namespace {

// A transparent huge page on the machines we run on (x86-64, arm64 with 4 kB pages).
constexpr uintptr_t kLargePage = kLargePageBytes;

}  // namespace

void AdviseLargePages(void* data, size_t bytes) {
  // Only whole large pages inside the buffer: the advice applies to entire pages, and
  // the memory on either side belongs to others.
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kLargePage - 1);
  if (end <= begin) return;
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

void ReleasePages(void* data, size_t bytes) {
  // Whole large pages only: releasing part of one would split it, and the part kept
  // would cost a fault per 4 kB when the buffer grows into it again.
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kLargePage - 1);
  if (end <= begin) return;
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

uint64_t SystemHeldLimit() {
  // Asked once: the question costs a system call, and a run may read thousands of files.
  static const uint64_t limit = [] {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return uint64_t{1} << 31;
    const uint64_t eighth = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) / 8;
    return std::min<uint64_t>(eighth, std::u16string().max_size());
  }();
  return limit;
}
