#pragma once

// How the C library hands out memory in this program, set once at start before any
// thread runs. The program, and every benchmark that measures its memory, starts here.
namespace Allocator
{

// Two arenas for all threads, and page-sized buffers always mapped on their own.
void Tune();

} // namespace Allocator
