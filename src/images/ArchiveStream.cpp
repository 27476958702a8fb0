#include "images/ArchiveStream.h"

#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
// A header is read with the first block after a jump; reading on doubles the blocks.
constexpr size_t kFirstBlock = 16 * 1024;
constexpr size_t kLastBlock = 256 * 1024;
// What libarchive gets at a time. A decompressor holds on to what it was given and goes
// on with it without coming back here, so a piece must not hold more than a few
// megabytes' worth of a compressed stream of zeros: gzip expands a thousand times, xz
// seven thousand, zstd some tens of thousands, bzip2 over a million (1 GB of zeros in
// 785 bytes, a block of 46 MB in 35). Until the stream is known it starts with the least
// piece and doubles it, since the first pieces may already be a decompressor's.
constexpr qint64 kPiece = 8 * 1024;
constexpr qint64 kLeastPiece = 32;

qint64 MostPiece(archive* reader)
{
    if (archive_filter_count(reader) < 2)
        return kPiece;
    switch (archive_filter_code(reader, 0)) {
    case ARCHIVE_FILTER_GZIP:
        return kPiece;
    case ARCHIVE_FILTER_XZ:
    case ARCHIVE_FILTER_LZMA:
        return 1024;
    case ARCHIVE_FILTER_ZSTD:
        return 256;
    default:
        return kLeastPiece;
    }
}

void Support(archive* reader, ArchiveStream::Formats formats)
{
    switch (formats) {
    case ArchiveStream::Formats::ZipMember:
        archive_read_support_format_zip_streamable(reader);
        return;
    case ArchiveStream::Formats::TarMember:
        archive_read_support_format_tar(reader);
        return;
    case ArchiveStream::Formats::Any:
        archive_read_support_format_zip(reader);
        archive_read_support_format_rar(reader);
        archive_read_support_format_rar5(reader);
        archive_read_support_format_7zip(reader);
        archive_read_support_format_tar(reader);
        archive_read_support_filter_gzip(reader);
        archive_read_support_filter_bzip2(reader);
        archive_read_support_filter_xz(reader);
        archive_read_support_filter_zstd(reader);
        return;
    }
}
} // namespace

std::unique_ptr<ArchiveStream> ArchiveStream::Open(const QString& path, Formats formats,
    const std::function<bool()>* abandoned, qint64 from, qint64 to)
{
    std::unique_ptr<ArchiveStream> stream(new ArchiveStream);
    stream->m_abandoned = abandoned;
    stream->m_fd = Paths::OpenRegularFile(path);
    struct stat status {
    };
    if (stream->m_fd < 0 || ::fstat(stream->m_fd, &status) != 0)
        return nullptr;
    stream->m_fileSize = status.st_size;
    stream->m_to = to < 0 ? stream->m_fileSize : std::min<qint64>(to, stream->m_fileSize);
    stream->m_from = from;
    if (from < 0 || from > stream->m_to)
        return nullptr;
    stream->m_block = kFirstBlock;
    stream->m_reader = archive_read_new();
    archive* reader = stream->m_reader;
    if (!reader)
        return nullptr;
    Support(reader, formats);
    archive_read_set_read_callback(reader, ReadCallback);
    archive_read_set_skip_callback(reader, SkipCallback);
    archive_read_set_seek_callback(reader, SeekCallback);
    archive_read_set_callback_data(reader, stream.get());
    if (archive_read_open1(reader) != ARCHIVE_OK)
        return nullptr;
    return stream;
}

ArchiveStream::~ArchiveStream()
{
    if (m_reader)
        archive_read_free(m_reader);
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ArchiveStream::Abandoned()
{
    if (!m_wasAbandoned && m_abandoned && *m_abandoned && (*m_abandoned)())
        m_wasAbandoned = true;
    return m_wasAbandoned;
}

bool ArchiveStream::Refill()
{
    const qint64 size = std::min<qint64>(qint64(m_block), m_to - m_from - m_pos);
    m_bufferAt = m_pos;
    m_bufferLength = 0;
    if (size <= 0)
        return true;
    m_buffer.resize(kLastBlock);
    ssize_t got = -1;
    do {
        got = ::pread(m_fd, m_buffer.data(), size_t(size), m_from + m_pos);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        return false;
    m_bufferLength = got;
    m_block = std::min(m_block * 2, kLastBlock);
    return true;
}

qint64 ArchiveStream::NextPiece(archive* reader)
{
    m_piece = std::min(MostPiece(reader), m_piece * 2);
    return m_piece;
}

la_ssize_t ArchiveStream::ReadCallback(archive* reader, void* data, const void** buffer)
{
    auto* self = static_cast<ArchiveStream*>(data);
    if (self->Abandoned()) {
        archive_set_error(reader, ECANCELED, "Given up");
        return ARCHIVE_FATAL;
    }
    if (self->m_streamLimit >= 0 && archive_filter_count(reader) > 1
        && archive_filter_bytes(reader, 0) > self->m_streamLimit) {
        self->m_passedLimit = true;
        archive_set_error(reader, EFBIG, "Longer than a book is read");
        return ARCHIVE_FATAL;
    }
    if (self->m_pos < self->m_bufferAt || self->m_pos >= self->m_bufferAt + self->m_bufferLength) {
        if (!self->Refill()) {
            archive_set_error(reader, errno, "Read failed");
            return ARCHIVE_FATAL;
        }
        if (self->m_bufferLength == 0)
            return 0;
    }
    const qint64 piece
        = std::min(self->NextPiece(reader), self->m_bufferAt + self->m_bufferLength - self->m_pos);
    *buffer = self->m_buffer.data() + (self->m_pos - self->m_bufferAt);
    self->m_pos += piece;
    return la_ssize_t(piece);
}

la_int64_t ArchiveStream::SkipCallback(archive*, void* data, la_int64_t request)
{
    auto* self = static_cast<ArchiveStream*>(data);
    // Nothing skipped makes libarchive read instead, and that read fails.
    if (self->Abandoned())
        return 0;
    // Never past the window: a skip beyond it is a member cut short.
    const qint64 skipped = std::clamp<qint64>(request, 0, self->m_to - self->m_from - self->m_pos);
    self->m_pos += skipped;
    if (self->m_pos >= self->m_bufferAt + self->m_bufferLength)
        self->m_block = kFirstBlock;
    return skipped;
}

la_int64_t ArchiveStream::SeekCallback(archive*, void* data, la_int64_t offset, int whence)
{
    auto* self = static_cast<ArchiveStream*>(data);
    const qint64 size = self->m_to - self->m_from;
    const qint64 base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? self->m_pos : size;
    const qint64 target = base + offset;
    if (target < 0)
        return ARCHIVE_FATAL;
    self->m_pos = std::min(target, size);
    if (self->m_pos < self->m_bufferAt || self->m_pos >= self->m_bufferAt + self->m_bufferLength)
        self->m_block = kFirstBlock;
    return self->m_pos;
}
