// Buffers that hold a whole file: its bytes, its text, its encoded result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "engine/too_large_error.h"

// Asks the system to back [data, data + bytes) with large pages where it can. A buffer of
// hundreds of MB otherwise costs one page fault per 4 kB on first touch, which on a
// virtual machine weighs more than the conversion itself. Only advice: nothing changes
// when the system declines.
void AdviseLargePages(void* data, size_t bytes);

// The size of a large page on the machines we run on, and the size from which buffers
// are laid out for them.
inline constexpr size_t kLargePageBytes = size_t{2} << 20;
inline constexpr size_t kLargeBufferFrom = size_t{1} << 20;

// Gives the system back the whole large pages inside [data, data + bytes), which hold
// nothing anyone needs: they read as zeros afterwards and are claimed again when
// written. Only advice, like AdviseLargePages.
void ReleasePages(void* data, size_t bytes);

// Zeroed 64-bit words for bookkeeping alongside a text (one bit per unit, say). When
// they are many, they are aligned to large pages and fill whole ones, so that all of
// them can be backed by large pages.
class LargeWords {
 public:
  explicit LargeWords(size_t count)
      : alignment_(count * sizeof(uint64_t) >= kLargeBufferFrom ? kLargePageBytes
                                                                 : alignof(uint64_t)),
        bytes_((count * sizeof(uint64_t) + alignment_ - 1) / alignment_ * alignment_),
        words_(static_cast<uint64_t*>(::operator new(bytes_, std::align_val_t{alignment_}))) {
    AdviseLargePages(words_, bytes_);
    std::memset(words_, 0, bytes_);
  }
  ~LargeWords() { ::operator delete(words_, bytes_, std::align_val_t{alignment_}); }
  LargeWords(const LargeWords&) = delete;
  LargeWords& operator=(const LargeWords&) = delete;
  uint64_t& operator[](size_t i) { return words_[i]; }

 private:
  size_t alignment_;
  size_t bytes_;
  uint64_t* words_;
};

// The most a file or a text may hold, in bytes of a file and in units of a text: an
// eighth of the memory, as the reader refuses larger files (it holds a file as bytes, as
// UTF-16 and once more encoded), and never more than a string holds. A text that would
// grow past it is too large: its output could not be read back by the program either.
uint64_t SystemHeldLimit();

// Set by a test to stand for the system's limit (0: the system's).
inline uint64_t heldLimitForTest = 0;

inline uint64_t HeldLimit() { return heldLimitForTest != 0 ? heldLimitForTest : SystemHeldLimit(); }

// Puts a limit in place of the system's while it lives.
class ScopedHeldLimit {
 public:
  explicit ScopedHeldLimit(uint64_t limit) : saved_(heldLimitForTest) { heldLimitForTest = limit; }
  ~ScopedHeldLimit() { heldLimitForTest = saved_; }
  ScopedHeldLimit(const ScopedHeldLimit&) = delete;
  ScopedHeldLimit& operator=(const ScopedHeldLimit&) = delete;

 private:
  uint64_t saved_;
};

// The size of a text of size elements that grows by count times each, worked out without
// wrapping. Throws TooLargeError when the text grows past HeldLimit(); a text that does
// not grow is never too large.
inline uint64_t GrownSize(uint64_t size, uint64_t count, uint64_t each) {
  if (count == 0 || each == 0) return size;
  const uint64_t limit = HeldLimit();
  if (size > limit || count > (limit - size) / each) throw TooLargeError("text grows too large");
  return size + count * each;
}

// Reserves room for count elements in an empty string, with the advice above. The room
// is only claimed from the system as it is written, so reserving an upper bound costs
// no memory beyond what is used.
template <class Char>
void ReserveLarge(std::basic_string<Char>& buffer, size_t count) {
  // A large buffer is reserved one large page longer than asked: only whole large pages
  // inside it can be advised, and without the spare one the large page holding the end
  // of what is used would be left to small pages, a fault per 4 kB.
  const size_t spare =
      count >= kLargeBufferFrom / sizeof(Char) ? kLargePageBytes / sizeof(Char) : 0;
  // More than a string holds (a size worked out from a huge count, say) is too large,
  // not a fault of the program.
  if (count > buffer.max_size() - spare) throw TooLargeError("buffer too large");
  buffer.reserve(count + spare);
  AdviseLargePages(buffer.data(), buffer.capacity() * sizeof(Char));
}

// Releases the pages of a buffer's room beyond its content (and its terminating zero).
template <class Char>
void ReleaseUnusedRoom(std::basic_string<Char>& buffer) {
  ReleasePages(buffer.data() + buffer.size() + 1,
               (buffer.capacity() - buffer.size()) * sizeof(Char));
}
