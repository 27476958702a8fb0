#pragma once

#include <QImage>

// What a decoder made of a page file.
struct DecodedPage {
    enum Status { kDone, kFailed, kNotMine };
    // kNotMine: a kind of file the decoder leaves to Qt's readers.
    Status status = kFailed;
    // RGB32, upright, at the size it is shown at.
    QImage pixels;
    // The picture's own size, upright.
    QSize own;
};
