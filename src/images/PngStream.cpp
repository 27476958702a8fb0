#include "images/PngStream.h"

#include <QIODevice>
#include <QtEndian>

#include <cstring>

namespace
{
const char kSignature[] = "\x89PNG\r\n\x1a\n";
constexpr qint64 kSignatureSize = 8;
constexpr qint64 kHeaderSize = 8;
constexpr qint64 kCrcSize = 4;

// The fifth bit of a chunk type's first letter marks an ancillary chunk.
bool Ancillary(const char* type)
{
    return (type[0] & 0x20) != 0;
}
} // namespace

PngStream::PngStream(QIODevice& file)
    : m_file(file)
{
}

void PngStream::Show(qint64 offset, qint64 size)
{
    if (!m_parts.isEmpty() && m_parts.last().size >= 0
        && m_parts.last().offset + m_parts.last().size == offset)
        m_parts.last().size = size < 0 ? -1 : m_parts.last().size + size;
    else
        m_parts.append({ offset, size });
}

bool PngStream::Open()
{
    m_parts.clear();
    m_part = 0;
    m_within = 0;
    char header[kHeaderSize];
    if (!m_file.seek(0) || m_file.read(header, kSignatureSize) != kSignatureSize
        || std::memcmp(header, kSignature, kSignatureSize) != 0)
        return false;
    Show(0, kSignatureSize);
    qint64 at = kSignatureSize;
    for (int chunks = 0; chunks < kMaxChunks; ++chunks) {
        if (!m_file.seek(at) || m_file.read(header, kHeaderSize) != kHeaderSize) {
            // Cut short: what there is goes to the decoder, which finds the damage.
            Show(at, -1);
            return true;
        }
        const quint32 length = qFromBigEndian<quint32>(header);
        const char* type = header + 4;
        if (length > 0x7fffffffu)
            return false;
        if (std::memcmp(type, "IDAT", 4) == 0) {
            Show(at, -1);
            return true;
        }
        const qint64 whole = kHeaderSize + length + kCrcSize;
        if (!Ancillary(type)) {
            if (length > kMaxCritical)
                return false;
            Show(at, whole);
            if (std::memcmp(type, "IEND", 4) == 0)
                return true;
        } else if (std::memcmp(type, "tRNS", 4) == 0 && length <= kMaxTransparency) {
            Show(at, whole);
        }
        at += whole;
    }
    return false;
}

qint64 PngStream::Read(char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size && m_part < m_parts.size()) {
        const Part& part = m_parts[m_part];
        qint64 want = size - done;
        if (part.size >= 0)
            want = std::min(want, part.size - m_within);
        if (want > 0) {
            if (m_file.pos() != part.offset + m_within && !m_file.seek(part.offset + m_within))
                return -1;
            const qint64 got = m_file.read(data + done, want);
            if (got < 0)
                return -1;
            done += got;
            m_within += got;
            if (got < want)
                break;
        }
        if (part.size >= 0 && m_within >= part.size) {
            ++m_part;
            m_within = 0;
        }
    }
    return done;
}
