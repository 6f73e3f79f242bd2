// Buffers that hold a whole file: its bytes, its text, its encoded result.
#pragma once

#include <cstddef>
#include <string>

// Asks the system to back [data, data + bytes) with large pages where it can. A buffer of
// hundreds of MB otherwise costs one page fault per 4 kB on first touch, which on a
// virtual machine weighs more than the conversion itself. Only advice: nothing changes
// when the system declines.
void AdviseLargePages(void* data, size_t bytes);

// Gives the system back the whole pages inside [data, data + bytes), which hold nothing
// anyone needs: they read as zeros afterwards and are claimed again when written. Only
// advice, like AdviseLargePages.
void ReleasePages(void* data, size_t bytes);

// Reserves room for count elements in an empty string, with the advice above. The room
// is only claimed from the system as it is written, so reserving an upper bound costs
// no memory beyond what is used.
template <class Char>
void ReserveLarge(std::basic_string<Char>& buffer, size_t count) {
  buffer.reserve(count);
  AdviseLargePages(buffer.data(), buffer.capacity() * sizeof(Char));
}

// Releases the pages of a buffer's room beyond its content (and its terminating zero).
template <class Char>
void ReleaseUnusedRoom(std::basic_string<Char>& buffer) {
  ReleasePages(buffer.data() + buffer.size() + 1,
               (buffer.capacity() - buffer.size()) * sizeof(Char));
}
