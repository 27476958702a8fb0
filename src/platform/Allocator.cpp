#include "Allocator.h"

#include <malloc.h>

namespace Allocator
{

void Tune()
{
    // glibc gives every thread that allocates an arena of its own, each reserving 64 MB
    // of address space (128 MB while it is made). Under a tight address-space limit the
    // decoding threads' arenas left the window's own allocations without room, and Qt
    // crashed. Our threads allocate a few large buffers each; two arenas are plenty.
    mallopt(M_ARENA_MAX, 2);
    // By default each large block freed raises the size below which glibc serves blocks
    // from the arenas, up to 32 MB. Pages and renders (a magnified scan is 13 MB at
    // 1920 x 1080) then land in the arenas, whose free space is rarely given back:
    // reading scanned PDFs under the magnifier peaked 70 MB higher. A fixed limit keeps
    // every buffer of a page's size mapped on its own and returned when freed.
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
}

void GiveBack()
{
    malloc_trim(0);
}

} // namespace Allocator
