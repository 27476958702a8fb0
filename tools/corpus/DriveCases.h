#pragma once

#include <QString>

// The corpus's books that try the window's patience rather than the decoders: a reading
// position whose book became a pipe, a PDF swapped for a pipe while it is open, an outline
// of megabyte titles, and a PDF whose cross-reference table points nowhere, so that poppler
// reads the whole file to rebuild it.
void WriteDriveCases(const QString& dir, int& n);
