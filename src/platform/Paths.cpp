#include "platform/Paths.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Paths
{

QString FileNamePart(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.mid(slash + 1);
}

QString FolderPart(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash == 0 && path.size() > 1)
        return QStringLiteral("/");
    return slash < 0 ? QString() : path.left(slash);
}

namespace
{
    constexpr char16_t kRawByte = 0xDC00;
    const QString kStoredBytes = QStringLiteral("base64:");

    // A lone unit of U+DC80..U+DCFF; the same unit after a high surrogate is the second
    // half of a character.
    bool IsRawByte(const QString& path, qsizetype i)
    {
        const char16_t unit = path[i].unicode();
        return unit >= kRawByte + 0x80 && unit <= kRawByte + 0xFF
            && (i == 0 || !path[i - 1].isHighSurrogate());
    }

    // The length of the valid UTF-8 sequence at i, or 0.
    int SequenceAt(const QByteArray& bytes, qsizetype i, char32_t& code)
    {
        const auto at = [&bytes](qsizetype k) { return quint8(bytes[k]); };
        const quint8 lead = at(i);
        int length = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            code = lead;
            return 1;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
            minimum = 0x10000;
        } else {
            return 0;
        }
        if (i + length > bytes.size())
            return 0;
        for (int k = 1; k < length; ++k) {
            if ((at(i + k) & 0xC0) != 0x80)
                return 0;
            code = (code << 6) | (at(i + k) & 0x3F);
        }
        const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
        return code < minimum || code > 0x10FFFF || surrogate ? 0 : length;
    }

    bool Stat(const QString& path, struct stat& st)
    {
        return !path.isEmpty() && ::stat(ToNative(path).constData(), &st) == 0;
    }
} // namespace

bool IsExistingFolder(const QString& path)
{
    struct stat st;
    return Stat(path, st) && S_ISDIR(st.st_mode);
}

bool IsExistingFile(const QString& path)
{
    struct stat st;
    return Stat(path, st) && !S_ISDIR(st.st_mode);
}

bool IsDotEntry(const QString& name)
{
    return name == QLatin1String(".") || name == QLatin1String("..");
}

QString Join(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool IsHiddenName(const QString& name)
{
    return name.startsWith(QLatin1Char('.'));
}

QString FromNative(const QByteArray& bytes)
{
    QString path;
    path.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t code = 0;
        const int length = SequenceAt(bytes, i, code);
        if (length == 0) {
            path.append(QChar(char16_t(kRawByte + quint8(bytes[i]))));
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(code)) {
            path.append(QChar(QChar::highSurrogate(code)));
            path.append(QChar(QChar::lowSurrogate(code)));
        } else {
            path.append(QChar(char16_t(code)));
        }
        i += length;
    }
    return path;
}

QByteArray ToNative(const QString& path)
{
    if (!HasRawBytes(path))
        return path.toUtf8();
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !IsRawByte(path, i))
            continue;
        bytes += QStringView(path).mid(start, i - start).toUtf8();
        if (i < path.size())
            bytes += char(path[i].unicode() - kRawByte);
        start = i + 1;
    }
    return bytes;
}

bool HasRawBytes(const QString& path)
{
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (IsRawByte(path, i))
            return true;
    }
    return false;
}

QString ForDisplay(const QString& path)
{
    QString shown = path;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (IsRawByte(path, i))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

QString ToStored(const QString& path)
{
    if (!HasRawBytes(path))
        return path;
    return kStoredBytes + QString::fromLatin1(ToNative(path).toBase64());
}

QString FromStored(const QString& text)
{
    if (!text.startsWith(kStoredBytes))
        return text;
    return FromNative(QByteArray::fromBase64(text.mid(kStoredBytes.size()).toLatin1()));
}

QString Absolute(const QString& path)
{
    QString absolute = path;
    if (!path.startsWith(QLatin1Char('/'))) {
        char* here = getcwd(nullptr, 0);
        absolute = Join(FromNative(QByteArray(here ? here : "")), path);
        free(here);
    }
    return QDir::cleanPath(absolute);
}

int OpenRegularFile(const QString& path)
{
    // Opening a FIFO for reading waits for a writer, for good; O_NONBLOCK returns at
    // once, and then anything but a regular file is refused before it is read.
    const int fd = ::open(ToNative(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flags >= 0
        && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0)
        return fd;
    ::close(fd);
    return -1;
}

bool OpenForReading(QFile& file, const QString& path)
{
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return false;
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}

qint64 FileSize(const QString& path)
{
    struct stat st;
    return Stat(path, st) && !S_ISDIR(st.st_mode) ? qint64(st.st_size) : -1;
}

} // namespace Paths
