#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QtEndian>

#include <archive.h>
#include <archive_entry.h>
#include <sys/sysmacros.h>
#include <zlib.h>

#include <algorithm>
#include <locale.h>

// Comic archives for the tests, the corpus and the benchmarks. Zip, 7z and tar are
// written by libarchive; libarchive cannot write RAR, so RAR 4 and RAR 5 archives are
// written here, their members stored uncompressed.

enum class ArchiveFormat { Zip, SevenZip, Tar, Rar4, Rar5 };

struct ArchiveMember {
    enum Kind { File, Directory, Symlink, HardLink, Fifo, CharDevice };
    QString name;
    QByteArray bytes;
    Kind kind = File;
    // What a symbolic or hard link points to.
    QString target;
    // Zero bytes after bytes, written in pieces rather than held, for members that
    // compress to almost nothing. RAR stores them, so keep them small there.
    qint64 zeros = 0;
    // RAR only: the unpacked size the header declares in place of the real one.
    qint64 declared = -1;
    // Zip only: the member is encrypted with ZipCrypto under this password.
    QByteArray password;
};

struct ArchiveOptions {
    enum Filter { NoFilter, Gzip, Bzip2, Xz };
    // Zip only: members stored rather than deflated.
    bool store = false;
    // RAR 4 only: the archive says it is solid, each member going on from the one before.
    bool solid = false;
    // Tar only: the whole archive compressed, as .tar.gz, .tar.bz2 and .tar.xz are.
    Filter filter = NoFilter;
};

// What this process has read from files so far.
inline qint64 BytesRead()
{
    QFile io("/proc/self/io");
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

namespace ArchiveDetail
{
// The members' modification time: 2023-11-14 22:13:20 UTC, as a Unix time and as an
// MS-DOS date and time.
constexpr quint32 kUnixTime = 1700000000;
constexpr quint32 kDosTime
    = (43u << 25) | (11u << 21) | (14u << 16) | (22u << 11) | (13u << 5) | (20u / 2);

inline quint32 Crc(const QByteArray& bytes, quint32 crc = 0)
{
    return quint32(
        crc32(crc, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

inline QByteArray Le(quint64 value, int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(value >> (8 * i));
    return bytes;
}

inline QByteArray Contents(const ArchiveMember& member)
{
    if (member.kind == ArchiveMember::Symlink)
        return member.target.toUtf8();
    return member.bytes + QByteArray(member.zeros, '\0');
}

// libarchive converts names through the locale's character set, which in the C locale
// holds no Japanese; in C.UTF-8 names pass through as they are.
template <typename Work> auto InUtf8Locale(Work work)
{
    const locale_t utf8 = newlocale(LC_ALL_MASK, "C.UTF-8", locale_t(0));
    const locale_t previous = utf8 ? uselocale(utf8) : locale_t(0);
    auto result = work();
    if (utf8) {
        uselocale(previous);
        freelocale(utf8);
    }
    return result;
}

inline la_ssize_t Append(archive*, void* data, const void* buffer, size_t length)
{
    static_cast<QByteArray*>(data)->append(static_cast<const char*>(buffer), qsizetype(length));
    return la_ssize_t(length);
}

inline bool WriteEntry(archive* a, const ArchiveMember& member)
{
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname_utf8(entry, member.name.toUtf8().constData());
    archive_entry_set_mtime(entry, kUnixTime, 0);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_filetype(entry, AE_IFREG);
    const QByteArray target = member.target.toUtf8();
    switch (member.kind) {
    case ArchiveMember::File:
        archive_entry_set_size(entry, member.bytes.size() + member.zeros);
        break;
    case ArchiveMember::Directory:
        archive_entry_set_filetype(entry, AE_IFDIR);
        archive_entry_set_perm(entry, 0755);
        break;
    case ArchiveMember::Symlink:
        archive_entry_set_filetype(entry, AE_IFLNK);
        archive_entry_set_perm(entry, 0777);
        archive_entry_set_symlink_utf8(entry, target.constData());
        break;
    case ArchiveMember::HardLink:
        archive_entry_set_hardlink_utf8(entry, target.constData());
        break;
    case ArchiveMember::Fifo:
        archive_entry_set_filetype(entry, AE_IFIFO);
        break;
    case ArchiveMember::CharDevice:
        archive_entry_set_filetype(entry, AE_IFCHR);
        archive_entry_set_rdev(entry, makedev(1, 3));
        break;
    }
    bool written = archive_write_header(a, entry) == ARCHIVE_OK;
    archive_entry_free(entry);
    if (written && member.kind == ArchiveMember::File) {
        written = archive_write_data(a, member.bytes.constData(), size_t(member.bytes.size()))
            == member.bytes.size();
        static const QByteArray zeros(1 << 20, '\0');
        for (qint64 left = member.zeros; written && left > 0; left -= zeros.size()) {
            const size_t piece = size_t(std::min<qint64>(left, zeros.size()));
            written = archive_write_data(a, zeros.constData(), piece) == la_ssize_t(piece);
        }
    }
    return written;
}

// One archive written by libarchive; the members' passwords must all be the same.
inline QByteArray LibarchiveBytes(
    ArchiveFormat format, const QList<ArchiveMember>& members, const ArchiveOptions& options)
{
    archive* a = archive_write_new();
    bool ok = true;
    const QByteArray password = members.isEmpty() ? QByteArray() : members.first().password;
    switch (format) {
    case ArchiveFormat::Zip:
        ok = archive_write_set_format_zip(a) == ARCHIVE_OK
            && archive_write_set_options(a, "zip:hdrcharset=UTF-8") == ARCHIVE_OK
            && (options.store ? archive_write_zip_set_compression_store(a)
                              : archive_write_zip_set_compression_deflate(a))
                == ARCHIVE_OK;
        if (ok && !password.isEmpty())
            ok = archive_write_set_options(a, "zip:encryption=zipcrypt") == ARCHIVE_OK
                && archive_write_set_passphrase(a, password.constData()) == ARCHIVE_OK;
        break;
    case ArchiveFormat::SevenZip:
        // libarchive's 7z writer compresses every member into one folder: a solid archive.
        ok = archive_write_set_format_7zip(a) == ARCHIVE_OK;
        break;
    default:
        ok = archive_write_set_format_pax_restricted(a) == ARCHIVE_OK;
        if (options.filter == ArchiveOptions::Gzip)
            ok = ok && archive_write_add_filter_gzip(a) == ARCHIVE_OK;
        else if (options.filter == ArchiveOptions::Bzip2)
            ok = ok && archive_write_add_filter_bzip2(a) == ARCHIVE_OK;
        else if (options.filter == ArchiveOptions::Xz)
            ok = ok && archive_write_add_filter_xz(a) == ARCHIVE_OK;
        break;
    }
    QByteArray bytes;
    // No padding to tar's 10 KB records after the end.
    ok = ok && archive_write_set_bytes_in_last_block(a, 1) == ARCHIVE_OK
        && archive_write_open(a, &bytes, nullptr, Append, nullptr) == ARCHIVE_OK;
    for (const ArchiveMember& member : members)
        ok = ok && WriteEntry(a, member);
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok ? bytes : QByteArray();
}

// Zip archives joined into one: each one's members, in order, under one central
// directory. Only for small archives, without zip64 records.
inline QByteArray JoinedZips(const QList<QByteArray>& zips)
{
    QByteArray locals;
    QByteArray central;
    quint16 count = 0;
    for (const QByteArray& zip : zips) {
        const qsizetype end = zip.lastIndexOf("PK\x05\x06");
        if (end < 0 || end + 22 > zip.size())
            return {};
        const quint16 entries = qFromLittleEndian<quint16>(zip.constData() + end + 10);
        const quint32 start = qFromLittleEndian<quint32>(zip.constData() + end + 16);
        qsizetype at = start;
        for (int i = 0; i < entries; ++i) {
            if (at + 46 > end)
                return {};
            QByteArray record = zip.mid(at, 46);
            const auto field = [&record](int offset) {
                return qFromLittleEndian<quint16>(record.constData() + offset);
            };
            record += zip.mid(at + 46, field(28) + field(30) + field(32));
            const quint32 offset = qFromLittleEndian<quint32>(record.constData() + 42);
            qToLittleEndian(quint32(offset + locals.size()), record.data() + 42);
            central += record;
            at += record.size();
        }
        locals += zip.left(start);
        count += entries;
    }
    return locals + central + "PK\x05\x06" + Le(0, 4) + Le(count, 2) + Le(count, 2)
        + Le(quint64(central.size()), 4) + Le(quint64(locals.size()), 4) + Le(0, 2);
}

inline quint32 UnixMode(const ArchiveMember& member)
{
    switch (member.kind) {
    case ArchiveMember::Directory:
        return 040755;
    case ArchiveMember::Symlink:
        return 0120777;
    default:
        return 0100644;
    }
}

inline quint64 UnpackedSize(const ArchiveMember& member, const QByteArray& data)
{
    return quint64(member.declared >= 0 ? member.declared : data.size());
}

// RAR names a folder without a closing slash.
inline QByteArray RarName(const ArchiveMember& member)
{
    QByteArray name = member.name.toUtf8();
    if (member.kind == ArchiveMember::Directory && name.endsWith('/'))
        name.chop(1);
    return name;
}

// RAR 4: blocks of a CRC16 (the low half of a CRC32), a type, flags and a size. Names
// are UTF-8, which the Unicode flag with no zero byte in the name says.
inline QByteArray Rar4Block(quint8 type, quint16 flags, const QByteArray& fields)
{
    const QByteArray body = char(type) + Le(flags, 2) + Le(quint64(fields.size()) + 7, 2) + fields;
    return Le(Crc(body) & 0xFFFF, 2) + body;
}

inline QByteArray Rar4Bytes(const QList<ArchiveMember>& members, bool solid)
{
    QByteArray rar
        = QByteArray("Rar!\x1a\x07\x00", 7) + Rar4Block(0x73, solid ? 0x0008 : 0, Le(0, 6));
    for (const ArchiveMember& member : members) {
        if (member.kind > ArchiveMember::Symlink || !member.password.isEmpty())
            return {};
        const QByteArray data = Contents(member);
        const QByteArray name = RarName(member);
        // Always a long block; the data size is the first field; Unicode names; a
        // directory has all the dictionary bits set.
        const bool follows = solid && &member != &members.first();
        const quint16 flags = 0x8000 | 0x0200
            | (member.kind == ArchiveMember::Directory ? 0x00E0 : 0) | 0x0100
            | (follows ? 0x0010 : 0);
        const quint64 size = quint64(data.size());
        const quint64 unpacked = UnpackedSize(member, data);
        const QByteArray fields = Le(size, 4) + Le(unpacked, 4) + char(3) + Le(Crc(data), 4)
            + Le(kDosTime, 4) + char(20) + char(0x30) + Le(quint64(name.size()), 2)
            + Le(UnixMode(member), 4) + Le(size >> 32, 4) + Le(unpacked >> 32, 4) + name;
        rar += Rar4Block(0x74, flags, fields) + data;
    }
    return rar + Rar4Block(0x7B, 0x4000, {});
}

// RAR 5: headers of a CRC32, then a size, a type and flags as variable-length integers.
inline QByteArray Vint(quint64 value)
{
    QByteArray bytes;
    do {
        bytes += char((value & 0x7F) | (value > 0x7F ? 0x80 : 0));
        value >>= 7;
    } while (value > 0);
    return bytes;
}

inline QByteArray Rar5Header(const QByteArray& body)
{
    const QByteArray sized = Vint(quint64(body.size())) + body;
    return Le(Crc(sized), 4) + sized;
}

inline QByteArray Rar5Bytes(const QList<ArchiveMember>& members)
{
    QByteArray rar
        = QByteArray("Rar!\x1a\x07\x01\x00", 8) + Rar5Header(Vint(1) + Vint(0) + Vint(0));
    for (const ArchiveMember& member : members) {
        if (member.kind > ArchiveMember::HardLink || !member.password.isEmpty())
            return {};
        const bool link
            = member.kind == ArchiveMember::Symlink || member.kind == ArchiveMember::HardLink;
        const QByteArray data = link ? QByteArray() : Contents(member);
        const QByteArray name = RarName(member);
        // A link is a file system redirection record: 1 a Unix symbolic link, 4 a hard link.
        QByteArray extra;
        if (link) {
            const QByteArray target = member.target.toUtf8();
            const QByteArray record = Vint(5) + Vint(member.kind == ArchiveMember::Symlink ? 1 : 4)
                + Vint(0) + Vint(quint64(target.size())) + target;
            extra = Vint(quint64(record.size())) + record;
        }
        // Header flags: extra area, data area. File flags: directory, modification time,
        // data CRC32. Compression information 0: stored. Host 1: Unix.
        const quint64 headerFlags = (extra.isEmpty() ? 0 : 0x01) | 0x02;
        const quint64 fileFlags
            = (member.kind == ArchiveMember::Directory ? 0x01 : 0) | 0x02 | 0x04;
        QByteArray body = Vint(2) + Vint(headerFlags);
        if (!extra.isEmpty())
            body += Vint(quint64(extra.size()));
        body += Vint(quint64(data.size())) + Vint(fileFlags) + Vint(UnpackedSize(member, data))
            + Vint(UnixMode(member)) + Le(kUnixTime, 4) + Le(Crc(data), 4) + Vint(0) + Vint(1)
            + Vint(quint64(name.size())) + name + extra;
        rar += Rar5Header(body) + data;
    }
    return rar + Rar5Header(Vint(5) + Vint(0) + Vint(0));
}
} // namespace ArchiveDetail

// The archive's bytes, or none when the format cannot hold a member as asked: only zip
// takes passwords, RAR 4 no links but symbolic ones, RAR 5 no FIFOs or devices.
inline QByteArray ArchiveBytes(
    ArchiveFormat format, const QList<ArchiveMember>& members, const ArchiveOptions& options = {})
{
    using namespace ArchiveDetail;
    return InUtf8Locale([&]() -> QByteArray {
        if (format == ArchiveFormat::Rar4)
            return Rar4Bytes(members, options.solid);
        if (format == ArchiveFormat::Rar5)
            return Rar5Bytes(members);
        const auto samePassword = [&members](const ArchiveMember& member) {
            return member.password == members.first().password;
        };
        if (members.isEmpty() || std::all_of(members.begin(), members.end(), samePassword)) {
            if (format != ArchiveFormat::Zip && !members.isEmpty()
                && !members[0].password.isEmpty())
                return {};
            return LibarchiveBytes(format, members, options);
        }
        if (format != ArchiveFormat::Zip)
            return {};
        // libarchive takes one password for a whole archive: a zip of one member each, joined.
        QList<QByteArray> zips;
        for (const ArchiveMember& member : members) {
            zips << LibarchiveBytes(format, { member }, options);
            if (zips.last().isEmpty())
                return {};
        }
        return JoinedZips(zips);
    });
}

// The zip with the member's unpacked size, and its packed size if asked, replaced
// wherever zip records them: the local header, the data descriptor after the data
// and the central directory.
inline QByteArray ZipDeclaring(QByteArray zip, const QByteArray& name, quint32 size, bool packedToo)
{
    const qsizetype end = zip.lastIndexOf("PK\x05\x06");
    if (end < 0)
        return zip;
    qsizetype at = qFromLittleEndian<quint32>(zip.constData() + end + 16);
    while (at < end && zip.mid(at, 4) == "PK\x01\x02") {
        const auto u16 = [&zip](qsizetype offset) {
            return qFromLittleEndian<quint16>(zip.constData() + offset);
        };
        const quint32 packed = qFromLittleEndian<quint32>(zip.constData() + at + 20);
        const qsizetype local = qFromLittleEndian<quint32>(zip.constData() + at + 42);
        if (zip.mid(at + 46, u16(at + 28)) == name) {
            const qsizetype descriptor = local + 30 + u16(local + 26) + u16(local + 28) + packed;
            const bool described = u16(local + 6) & 0x08;
            QList<qsizetype> fields = { at + 24, local + 22 };
            if (described)
                fields << descriptor + 12;
            if (packedToo) {
                fields << at + 20 << local + 18;
                if (described)
                    fields << descriptor + 8;
            }
            for (const qsizetype field : fields)
                qToLittleEndian(size, zip.data() + field);
        }
        at += 46 + u16(at + 28) + u16(at + 30) + u16(at + 32);
    }
    return zip;
}

// The tar with the member's size field replaced, its header's checksum made good again.
inline QByteArray TarDeclaring(QByteArray tar, const QByteArray& name, const QByteArray& sizeField)
{
    for (qsizetype header = 0; header + 512 <= tar.size(); header += 512) {
        if (tar.mid(header, name.size() + 1) != name + '\0')
            continue;
        tar.replace(header + 124, sizeField.size(), sizeField);
        tar.replace(header + 148, 8, QByteArray(8, ' '));
        int sum = 0;
        for (qsizetype i = 0; i < 512; ++i)
            sum += quint8(tar[header + i]);
        tar.replace(
            header + 148, 8, QByteArray::number(sum, 8).rightJustified(6, '0') + '\0' + ' ');
    }
    return tar;
}

inline bool WriteArchive(const QString& path, ArchiveFormat format,
    const QList<ArchiveMember>& members, const ArchiveOptions& options = {})
{
    const QByteArray bytes = ArchiveBytes(format, members, options);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
