#pragma once

#include <QSize>

#include <optional>

class QIODevice;

// The size of a JPEG, PNG, AVIF or JPEG XL picture, upright, from the first bytes of its
// file: the frame header and the first Exif orientation of a JPEG, the IHDR chunk of a
// PNG, the boxes before an AVIF file's pixels, JPEG XL's basic info. Reads no more than
// the headers and prints nothing, however damaged the file is.
namespace PageHeader
{
struct Facts {
    QSize size;
    // The decoder holds the picture whole at its own size on the way: a progressive
    // JPEG's coefficients, an interlaced PNG's rows.
    bool whole = false;
};

// Nothing for a file of another type; an invalid size for a header that cannot be read.
std::optional<Facts> Read(QIODevice& file);
// The size alone, as Read tells it.
std::optional<QSize> UprightSize(QIODevice& file);
} // namespace PageHeader
