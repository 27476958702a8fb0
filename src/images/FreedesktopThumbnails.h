#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Book covers in the thumbnail cache that file managers share: one PNG a book and
// size, named after the book's URI and carrying the URI and modification time it was
// made from, so that a cover is only ever shown for the file as it is now. Worker
// threads use it, any number at once; it keeps no state but the cache's place.
class FreedesktopThumbnails
{
public:
    // The side a cover fits within; each has a folder of its own.
    enum class Fit { Normal = 128, Large = 256 };

    explicit FreedesktopThumbnails(const QString& cacheHome);

    // $XDG_CACHE_HOME when it is an absolute path, otherwise ~/.cache.
    static QString DefaultCacheHome();
    // What the cache knows a book by: its absolute path as a percent-encoded file URI.
    static QByteArray Uri(const QString& path);
    // Writes the file whole or not at all, readable by the user alone, making its folder
    // and any missing above it the same way; false on any failure.
    static bool WritePrivateFile(const QString& path, const QByteArray& bytes);

    QString FilePath(const QString& path, Fit fit) const;
    // The cover of the book whose modification time is mtime (seconds since the epoch);
    // null when there is none, or it was made of another book, time or size.
    QImage Read(const QString& path, qint64 mtime, Fit fit) const;
    // Keeps the cover, scaled down to fit, for the book as it is at mtime and fileSize.
    bool Write(
        const QString& path, qint64 mtime, qint64 fileSize, const QImage& cover, Fit fit) const;

private:
    QString m_cacheHome;
};
