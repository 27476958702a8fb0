#pragma once

#include "images/DecodedPage.h"
#include "images/PageKey.h"

#include <QByteArray>

#include <functional>

class QIODevice;

// Decodes a JPEG XL page with libjxl, on the calling thread alone (no parallel runner):
// the first frame, bare codestream or container alike, read from the whole file in
// memory, turned upright by libjxl itself, then scaled to the size shown. The alpha is
// dropped, so that a transparent pixel shows the colour it carries. A damaged file, a
// declared size past PageImage's limits and a page nobody wants any more simply fail;
// the decoder prints nothing of its own, though Debian's libjxl reports what it finds
// wrong in a damaged file on the terminal.
class JpegXlDecoder
{
public:
    // Reads the file from where it stands; abandoned() is asked as the file is handed to
    // libjxl a piece at a time (a sixty-fourth of it, at least 64 bytes), and between rows.
    JpegXlDecoder(QIODevice& file, std::function<bool()> abandoned);

    DecodedPage Decode(const FitRequest& fit);

    // Whether the first bytes of a file are JPEG XL's codestream or container signature.
    static bool Recognizes(const QByteArray& head);
    // The picture's size, upright, from the headers at the file's start; an invalid size
    // when they cannot be read.
    static QSize UprightSize(QIODevice& file);

private:
    bool Abandoned() const { return m_abandoned && m_abandoned(); }

    QIODevice& m_file;
    std::function<bool()> m_abandoned;
};
