#include "engine/large_buffer.h"

// Large pages on Windows need a privilege ordinary users lack; the advice is dropped.
void AdviseLargePages(void*, size_t) {}

// The heap's pages go back to the system when the buffer is freed.
void ReleasePages(void*, size_t) {}
