#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// Keeps one small file up to date from the reader's thread without touching the disk
// there: each Save hands the whole new contents to a thread of its own, which replaces
// the file atomically (written beside it, flushed to the disk, renamed over it). Only
// the latest contents are written when several come while a write is under way, and a
// file is never left half written.
class FileSaver
{
public:
    explicit FileSaver(const QString& path);
    // Waits a moment for the latest contents to be written, then leaves the thread to
    // finish on its own.
    ~FileSaver();
    FileSaver(const FileSaver&) = delete;
    FileSaver& operator=(const FileSaver&) = delete;

    void Save(const QByteArray& contents);
    // Waits up to timeoutMs for every contents saved so far to be on disk; whether they are.
    bool Flush(int timeoutMs);

private:
    struct Shared;
    static void Run(const std::shared_ptr<Shared>& shared);
    static void Write(const QString& path, const QByteArray& contents);

    std::shared_ptr<Shared> m_shared;
};
