#pragma once

#include <QImage>
#include <QString>

#include <mutex>

// Thumbnails of books' pages kept on disk between runs, one JPEG a page and size class,
// in a folder held under a limit in bytes by dropping the least recently used first.
// Worker threads read and write them, several at once. Nothing here reports a failure
// (a folder that cannot be written, a full disk, a damaged file): the caller just makes
// the thumbnail again.
class PageThumbFiles
{
public:
    PageThumbFiles(const QString& folder, qint64 limitBytes);
    PageThumbFiles(const PageThumbFiles&) = delete;
    PageThumbFiles& operator=(const PageThumbFiles&) = delete;

    // The folder under the user's cache home.
    static QString DefaultFolder(const QString& cacheHome);
    // Names a book as it is now: after any change of its size or modification time
    // (milliseconds since the epoch) it has another key, and its old thumbnails are
    // never read again.
    static QString BookKey(const QString& path, qint64 size, qint64 mtimeMs);

    // The thumbnail of page (counted from 1) made to fit sizeClass x sizeClass, or null.
    // A file there that is not such a thumbnail is deleted.
    QImage Read(const QString& bookKey, int page, int sizeClass);
    // Keeps a thumbnail that fits sizeClass; whether it is kept.
    bool Write(const QString& bookKey, int page, int sizeClass, const QImage& thumbnail);

private:
    QString FilePath(const QString& bookKey, int page, int sizeClass) const;
    void Remove(const QString& path);
    void Added(qint64 bytes);
    // Counts what the folder holds and, over the limit, drops the least recently used
    // files; m_mutex held.
    void Trim();

    const QString m_folder;
    const qint64 m_limit;
    std::mutex m_mutex;
    // What the folder's thumbnails take, counted on the first write; -1 until then.
    qint64 m_bytes = -1;
};
