#pragma once

#include <QByteArray>

class QIODevice;

// A page file read into memory whole, for the decoders whose libraries take a picture
// at once rather than as a stream.
namespace WholeFile
{
// Larger than any page a reader keeps; a file past it is taken for a damaged one.
constexpr qint64 kMaxBytes = qint64(256) << 20;

// Everything from the device's position to its end; an empty array when it holds more
// than kMaxBytes or a read fails (as every read of a page given up on does).
QByteArray Read(QIODevice& file);
} // namespace WholeFile
