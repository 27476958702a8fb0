#pragma once

#include "images/DecodedPage.h"
#include "images/PageKey.h"

#include <QByteArray>

#include <functional>

class QIODevice;

// Decodes an AVIF page with libavif, on the calling thread alone: the first picture of a
// still or of a sequence, its boxes and that picture's data read as libavif asks for them
// (a read fails once nobody wants the page), its colour converted a band
// of rows at a time and the rows scaled to the size shown as they come, then turned
// upright by its irot and imir boxes. The alpha is dropped, so that a transparent pixel
// shows the colour it carries. Nothing is printed: a damaged file, a declared size past
// PageImage's limits and a page nobody wants any more simply fail.
class AvifDecoder
{
public:
    // Reads the device from its start; abandoned() is asked at every read, between the
    // steps and between bands.
    AvifDecoder(QIODevice& file, std::function<bool()> abandoned);

    DecodedPage Decode(const FitRequest& fit);

    // Whether the first bytes of a file are an 'ftyp' box naming AVIF among its brands.
    static bool Recognizes(const QByteArray& head);
    // The picture's size, upright, from the boxes that come before its pixels; an invalid
    // size when they cannot be read.
    static QSize UprightSize(QIODevice& file);

private:
    bool Abandoned() const { return m_abandoned && m_abandoned(); }

    QIODevice& m_file;
    std::function<bool()> m_abandoned;
};
