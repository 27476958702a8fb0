#pragma once

// Threads left to finish a piece of work nobody waits for any more (a render deep
// inside a library, a read from a drive that went away). While one runs, the program
// must not tear down the libraries under it on the way out.
namespace LeftRunning
{

void Started();
void Ended();
int Count();

} // namespace LeftRunning
