#pragma once

#include "browser/BookRecord.h"

#include <QByteArray>

#include <optional>

// The last place in each of the books read lately, kept apart from the Resume screen's
// entries: the page, layout, binding and magnification a book was left at, however it
// was closed. A PDF or an archive is known by its path and size, so that another file
// put in its place starts afresh; a folder book by its folder, its place naming the
// picture of the page. The most recent comes first; past kMaxBooks the oldest go.
class LastPlaces
{
public:
    static constexpr int kMaxBooks = 1000;

    // One book a line, as a Resume entry is written; lines that do not read are skipped.
    static LastPlaces Read(const QByteArray& contents);
    QByteArray Contents() const;

    // The place of the PDF or archive at path, of that size.
    std::optional<BookRecord> FindFile(const QString& path, quint64 size) const;
    // The place of the folder book in folder.
    std::optional<BookRecord> FindFolder(const QString& folder) const;
    // Puts the open book's place first; false when it is already so.
    bool Remember(const BookRecord& book);

    qsizetype Count() const { return m_books.size(); }

private:
    static bool IsFolderBook(const BookRecord& book);
    static bool SameBook(const BookRecord& a, const BookRecord& b);

    BookRecordList m_books;
};
