#include "images/WholeFile.h"

#include <QIODevice>

#include <algorithm>

namespace WholeFile
{

QByteArray Read(QIODevice& file)
{
    constexpr qint64 kChunk = qint64(1) << 20;
    QByteArray bytes;
    // A file or a buffer tells how much is left, so one too large is refused before
    // anything is read; a stream is read until it passes the limit.
    if (!file.isSequential()) {
        const qint64 left = file.size() - file.pos();
        if (left > kMaxBytes)
            return {};
        bytes.reserve(std::max<qint64>(left, 0));
    }
    for (;;) {
        const qint64 at = bytes.size();
        const qint64 want = std::min(kChunk, kMaxBytes + 1 - at);
        if (want <= 0)
            return {};
        bytes.resize(at + want);
        const qint64 got = file.read(bytes.data() + at, want);
        if (got < 0)
            return {};
        bytes.resize(at + got);
        if (got == 0)
            return bytes;
    }
}

} // namespace WholeFile
