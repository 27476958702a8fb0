#pragma once

#include <QString>

#include <archive.h>

#include <functional>
#include <memory>
#include <vector>

// One libarchive reader of an archive file, over the whole file or over a window of it
// (one member's header and data, reached without reading what lies before). Its own
// read, skip and seek callbacks read the file with pread: a skip or a seek reads
// nothing, the first read after one reads a small block (a header is short) and the
// blocks grow while reading goes on; every read and skip fails once abandoned, so
// even a single long skip through a compressed stream stops within a small piece
// of it.
class ArchiveStream
{
public:
    enum class Formats {
        // Every format and compression read in-process; nothing that starts a program.
        Any,
        // One ZIP member from its local header on, as a stream.
        ZipMember,
        // One uncompressed TAR member from its first header on.
        TarMember,
    };

    // The reader after libarchive took the file's first bytes, or null. to < 0 reads to
    // the end of the file. abandoned (which may be null or empty) is asked at every read.
    static std::unique_ptr<ArchiveStream> Open(const QString& path, Formats formats,
        const std::function<bool()>* abandoned, qint64 from = 0, qint64 to = -1);
    ~ArchiveStream();
    ArchiveStream(const ArchiveStream&) = delete;
    ArchiveStream& operator=(const ArchiveStream&) = delete;

    archive* Reader() const { return m_reader; }
    qint64 FileSize() const { return m_fileSize; }
    // Who waits for this reader now; asked at every read and skip from here on.
    void SetAbandoned(const std::function<bool()>* abandoned) { m_abandoned = abandoned; }
    // A decompressed stream fails once its reader has passed this many bytes of it.
    void SetStreamLimit(qint64 bytes) { m_streamLimit = bytes; }
    // Whether a read or a skip failed because the reader was abandoned.
    bool WasAbandoned() const { return m_wasAbandoned; }
    // Whether the stream was cut short by the stream limit.
    bool PassedLimit() const { return m_passedLimit; }

private:
    ArchiveStream() = default;
    bool Abandoned();
    bool Refill();
    // How much of the block libarchive gets next.
    qint64 NextPiece(archive* reader);

    static la_ssize_t ReadCallback(archive* reader, void* data, const void** buffer);
    static la_int64_t SkipCallback(archive* reader, void* data, la_int64_t request);
    static la_int64_t SeekCallback(archive* reader, void* data, la_int64_t offset, int whence);

    archive* m_reader = nullptr;
    int m_fd = -1;
    qint64 m_fileSize = 0;
    // The window, in file offsets.
    qint64 m_from = 0;
    qint64 m_to = 0;
    // The next byte handed to libarchive, counted from the window's start.
    qint64 m_pos = 0;
    // The bytes read last, from m_bufferAt on (counted from the window's start).
    std::vector<char> m_buffer;
    qint64 m_bufferAt = 0;
    qint64 m_bufferLength = 0;
    size_t m_block = 0;
    qint64 m_piece = 16;
    const std::function<bool()>* m_abandoned = nullptr;
    qint64 m_streamLimit = -1;
    bool m_wasAbandoned = false;
    bool m_passedLimit = false;
};
