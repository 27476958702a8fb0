#include "images/ArchivePages.h"

#include "browser/NameOrder.h"
#include "platform/Paths.h"

#include <QBuffer>

#include <archive.h>
#include <archive_entry.h>
#include <unistd.h>

namespace
{
// Handles kept open: one for each decoding thread and one for the shape reader.
constexpr size_t kKeptHandles = 3;
constexpr size_t kChunk = 256 * 1024;
// Longer names are no page's.
constexpr qsizetype kMaxNameLength = 4096;

// Every format and compression read in-process; nothing that would start a program.
archive* NewReader()
{
    archive* reader = archive_read_new();
    if (!reader)
        return nullptr;
    archive_read_support_format_zip(reader);
    archive_read_support_format_rar(reader);
    archive_read_support_format_rar5(reader);
    archive_read_support_format_7zip(reader);
    archive_read_support_format_tar(reader);
    archive_read_support_filter_gzip(reader);
    archive_read_support_filter_bzip2(reader);
    archive_read_support_filter_xz(reader);
    archive_read_support_filter_zstd(reader);
    return reader;
}

QString EntryName(archive_entry* entry)
{
    if (const char* utf8 = archive_entry_pathname_utf8(entry))
        return QString::fromUtf8(utf8);
    const char* raw = archive_entry_pathname(entry);
    return raw ? Paths::FromNative(QByteArray(raw)) : QString();
}

// Folders' own entries, links, devices, FIFOs, hidden files, the resource forks macOS
// leaves in "__MACOSX" and names that climb out through ".." are never pages; nor are
// members that cannot be decrypted.
bool IsVisibleFile(archive_entry* entry, const QString& name)
{
    if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry)
        || archive_entry_is_encrypted(entry) || name.isEmpty() || name.size() > kMaxNameLength)
        return false;
    const QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return std::none_of(parts.cbegin(), parts.cend(), [](const QString& part) {
        return (part.startsWith(QLatin1Char('.')) && part != QLatin1String("."))
            || part == QLatin1String("__MACOSX");
    });
}

// A vint of a RAR 5 header: seven bits a byte, low first. -1 when it runs out.
qint64 Vint(const QByteArray& head, qsizetype& at)
{
    qint64 value = 0;
    for (int shift = 0; at < head.size() && shift < 63; shift += 7) {
        const quint8 byte = quint8(head[at++]);
        value |= qint64(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return value;
    }
    return -1;
}

// Whether a RAR archive is solid, from its main header: members of a solid one are
// compressed as one stream, so reaching one decompresses those before it. Anything
// unclear (a self-extracting archive, a damaged header) counts as solid.
bool IsSolidRar(int fd)
{
    QByteArray head(64, '\0');
    const ssize_t got = ::pread(fd, head.data(), size_t(head.size()), 0);
    if (got < 16)
        return true;
    head.truncate(got);
    if (head.startsWith(QByteArray("Rar!\x1a\x07\x00", 7)))
        return head[9] != 0x73 || (quint8(head[10]) & 0x08) != 0;
    if (!head.startsWith(QByteArray("Rar!\x1a\x07\x01\x00", 8)))
        return true;
    qsizetype at = 12;
    const qint64 size = Vint(head, at);
    const qint64 type = Vint(head, at);
    const qint64 flags = Vint(head, at);
    if (size < 0 || type != 1 || flags < 0)
        return true;
    if ((flags & 0x01) && Vint(head, at) < 0)
        return true;
    if ((flags & 0x02) && Vint(head, at) < 0)
        return true;
    const qint64 archiveFlags = Vint(head, at);
    return archiveFlags < 0 || (archiveFlags & 0x04) != 0;
}

bool IsReadable(int result)
{
    return result == ARCHIVE_OK || result == ARCHIVE_WARN;
}
} // namespace

struct ArchivePages::Handle {
    ~Handle()
    {
        if (reader)
            archive_read_free(reader);
        if (fd >= 0)
            ::close(fd);
    }
    archive* reader = nullptr;
    int fd = -1;
    // The entry whose header comes next.
    int next = 0;
};

ArchivePages::ArchivePages(const QString& path)
    : m_path(path)
{
}

ArchivePages::~ArchivePages() = default;

std::shared_ptr<ArchivePages> ArchivePages::Scan(const QString& path,
    const std::function<bool(const QString&)>& isPicture, const std::function<bool()>& abandoned)
{
    std::shared_ptr<ArchivePages> pages(new ArchivePages(path));
    const std::unique_ptr<Handle> handle = pages->NewHandle();
    if (!handle)
        return nullptr;
    QList<Member> found;
    QStringList names;
    archive_entry* entry = nullptr;
    // A damaged part ends the listing; the pages before it still read.
    int status = ARCHIVE_OK;
    for (int i = 0;
         i < kMaxEntries && IsReadable(status = archive_read_next_header(handle->reader, &entry));
         ++i) {
        if (abandoned && abandoned())
            return nullptr;
        const QString name = EntryName(entry);
        if (!IsVisibleFile(entry, name) || !isPicture(name.section(QLatin1Char('/'), -1)))
            continue;
        found.append({ name, i });
        names.append(name);
    }
    for (const qsizetype i : NameOrder::Order(names, true)) {
        const QString id = pages->m_path + QLatin1Char('/') + found[i].name;
        // Two members of one name: the first is the page.
        if (pages->m_byId.contains(id))
            continue;
        pages->m_byId.insert(id, int(pages->m_members.size()));
        pages->m_members.append(found[i]);
    }
    const int format = archive_format(handle->reader) & ARCHIVE_FORMAT_BASE_MASK;
    const bool solidRar = (format == ARCHIVE_FORMAT_RAR || format == ARCHIVE_FORMAT_RAR_V5)
        && IsSolidRar(handle->fd);
    // libarchive reads no member of a solid RAR 4 after the first: such a book would open
    // with one page, so it is refused as a whole.
    const bool brokenOff = status != ARCHIVE_EOF && !IsReadable(status);
    if (pages->m_members.isEmpty() || (format == ARCHIVE_FORMAT_RAR && solidRar && brokenOff))
        return nullptr;
    for (const Member& member : std::as_const(pages->m_members))
        pages->m_pageEntries.insert(member.entry);
    pages->m_keepPassed = format == ARCHIVE_FORMAT_7ZIP || solidRar;
    return pages;
}

int ArchivePages::Count() const
{
    return int(m_members.size());
}

QString ArchivePages::PageId(int n) const
{
    if (n < 1 || n > m_members.size())
        return {};
    return m_path + QLatin1Char('/') + m_members[n - 1].name;
}

QString ArchivePages::RecordPath(int) const
{
    return m_path;
}

std::unique_ptr<QIODevice> ArchivePages::Open(
    const QString& pageId, const std::function<bool()>& abandoned) const
{
    const auto found = m_byId.constFind(pageId);
    if (found == m_byId.constEnd())
        return nullptr;
    const Member& member = m_members[*found];
    QByteArray bytes = Kept(member.entry);
    if (bytes.isNull()) {
        std::unique_ptr<Handle> handle = TakeHandle(member.entry);
        if (!handle)
            handle = NewHandle();
        if (!handle || !Read(*handle, member, bytes, abandoned))
            return nullptr;
        KeepHandle(std::move(handle));
    }
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

QByteArray ArchivePages::Kept(int entry) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_kept.value(entry);
}

bool ArchivePages::HasRoomFor(archive_entry* entry) const
{
    const qint64 declared = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_keptBytes + declared <= kKeptBytes;
}

void ArchivePages::Keep(int entry, const QByteArray& bytes) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_kept.contains(entry) && m_keptBytes + bytes.size() <= kKeptBytes) {
        m_kept.insert(entry, bytes);
        m_keptBytes += bytes.size();
    }
}

std::unique_ptr<ArchivePages::Handle> ArchivePages::NewHandle() const
{
    auto handle = std::make_unique<Handle>();
    handle->fd = Paths::OpenRegularFile(m_path);
    if (handle->fd < 0)
        return nullptr;
    handle->reader = NewReader();
    if (!handle->reader || archive_read_open_fd(handle->reader, handle->fd, kChunk) != ARCHIVE_OK)
        return nullptr;
    return handle;
}

std::unique_ptr<ArchivePages::Handle> ArchivePages::TakeHandle(int entry) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    auto best = m_handles.end();
    for (auto it = m_handles.begin(); it != m_handles.end(); ++it) {
        if ((*it)->next <= entry && (best == m_handles.end() || (*it)->next > (*best)->next))
            best = it;
    }
    if (best == m_handles.end())
        return nullptr;
    std::unique_ptr<Handle> handle = std::move(*best);
    m_handles.erase(best);
    return handle;
}

void ArchivePages::KeepHandle(std::unique_ptr<Handle> handle) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_handles.push_back(std::move(handle));
    if (m_handles.size() > kKeptHandles)
        m_handles.erase(m_handles.begin());
}

bool ArchivePages::Read(Handle& handle, const Member& member, QByteArray& bytes,
    const std::function<bool()>& abandoned) const
{
    archive_entry* entry = nullptr;
    while (handle.next <= member.entry) {
        if (abandoned && abandoned())
            return false;
        // What is left unread of an entry is skipped by the next header: in a solid
        // archive that decompresses it, so the pages passed on the way are kept.
        if (!IsReadable(archive_read_next_header(handle.reader, &entry)))
            return false;
        const int passed = handle.next++;
        if (passed < member.entry && m_keepPassed && m_pageEntries.contains(passed)
            && HasRoomFor(entry)) {
            QByteArray page;
            if (ReadData(handle, entry, page, abandoned))
                Keep(passed, page);
        }
    }
    // The archive was rewritten since it was listed: the page is not there any more.
    if (EntryName(entry) != member.name || !ReadData(handle, entry, bytes, abandoned))
        return false;
    if (m_keepPassed)
        Keep(member.entry, bytes);
    return true;
}

bool ArchivePages::ReadData(Handle& handle, archive_entry* entry, QByteArray& bytes,
    const std::function<bool()>& abandoned) const
{
    const qint64 declared = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
    if (declared > kMaxMemberBytes)
        return false;
    bytes.reserve(qsizetype(std::max<qint64>(declared, 0)));
    QByteArray chunk(qsizetype(kChunk), Qt::Uninitialized);
    for (;;) {
        if (abandoned && abandoned())
            return false;
        const la_ssize_t got = archive_read_data(handle.reader, chunk.data(), kChunk);
        if (got < 0 || bytes.size() + got > kMaxMemberBytes)
            return false;
        if (got == 0)
            return true;
        bytes.append(chunk.constData(), qsizetype(got));
    }
}
