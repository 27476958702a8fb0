#pragma once

#include "images/PageKey.h"

class QIODevice;

// The memory a page's decode takes at most, told from its header before anything is
// decoded, so that the engine can keep decodes under way within its budget: the page at
// its shown size, and on the way whatever the decoder holds at the picture's own size
// (Qt's readers, libavif and libjxl decode the whole picture; a progressive JPEG keeps
// its coefficients, an interlaced PNG its rows). JPEG and PNG pages that stream their
// rows cost little more than the result.
namespace DecodeCost
{
// Bytes, from the device's start; the device is left at its start. A header that cannot
// be read costs what the page's box takes: such a decode fails at once.
qint64 Of(QIODevice& page, const FitRequest& fit);
// Whether the page's decoder stops soon once the page is given up on: JPEG and PNG
// between rows, JPEG XL between pieces of its file. libavif's AV1 decode and Qt's
// readers go on to the end.
bool Stoppable(QIODevice& page);

// Whether the address space the process may still take holds a decode of that cost
// several times over beside the decodes under way: work that can wait (small pictures of
// pages) takes only memory nobody is short of, never what the page being read needs.
bool Plentiful(qint64 bytes);

// Room in the process's address space for a decode of that cost, held while it lasts, or
// none. libavif and libjxl end the process when an allocation fails, so their decodes
// start only where the address space the process may still take (under a limit such as
// prlimit's) holds them, beside the other decodes so held.
class Reservation
{
public:
    explicit Reservation(qint64 bytes);
    ~Reservation();
    Reservation(const Reservation&) = delete;
    Reservation& operator=(const Reservation&) = delete;
    bool Granted() const { return m_bytes > 0; }

private:
    qint64 m_bytes = 0;
};
} // namespace DecodeCost
