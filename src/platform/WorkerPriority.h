#pragma once

// Threads that work for the reader (decoding, rendering) run a notch below the reader's
// own thread: when a result arrives while they are busy with what comes next, the
// reader's thread gets a core at once to put it on the screen.
namespace WorkerPriority
{

// Lowers the calling thread's priority.
void Lower();

} // namespace WorkerPriority
