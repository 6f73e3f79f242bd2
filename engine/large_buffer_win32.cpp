#include "engine/large_buffer.h"

// Large pages on Windows need a privilege ordinary users lack; the advice is dropped.
void AdviseLargePages(void*, size_t) {}
