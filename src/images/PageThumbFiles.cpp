#include "images/PageThumbFiles.h"

#include "images/FreedesktopThumbnails.h"
#include "images/PageScaler.h"
#include "platform/Paths.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{
// The size class the file was made for, kept inside it: a file renamed, or left by
// another program, under a thumbnail's name does not pass for one.
const QString kClassKey = QStringLiteral("Lumivo::Class");
const QString kSuffix = QStringLiteral(".jpg");

// A thumbnail of 768 x 768 at this quality takes a few hundred kilobytes at most.
constexpr qint64 kMaxFileBytes = qint64(2) << 20;
constexpr int kQuality = 85;

int LongestSide(const QSize& size)
{
    return qMax(size.width(), size.height());
}

bool IsHex(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

QImage Decoded(QFile& file, int sizeClass)
{
    if (file.size() > kMaxFileBytes)
        return {};
    QImageReader reader(&file, "jpeg");
    reader.setAutoTransform(false);
    if (!reader.size().isValid() || LongestSide(reader.size()) > sizeClass)
        return {};
    const QImage image = reader.read();
    // The text is taken from the image: the reader splits keys at their first colon.
    if (image.isNull() || LongestSide(image.size()) > sizeClass
        || image.text(kClassKey) != QString::number(sizeClass))
        return {};
    return image;
}
} // namespace

PageThumbFiles::PageThumbFiles(const QString& folder, qint64 limitBytes)
    : m_folder(folder)
    , m_limit(limitBytes)
{
}

QString PageThumbFiles::DefaultFolder(const QString& cacheHome)
{
    return cacheHome + QStringLiteral("/lumivo/pages");
}

QString PageThumbFiles::BookKey(const QString& path, qint64 size, qint64 mtimeMs)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(Paths::ToNative(Paths::Absolute(path)));
    // The path cannot hold a NUL, so nothing else makes the same bytes.
    hash.addData(
        QByteArray(1, '\0') + QByteArray::number(size) + ' ' + QByteArray::number(mtimeMs));
    return QString::fromLatin1(hash.result().toHex());
}

QString PageThumbFiles::FilePath(const QString& bookKey, int page, int sizeClass) const
{
    if (!IsHex(bookKey) || page < 1 || sizeClass < 1)
        return {};
    return m_folder + '/' + bookKey + '-' + QString::number(page) + '-' + QString::number(sizeClass)
        + kSuffix;
}

QImage PageThumbFiles::Read(const QString& bookKey, int page, int sizeClass)
{
    const QString path = FilePath(bookKey, page, sizeClass);
    QFile file;
    if (path.isEmpty() || !Paths::OpenForReading(file, path))
        return {};
    const QImage image = Decoded(file, sizeClass);
    file.close();
    if (image.isNull()) {
        Remove(path);
        return {};
    }
    // Its modification time says when it was last wanted, which is what the limit
    // drops by; a folder that cannot be written keeps the old time.
    ::utimensat(AT_FDCWD, Paths::ToNative(path).constData(), nullptr, 0);
    return image;
}

bool PageThumbFiles::Write(const QString& bookKey, int page, int sizeClass, const QImage& thumbnail)
{
    const QString path = FilePath(bookKey, page, sizeClass);
    if (path.isEmpty() || thumbnail.isNull() || LongestSide(thumbnail.size()) > sizeClass)
        return false;
    QImage opaque = PageScaler::Opaque(thumbnail);
    if (opaque.isNull())
        return false;
    // Set on the image rather than the writer, which would split the key at "::".
    opaque.setText(kClassKey, QString::number(sizeClass));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(kQuality);
    if (!writer.write(opaque))
        return false;
    const qint64 replaced = qMax<qint64>(Paths::FileSize(path), 0);
    if (!FreedesktopThumbnails::WritePrivateFile(path, bytes))
        return false;
    Added(bytes.size() - replaced);
    return true;
}

void PageThumbFiles::Remove(const QString& path)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const qint64 size = Paths::FileSize(path);
    if (QFile::remove(path) && m_bytes >= 0)
        m_bytes -= size;
}

void PageThumbFiles::Added(qint64 bytes)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bytes >= 0)
        m_bytes += bytes;
    // The first write counts what earlier runs left too.
    if (m_bytes < 0 || m_bytes > m_limit)
        Trim();
}

void PageThumbFiles::Trim()
{
    const QFileInfoList files = QDir(m_folder).entryInfoList(
        { QStringLiteral("*") + kSuffix }, QDir::Files, QDir::Time | QDir::Reversed);
    qint64 total = 0;
    for (const QFileInfo& file : files)
        total += file.size();
    // Down to well below the limit, so that the folder is not listed again at every
    // write that follows.
    if (total > m_limit) {
        for (const QFileInfo& file : files) {
            if (total <= m_limit / 10 * 9)
                break;
            if (QFile::remove(file.filePath()))
                total -= file.size();
        }
    }
    m_bytes = total;
}
