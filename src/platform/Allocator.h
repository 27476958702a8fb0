#pragma once

// How the C library hands out memory in this program, set once at start before any
// thread runs. The program, and every benchmark that measures its memory, starts here.
namespace Allocator
{

// Two arenas for all threads, and page-sized buffers always mapped on their own.
void Tune();
// Returns to the system the free memory the arenas keep, after many small blocks were let
// go at once. It takes the arenas' locks for a moment: call it off the reader's thread.
void GiveBack();

} // namespace Allocator
