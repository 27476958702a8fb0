#include "images/ArchivePages.h"

#include "browser/NameOrder.h"
#include "images/ZipDirectory.h"
#include "platform/Paths.h"

#include <QBuffer>

#include <archive_entry.h>
#include <unistd.h>

#include <chrono>
#include <new>
#include <optional>

namespace
{
// Handles kept open: one for each decoding thread and one for the shape reader.
constexpr size_t kKeptHandles = 3;
constexpr qsizetype kChunk = 256 * 1024;
// What a member of unknown size takes from the budget at a time.
constexpr qint64 kShareStep = qint64(1) << 20;
// Longer names are no page's.
constexpr qsizetype kMaxNameLength = 4096;
constexpr auto kTurnPoll = std::chrono::milliseconds(20);

// A page's bytes, holding their part of the member budget until the decoder lets go.
class MemberBuffer : public QBuffer
{
public:
    MemberBuffer(const QByteArray& bytes, MemberBudget::Share share)
        : m_share(std::move(share))
    {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }

private:
    MemberBudget::Share m_share;
};

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
bool IsSolidRar(const QString& path)
{
    QByteArray head(64, '\0');
    const int fd = Paths::OpenRegularFile(path);
    const ssize_t got = fd < 0 ? -1 : ::pread(fd, head.data(), size_t(head.size()), 0);
    if (fd >= 0)
        ::close(fd);
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

bool Asked(const std::function<bool()>& abandoned)
{
    return abandoned && abandoned();
}

// The data of the entry whose header was just read: never more than it declares nor
// than a page may be, and only once the budget has room for it.
bool ReadData(archive* reader, archive_entry* entry, QByteArray& bytes, MemberBudget::Share& share,
    const std::function<bool()>& abandoned)
{
    const qint64 declared = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : -1;
    if (declared > ArchivePages::kMaxMemberBytes)
        return false;
    if (declared >= 0) {
        if (!share.GrowTo(declared, abandoned))
            return false;
        bytes.reserve(qsizetype(declared));
    }
    const qint64 limit = declared >= 0 ? declared : ArchivePages::kMaxMemberBytes;
    QByteArray chunk(kChunk, Qt::Uninitialized);
    for (;;) {
        if (Asked(abandoned))
            return false;
        const la_ssize_t got = archive_read_data(reader, chunk.data(), size_t(chunk.size()));
        if (got < 0 || bytes.size() + got > limit)
            return false;
        if (got == 0)
            return true;
        const qint64 size = bytes.size() + got;
        if (size > share.Bytes() && !share.GrowTo(std::min(limit, size + kShareStep), abandoned))
            return false;
        bytes.append(chunk.constData(), qsizetype(got));
    }
}

// Reads the rest of the entry whose header was just read, keeping nothing. libarchive
// 3.6 fails the member after two or more skipped in a solid 7z of pictures (its skip
// through LZMA-compressed pictures loses its place); read through, they are passed right.
bool Drain(archive* reader, const std::function<bool()>& abandoned)
{
    QByteArray chunk(kChunk, Qt::Uninitialized);
    for (;;) {
        if (Asked(abandoned))
            return false;
        const la_ssize_t got = archive_read_data(reader, chunk.data(), size_t(chunk.size()));
        if (got <= 0)
            return got == 0;
    }
}
} // namespace

ArchivePages::ArchivePages(const QString& path)
    : m_path(path)
{
}

ArchivePages::~ArchivePages() = default;

std::shared_ptr<ArchivePages> ArchivePages::Scan(const QString& path,
    const std::function<bool(const QString&)>& isPicture, const std::function<bool()>& abandoned)
{
    try {
        return List(path, isPicture, abandoned);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::shared_ptr<ArchivePages> ArchivePages::List(const QString& path,
    const std::function<bool(const QString&)>& isPicture, const std::function<bool()>& abandoned)
{
    std::shared_ptr<ArchivePages> pages(new ArchivePages(path));
    const std::unique_ptr<ArchiveStream> stream
        = ArchiveStream::Open(path, ArchiveStream::Formats::Any, &abandoned);
    if (!stream)
        return nullptr;
    stream->SetStreamLimit(kMaxListedStream);
    archive* reader = stream->Reader();
    QList<Member> found;
    std::optional<ZipDirectory> directory;
    bool plainTar = false;
    archive_entry* entry = nullptr;
    // A damaged part ends the listing; the pages before it still read.
    int status = ARCHIVE_OK;
    for (int i = 0; i < kMaxEntries; ++i) {
        if (Asked(abandoned))
            return nullptr;
        status = archive_read_next_header(reader, &entry);
        // A TAR member's window ends where the next entry's headers begin.
        const qint64 begins = archive_read_header_position(reader);
        if (plainTar && !found.isEmpty() && found.last().entry == i - 1)
            found.last().to = begins;
        if (!IsReadable(status))
            break;
        if (i == 0) {
            const int format = archive_format(reader) & ARCHIVE_FORMAT_BASE_MASK;
            const bool plain = archive_filter_count(reader) == 1;
            plainTar = plain && format == ARCHIVE_FORMAT_TAR;
            if (plain && format == ARCHIVE_FORMAT_ZIP)
                directory = ZipDirectory::Read(path);
            if (plainTar || directory)
                pages->m_windowFormats = plainTar ? ArchiveStream::Formats::TarMember
                                                  : ArchiveStream::Formats::ZipMember;
        }
        const QString name = EntryName(entry);
        if (IsVisibleFile(entry, name) && isPicture(name.section(QLatin1Char('/'), -1))) {
            Member member { name, i };
            if (directory) {
                // Right after the local header: where the member's data begins.
                const ZipDirectory::Window window
                    = directory->Find(archive_filter_bytes(reader, 0));
                member.from = window.from;
                member.to = window.to;
                member.whole = window.whole;
            } else if (plainTar) {
                member.from = begins;
            }
            found.append(member);
        }
        // Skipped here rather than by the next header, to tell a cut member from a cut
        // header after a whole one.
        status = archive_read_data_skip(reader);
        if (!IsReadable(status)) {
            if (!found.isEmpty() && found.last().entry == i)
                found.last().whole = false;
            break;
        }
    }
    if (Asked(abandoned) || stream->WasAbandoned())
        return nullptr;
    pages->TakeMembers(found, status == ARCHIVE_EOF);
    const int format = archive_format(reader) & ARCHIVE_FORMAT_BASE_MASK;
    const bool solidRar
        = (format == ARCHIVE_FORMAT_RAR || format == ARCHIVE_FORMAT_RAR_V5) && IsSolidRar(path);
    // libarchive reads no member of a solid RAR 4 after the first: such a book would open
    // with one page, so it is refused as a whole.
    const bool brokenOff = status != ARCHIVE_EOF && !IsReadable(status);
    if (pages->m_members.isEmpty() || (format == ARCHIVE_FORMAT_RAR && solidRar && brokenOff))
        return nullptr;
    pages->m_solid = format == ARCHIVE_FORMAT_7ZIP || solidRar;
    pages->m_keptLimit = pages->m_solid ? kKeptBytes - kDictionaryBytes : 0;
    return pages;
}

void ArchivePages::TakeMembers(const QList<Member>& found, bool cleanEnd)
{
    QStringList names;
    for (const Member& member : found)
        names.append(member.name);
    for (const qsizetype i : NameOrder::Order(names, true)) {
        const QString id = m_path + QLatin1Char('/') + found[i].name;
        // Two members of one name: the first is the page.
        if (m_byId.contains(id))
            continue;
        m_byId.insert(id, int(m_members.size()));
        m_members.append(found[i]);
        m_pageEntries.insert(found[i].entry);
    }
    const auto cut = std::find_if(
        m_members.cbegin(), m_members.cend(), [](const Member& member) { return !member.whole; });
    m_readable = int(cut - m_members.cbegin());
    m_incomplete = !cleanEnd || cut != m_members.cend();
}

int ArchivePages::Count() const
{
    return int(m_members.size());
}

int ArchivePages::ReadableCount() const
{
    return m_readable;
}

bool ArchivePages::Incomplete() const
{
    return m_incomplete;
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
    // A page that cannot be allocated is a damaged page.
    try {
        QByteArray bytes = Kept(member.entry);
        MemberBudget::Share share;
        if (bytes.isNull() && !ReadMember(member, bytes, share, abandoned))
            return nullptr;
        return std::make_unique<MemberBuffer>(bytes, std::move(share));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool ArchivePages::ReadMember(const Member& member, QByteArray& bytes, MemberBudget::Share& share,
    const std::function<bool()>& abandoned) const
{
    if (member.from >= 0) {
        const Reach reach = ReadWindow(member, bytes, share, abandoned);
        if (reach != Reach::Elsewhere)
            return reach == Reach::Read;
    }
    std::unique_lock<std::timed_mutex> turn(m_turn, std::defer_lock);
    if (m_solid) {
        while (!turn.try_lock_for(kTurnPoll)) {
            if (Asked(abandoned))
                return false;
        }
        // Kept meanwhile by the handle that had the turn.
        bytes = Kept(member.entry);
        if (!bytes.isNull())
            return true;
    }
    std::unique_ptr<Handle> handle = TakeHandle(member.entry);
    if (!handle) {
        handle = std::make_unique<Handle>();
        handle->stream = ArchiveStream::Open(m_path, ArchiveStream::Formats::Any, &abandoned);
        if (!handle->stream)
            return false;
    }
    handle->stream->SetAbandoned(&abandoned);
    if (!Walk(*handle, member, bytes, share, abandoned))
        return false;
    handle->stream->SetAbandoned(nullptr);
    KeepHandle(std::move(handle));
    return true;
}

ArchivePages::Reach ArchivePages::ReadWindow(const Member& member, QByteArray& bytes,
    MemberBudget::Share& share, const std::function<bool()>& abandoned) const
{
    const std::unique_ptr<ArchiveStream> stream
        = ArchiveStream::Open(m_path, m_windowFormats, &abandoned, member.from, member.to);
    if (!stream)
        return Asked(abandoned) ? Reach::Failed : Reach::Elsewhere;
    archive_entry* entry = nullptr;
    // Not the member listed (the archive was rewritten since): it is looked for anew.
    if (!IsReadable(archive_read_next_header(stream->Reader(), &entry))
        || EntryName(entry) != member.name)
        return stream->WasAbandoned() ? Reach::Failed : Reach::Elsewhere;
    return ReadData(stream->Reader(), entry, bytes, share, abandoned) ? Reach::Read : Reach::Failed;
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
    return m_keptBytes + declared <= m_keptLimit;
}

void ArchivePages::Keep(int entry, const QByteArray& bytes) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_kept.contains(entry) && m_keptBytes + bytes.size() <= m_keptLimit) {
        m_kept.insert(entry, bytes);
        m_keptBytes += bytes.size();
    }
}

std::unique_ptr<ArchivePages::Handle> ArchivePages::TakeHandle(int entry) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    auto best = m_handles.end();
    for (auto it = m_handles.begin(); it != m_handles.end(); ++it) {
        if ((*it)->next <= entry && (best == m_handles.end() || (*it)->next > (*best)->next))
            best = it;
    }
    if (best == m_handles.end()) {
        // A solid archive's handle past the member is closed before another decompresses.
        if (m_solid)
            m_handles.clear();
        return nullptr;
    }
    std::unique_ptr<Handle> handle = std::move(*best);
    m_handles.erase(best);
    return handle;
}

void ArchivePages::KeepHandle(std::unique_ptr<Handle> handle) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_handles.push_back(std::move(handle));
    if (m_handles.size() > (m_solid ? 1 : kKeptHandles))
        m_handles.erase(m_handles.begin());
}

bool ArchivePages::Walk(Handle& handle, const Member& member, QByteArray& bytes,
    MemberBudget::Share& share, const std::function<bool()>& abandoned) const
{
    archive* reader = handle.stream->Reader();
    archive_entry* entry = nullptr;
    while (handle.next <= member.entry) {
        if (Asked(abandoned))
            return false;
        // What is left unread of an entry is skipped by the next header. A solid archive
        // decompresses what it passes anyway, so its pages passed on the way are kept.
        if (!IsReadable(archive_read_next_header(reader, &entry)))
            return false;
        const int passed = handle.next++;
        if (passed == member.entry || !m_solid)
            continue;
        QByteArray page;
        MemberBudget::Share pageShare;
        if (m_pageEntries.contains(passed) && HasRoomFor(entry)
            && ReadData(reader, entry, page, pageShare, abandoned))
            Keep(passed, page);
        else if (!Drain(reader, abandoned))
            return false;
    }
    // The archive was rewritten since it was listed: the page is not there any more.
    if (EntryName(entry) != member.name || !ReadData(reader, entry, bytes, share, abandoned))
        return false;
    if (m_solid)
        Keep(member.entry, bytes);
    return true;
}
