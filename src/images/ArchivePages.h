#pragma once

#include "images/ArchiveStream.h"
#include "images/MemberBudget.h"
#include "images/PageSource.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <mutex>
#include <vector>

struct archive_entry;

// The pages of an archive book (ZIP, RAR, 7z, TAR): its regular, visible members that
// are pictures, in natural order, subfolders included. Nothing is ever extracted to the
// disk. A member of a ZIP or of an uncompressed TAR is read straight from where the
// listing found it. Other archives are read through a few handles kept open; each
// handle goes on from where it stopped, so reading forward through a solid archive
// decompresses each part once, and the pages a solid archive's handle passes are kept.
class ArchivePages : public PageSource
{
public:
    // Members declaring more than this are damaged pages, never read: no compressed
    // picture of a page comes near it (a 600 dpi scan of an A3 page, 70 million pixels,
    // is about 20 MB as a JPEG and 40 MB as a PNG), while three members of this size
    // read at once already take a sixth of a small machine's memory.
    static constexpr qint64 kMaxMemberBytes = qint64(64) << 20;
    // An archive's listing stops after this many entries of any kind.
    static constexpr int kMaxEntries = 100000;
    // The listing of a compressed TAR stops after decompressing this much of it (bzip2
    // takes some 3.5 s a gigabyte here): a book is seldom packed so, and a larger one
    // costs as much again whenever a turn back starts decompressing from its beginning.
    static constexpr qint64 kMaxListedStream = qint64(2) << 30;
    // What a solid archive may hold in memory at most: the pages kept as they are
    // stored (compressed pictures) and the dictionary of the one handle decompressing.
    static constexpr qint64 kKeptBytes = qint64(256) << 20;
    // libarchive does not tell a handle's dictionary, so the largest one 7-Zip's own
    // settings choose (LZMA2 at its strongest level on large files) is counted.
    static constexpr qint64 kDictionaryBytes = qint64(192) << 20;

    // Lists the archive; null when it cannot be read, holds no picture that can be, or
    // once abandoned() says nobody waits for the listing any more (asked between entries
    // and within every read, so a long skip through a compressed archive stops too).
    // isPicture says, by a member's file name, whether it is a page.
    static std::shared_ptr<ArchivePages> Scan(const QString& path,
        const std::function<bool(const QString&)>& isPicture,
        const std::function<bool()>& abandoned = {});
    ~ArchivePages() override;

    int Count() const override;
    // The pages, from the first in page order, whose data the listing found whole: every
    // page before the first one that is damaged or cut short.
    int ReadableCount() const;
    // Whether the listing ended in damage, a cut or one of its limits rather than at the
    // archive's clean end, or a page's data runs past the end of the file.
    bool Incomplete() const;
    QString PageId(int n) const override;
    QString RecordPath(int n) const override;
    std::unique_ptr<QIODevice> Open(
        const QString& pageId, const std::function<bool()>& abandoned) const override;

private:
    struct Member {
        QString name;
        // The entry's place in the archive, counting entries of every kind.
        int entry = 0;
        // Where the member's headers and data lie in the file, when it can be read from
        // there alone; from is -1 when not.
        qint64 from = -1;
        qint64 to = -1;
        bool whole = true;
    };
    struct Handle {
        std::unique_ptr<ArchiveStream> stream;
        // The entry whose header comes next.
        int next = 0;
    };
    enum class Reach { Read, Failed, Elsewhere };

    explicit ArchivePages(const QString& path);
    static std::shared_ptr<ArchivePages> List(const QString& path,
        const std::function<bool(const QString&)>& isPicture,
        const std::function<bool()>& abandoned);
    // Orders the members found into pages, and tells how far they are whole.
    void TakeMembers(const QList<Member>& found, bool cleanEnd);
    bool ReadMember(const Member& member, QByteArray& bytes, MemberBudget::Share& share,
        const std::function<bool()>& abandoned) const;
    // The member from its own window of the file: elsewhere when its header is not there.
    Reach ReadWindow(const Member& member, QByteArray& bytes, MemberBudget::Share& share,
        const std::function<bool()>& abandoned) const;
    // The kept handle that reaches entry soonest without going back, if any.
    std::unique_ptr<Handle> TakeHandle(int entry) const;
    void KeepHandle(std::unique_ptr<Handle> handle) const;
    bool Walk(Handle& handle, const Member& member, QByteArray& bytes, MemberBudget::Share& share,
        const std::function<bool()>& abandoned) const;
    // The bytes kept of a page's entry, or a null array.
    QByteArray Kept(int entry) const;
    void Keep(int entry, const QByteArray& bytes) const;
    // Whether the entry whose header was just read would still be kept.
    bool HasRoomFor(archive_entry* entry) const;

    QString m_path;
    QList<Member> m_members;
    QHash<QString, int> m_byId;
    QSet<int> m_pageEntries;
    int m_readable = 0;
    bool m_incomplete = false;
    // How a member with a window is read from it.
    ArchiveStream::Formats m_windowFormats = ArchiveStream::Formats::Any;
    // In a solid archive (7z mostly is; RAR says so) reaching a member decompresses
    // every one before it. Its pages are kept as read, so none is decompressed twice,
    // and one handle at a time decompresses, so one dictionary is held.
    bool m_solid = false;
    qint64 m_keptLimit = 0;
    mutable std::timed_mutex m_turn;
    mutable QHash<int, QByteArray> m_kept;
    mutable qint64 m_keptBytes = 0;
    mutable std::mutex m_mutex;
    mutable std::vector<std::unique_ptr<Handle>> m_handles;
};
