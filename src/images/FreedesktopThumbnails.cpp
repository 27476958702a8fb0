#include "images/FreedesktopThumbnails.h"

#include "images/PageScaler.h"
#include "platform/Paths.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include <cerrno>
#include <sys/stat.h>

namespace
{
const QString kUriKey = QStringLiteral("Thumb::URI");
const QString kMTimeKey = QStringLiteral("Thumb::MTime");
const QString kSizeKey = QStringLiteral("Thumb::Size");
const QString kSoftwareKey = QStringLiteral("Software");

// A cover of 256 x 256 takes well under a megabyte even uncompressed; anything larger
// is not a cover, and is not decoded.
constexpr qint64 kMaxFileBytes = qint64(4) << 20;

bool MakePrivateFolder(const QString& path)
{
    if (Paths::IsExistingFolder(path))
        return true;
    const QString parent = Paths::FolderPart(path);
    if (parent.isEmpty() || parent == path || !MakePrivateFolder(parent))
        return false;
    // Another thread may make the same folder at the same moment.
    return ::mkdir(Paths::ToNative(path).constData(), 0700) == 0
        || (errno == EEXIST && Paths::IsExistingFolder(path));
}

int LongestSide(const QSize& size)
{
    return qMax(size.width(), size.height());
}
} // namespace

FreedesktopThumbnails::FreedesktopThumbnails(const QString& cacheHome)
    : m_cacheHome(cacheHome)
{
}

QString FreedesktopThumbnails::DefaultCacheHome()
{
    const QString configured = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return configured;
    return QDir::homePath() + QStringLiteral("/.cache");
}

QByteArray FreedesktopThumbnails::Uri(const QString& path)
{
    // Escaped as GLib escapes a file's URI, which names the covers GNOME's file managers
    // make: Qt's own encoding leaves "[", "]" and ";" as they are, common in the names of
    // comics, and the cover would be another file.
    return QByteArrayLiteral("file://")
        + QFile::encodeName(Paths::Absolute(path)).toPercentEncoding("!$&'()*+,-./:=@_~");
}

bool FreedesktopThumbnails::WritePrivateFile(const QString& path, const QByteArray& bytes)
{
    if (!MakePrivateFolder(Paths::FolderPart(path)))
        return false;
    // Written beside the file and renamed over it: a reader in another thread or
    // program sees the old file or the new one, never half of it. A file not
    // committed is removed with its QSaveFile.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly)
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && file.write(bytes) == bytes.size() && file.commit();
}

QString FreedesktopThumbnails::FilePath(const QString& path, Fit fit) const
{
    const QByteArray hash = QCryptographicHash::hash(Uri(path), QCryptographicHash::Md5);
    return m_cacheHome + (fit == Fit::Large ? "/thumbnails/large/" : "/thumbnails/normal/")
        + QString::fromLatin1(hash.toHex()) + ".png";
}

QImage FreedesktopThumbnails::Read(const QString& path, qint64 mtime, Fit fit) const
{
    QFile file;
    if (!Paths::OpenForReading(file, FilePath(path, fit)) || file.size() > kMaxFileBytes)
        return {};
    QImageReader reader(&file, "png");
    // A file of the other folder's size is another program's mistake, not a cover of
    // this size.
    const int side = static_cast<int>(fit);
    if (!reader.size().isValid() || LongestSide(reader.size()) > side)
        return {};
    const QImage image = reader.read();
    // The texts are taken from the image, not the reader: the reader splits keys at
    // their first colon.
    bool timed = false;
    if (image.isNull() || LongestSide(image.size()) > side
        || image.text(kUriKey) != QString::fromLatin1(Uri(path))
        || image.text(kMTimeKey).toLongLong(&timed) != mtime || !timed)
        return {};
    return image;
}

bool FreedesktopThumbnails::Write(
    const QString& path, qint64 mtime, qint64 fileSize, const QImage& cover, Fit fit) const
{
    if (cover.isNull())
        return false;
    const int side = static_cast<int>(fit);
    // Scaled and converted on this thread: Qt's own would spread over its pool, which
    // cannot start threads when memory is short.
    QImage thumb = PageScaler::Opaque(cover);
    if (LongestSide(cover.size()) > side) {
        const QSize fitted
            = cover.size().scaled(side, side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        thumb = PageScaler::Scaled(thumb, fitted);
    }
    if (thumb.isNull())
        return false;
    // Set on the image rather than the writer, which would split the keys at "::".
    thumb.setText(kUriKey, QString::fromLatin1(Uri(path)));
    thumb.setText(kMTimeKey, QString::number(mtime));
    thumb.setText(kSizeKey, QString::number(fileSize));
    thumb.setText(kSoftwareKey, QStringLiteral("Lumivo"));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    return !thumb.isNull() && writer.write(thumb) && WritePrivateFile(FilePath(path, fit), bytes);
}
