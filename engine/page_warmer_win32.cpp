#include "engine/page_warmer.h"

// Windows has no call that faults pages in without writing them; its pages are cheap
// enough to leave to the filler.
struct PageWarmer::State {};

PageWarmer::PageWarmer(void*, size_t) {}

PageWarmer::~PageWarmer() = default;

void PageWarmer::Filled(size_t) {}
