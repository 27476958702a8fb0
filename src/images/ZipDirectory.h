#pragma once

#include <QString>

#include <optional>
#include <vector>

// Where the members of a ZIP lie, from its central directory: each member's local
// header offset and packed size, so that a member is read from its own header without
// passing the ones stored before it (ZIP tools store members in the order they found
// the files, which is seldom the order of the pages).
class ZipDirectory
{
public:
    // A member's window: its local header, its data and what follows up to the next
    // member's header or the directory.
    struct Window {
        qint64 from = -1;
        qint64 to = -1;
        // Whether the member's packed data ends within the window, not past the file's
        // end; taken as whole when its window is not known.
        bool whole = true;
    };

    // The directory, or nothing when the file has none that can be read (a download cut
    // short loses it first) or one too large to be a book's.
    static std::optional<ZipDirectory> Read(const QString& path);

    // The window of the member whose data begins at dataStart, which is where a reader
    // stands after the member's local header; no window when none is known there.
    Window Find(qint64 dataStart) const;

private:
    struct Record {
        qint64 offset = 0;
        qint64 packed = 0;
    };
    std::vector<Record> m_records;
    qint64 m_directoryStart = 0;
};
