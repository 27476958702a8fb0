#pragma once

class QEvent;

// Whether an event is the reader's doing: a key, a click, a wheel turn, a menu request,
// or a command the program posts to itself on the reader's behalf.
bool IsReaderInput(const QEvent* event);
