#include "images/ZipDirectory.h"

#include "platform/Paths.h"

#include <QByteArray>
#include <QtEndian>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Larger directories (some 2 million members) are no book's; such a file is read as
// ZIP tools stream it, member after member.
constexpr qint64 kMaxDirectoryBytes = qint64(128) << 20;
constexpr qint64 kEndRecord = 22;
constexpr qint64 kMaxComment = 0xFFFF;
constexpr quint32 k32 = 0xFFFFFFFF;
// libarchive looks this far past a member's data for the record that may follow it
// (sizes and checksum when they come after the data), and fails when it cannot.
constexpr qint64 kLookPast = 64;

class File
{
public:
    explicit File(const QString& path)
        : m_fd(Paths::OpenRegularFile(path))
    {
        struct stat status {
        };
        if (m_fd >= 0 && ::fstat(m_fd, &status) == 0)
            m_size = status.st_size;
    }
    ~File()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    qint64 Size() const { return m_size; }
    QByteArray Read(qint64 at, qint64 length) const
    {
        if (at < 0 || length < 0 || at + length > m_size)
            return {};
        QByteArray bytes(qsizetype(length), Qt::Uninitialized);
        qint64 done = 0;
        while (done < length) {
            const ssize_t got
                = ::pread(m_fd, bytes.data() + done, size_t(length - done), at + done);
            if (got <= 0)
                return {};
            done += got;
        }
        return bytes;
    }

private:
    int m_fd = -1;
    qint64 m_size = 0;
};

quint16 U16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 U32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint64 U64(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint64>(bytes.constData() + at);
}

// The ZIP64 end record's place, through its locator just before the end record.
qint64 Zip64End(const File& file, qint64 end)
{
    const QByteArray locator = file.Read(end - 20, 20);
    if (locator.size() != 20 || !locator.startsWith("PK\x06\x07"))
        return -1;
    // Where the locator says, or, in an archive with something before it, just before it.
    for (const qint64 at : { qint64(U64(locator, 8)), end - 20 - 56 }) {
        if (at >= 0 && file.Read(at, 4) == "PK\x06\x06")
            return at;
    }
    return -1;
}
} // namespace

std::optional<ZipDirectory> ZipDirectory::Read(const QString& path)
{
    const File file(path);
    if (file.Size() < kEndRecord)
        return std::nullopt;
    const qint64 tailFrom = std::max<qint64>(0, file.Size() - kEndRecord - kMaxComment);
    const QByteArray tail = file.Read(tailFrom, file.Size() - tailFrom);
    qsizetype at = tail.size() - kEndRecord;
    for (; at >= 0; --at) {
        if (tail.mid(at, 4) == "PK\x05\x06" && at + kEndRecord + U16(tail, at + 20) <= tail.size())
            break;
    }
    if (at < 0)
        return std::nullopt;
    qint64 entries = U16(tail, at + 10);
    qint64 size = U32(tail, at + 12);
    qint64 offset = U32(tail, at + 16);
    qint64 end = tailFrom + at;
    if (const qint64 end64 = Zip64End(file, end); end64 >= 0) {
        const QByteArray record = file.Read(end64, 56);
        if (record.size() != 56)
            return std::nullopt;
        entries = qint64(std::min<quint64>(U64(record, 32), quint64(kMaxDirectoryBytes)));
        size = qint64(std::min<quint64>(U64(record, 40), quint64(kMaxDirectoryBytes) + 1));
        offset = qint64(std::min<quint64>(U64(record, 48), quint64(file.Size())));
        end = end64;
    }
    if (size > kMaxDirectoryBytes || size > end)
        return std::nullopt;
    ZipDirectory directory;
    directory.m_directoryStart = end - size;
    // What lies before the archive (a program that unpacks it) moves every offset.
    const qint64 shift = directory.m_directoryStart - offset;
    const QByteArray records = file.Read(directory.m_directoryStart, size);
    if (records.size() != size)
        return std::nullopt;
    qsizetype next = 0;
    for (qint64 i = 0; i < entries && next + 46 <= records.size(); ++i) {
        if (U32(records, next) != 0x02014b50)
            break;
        const qsizetype nameLength = U16(records, next + 28);
        const qsizetype extraLength = U16(records, next + 30);
        const qsizetype length = 46 + nameLength + extraLength + U16(records, next + 32);
        if (next + length > records.size())
            break;
        Record record { U32(records, next + 42), U32(records, next + 20) };
        // ZIP64: the values too large for their fields follow in an extra field, in order.
        const bool bigUnpacked = U32(records, next + 24) == k32;
        qsizetype extra = next + 46 + nameLength;
        const qsizetype extraEnd = extra + extraLength;
        while (extra + 4 <= extraEnd) {
            const quint16 id = U16(records, extra);
            const qsizetype fieldEnd = std::min(extra + 4 + U16(records, extra + 2), extraEnd);
            qsizetype value = extra + 4 + (bigUnpacked ? 8 : 0);
            if (id == 0x0001) {
                if (record.packed == k32 && value + 8 <= fieldEnd) {
                    record.packed = qint64(std::min<quint64>(U64(records, value), 1ULL << 62));
                    value += 8;
                }
                if (record.offset == k32 && value + 8 <= fieldEnd)
                    record.offset = qint64(std::min<quint64>(U64(records, value), 1ULL << 62));
            }
            extra = fieldEnd;
        }
        record.offset += shift;
        directory.m_records.push_back(record);
        next += length;
    }
    std::sort(directory.m_records.begin(), directory.m_records.end(),
        [](const Record& a, const Record& b) { return a.offset < b.offset; });
    return directory;
}

ZipDirectory::Window ZipDirectory::Find(qint64 dataStart) const
{
    auto after = std::lower_bound(m_records.begin(), m_records.end(), dataStart,
        [](const Record& record, qint64 at) { return record.offset < at; });
    if (after == m_records.begin())
        return {};
    const Record& record = *std::prev(after);
    const qint64 to = after == m_records.end() ? m_directoryStart : after->offset;
    return { record.offset, to + kLookPast, dataStart + record.packed <= to };
}
