#pragma once

#include "images/PageSource.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <mutex>
#include <vector>

struct archive_entry;

// The pages of an archive book (ZIP, RAR, 7z, TAR): its regular, visible members that
// are pictures, in natural order, subfolders included. Nothing is ever extracted to the
// disk. A member is read into memory when asked for, through one of a few handles of
// the archive kept open; each handle goes on from where it stopped, so reading forward
// through a solid archive decompresses each part once per handle, and reading a ZIP
// jumps straight to the member.
class ArchivePages : public PageSource
{
public:
    // Members larger than this are taken for bombs and never read.
    static constexpr qint64 kMaxMemberBytes = qint64(128) << 20;
    // An archive's listing stops after this many entries of any kind.
    static constexpr int kMaxEntries = 100000;
    // The pages of a solid archive kept in memory, as they are stored (compressed
    // pictures), at most.
    static constexpr qint64 kKeptBytes = qint64(256) << 20;

    // Lists the archive; null when it cannot be read or holds no picture that can be.
    // isPicture says, by a member's file name, whether it is a page.
    static std::shared_ptr<ArchivePages> Scan(const QString& path,
        const std::function<bool(const QString&)>& isPicture,
        const std::function<bool()>& abandoned = {});
    ~ArchivePages() override;

    int Count() const override;
    QString PageId(int n) const override;
    QString RecordPath(int n) const override;
    std::unique_ptr<QIODevice> Open(
        const QString& pageId, const std::function<bool()>& abandoned) const override;

private:
    struct Member {
        QString name;
        // The entry's place in the archive, counting entries of every kind.
        int entry = 0;
    };
    struct Handle;

    explicit ArchivePages(const QString& path);
    // A handle of the archive at its first entry, or null.
    std::unique_ptr<Handle> NewHandle() const;
    // The kept handle that reaches entry soonest without going back, if any.
    std::unique_ptr<Handle> TakeHandle(int entry) const;
    void KeepHandle(std::unique_ptr<Handle> handle) const;
    bool Read(Handle& handle, const Member& member, QByteArray& bytes,
        const std::function<bool()>& abandoned) const;
    // The data of the entry whose header was just read.
    bool ReadData(Handle& handle, archive_entry* entry, QByteArray& bytes,
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
    // In a solid archive (7z mostly is; RAR says so) reaching a member decompresses
    // every one before it. Its pages are kept as read, so none is decompressed twice;
    // ZIP, TAR and other RAR archives reach any member at once and keep nothing.
    bool m_keepPassed = false;
    mutable QHash<int, QByteArray> m_kept;
    mutable qint64 m_keptBytes = 0;
    mutable std::mutex m_mutex;
    mutable std::vector<std::unique_ptr<Handle>> m_handles;
};
