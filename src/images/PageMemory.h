#pragma once

#include <cstddef>

// The memory of a page's pixels, mapped from the system rather than taken from malloc's
// heap, so that a page let go returns its memory at once: freed pages in the heap stay
// resident while pages of other sizes are made, and the process would keep its largest
// footprint long after the pages went. Giving a mapping back (several milliseconds for
// a page of a 4K screen) happens on a thread of its own, never on the thread that let
// the page go, which is often the reader's.
namespace PageMemory
{
// Zeroed memory of that size, or nullptr.
void* Map(size_t bytes);
// Gives memory from Map back, soon.
void Unmap(void* pixels, size_t bytes);
} // namespace PageMemory
