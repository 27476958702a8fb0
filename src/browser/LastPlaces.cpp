#include "browser/LastPlaces.h"

#include "browser/BrowserRules.h"
#include "browser/ResumeStore.h"
#include "platform/Paths.h"

#include <algorithm>

namespace
{
// A name may hold a line break: lines are escaped, the backslash first.
QString Escaped(const QString& line)
{
    QString out;
    out.reserve(line.size());
    for (const QChar c : line) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QString Unescaped(QStringView line)
{
    QString out;
    out.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c != QLatin1Char('\\') || i + 1 == line.size()) {
            out += c;
            continue;
        }
        const QChar next = line[++i];
        out += next == QLatin1Char('n') ? QLatin1Char('\n')
            : next == QLatin1Char('r')  ? QLatin1Char('\r')
                                        : next;
    }
    return out;
}
} // namespace

LastPlaces LastPlaces::Read(const QByteArray& contents)
{
    LastPlaces places;
    for (const QByteArray& line : contents.split('\n')) {
        if (places.m_books.size() >= kMaxBooks)
            break;
        const std::optional<BookRecord> book
            = ResumeStore::Parse(Unescaped(QString::fromUtf8(line)));
        if (!book || book->nType != TYPE_FILE || book->nPage < 1)
            continue;
        const bool twice = std::any_of(places.m_books.cbegin(), places.m_books.cend(),
            [&book](const BookRecord& known) { return SameBook(known, *book); });
        if (!twice)
            places.m_books.append(*book);
    }
    return places;
}

QByteArray LastPlaces::Contents() const
{
    QByteArray contents;
    for (const BookRecord& book : m_books)
        contents += Escaped(ResumeStore::Format(book)).toUtf8() + '\n';
    return contents;
}

std::optional<BookRecord> LastPlaces::FindFile(const QString& path, quint64 size) const
{
    for (const BookRecord& book : m_books) {
        if (!IsFolderBook(book) && book.nSize == size && Paths::SameName(book.strPath, path))
            return book;
    }
    return std::nullopt;
}

std::optional<BookRecord> LastPlaces::FindFolder(const QString& folder) const
{
    for (const BookRecord& book : m_books) {
        if (IsFolderBook(book) && Paths::SameName(Paths::FolderPart(book.strPath), folder))
            return book;
    }
    return std::nullopt;
}

bool LastPlaces::Remember(const BookRecord& book)
{
    if (book.nPage < 1 || book.strPath.isEmpty())
        return false;
    BookRecord place = book;
    place.nType = TYPE_FILE;
    if (!m_books.isEmpty() && SameBook(m_books.first(), place) && m_books.first() == place)
        return false;
    m_books.removeIf([&place](const BookRecord& known) { return SameBook(known, place); });
    m_books.prepend(place);
    if (m_books.size() > kMaxBooks)
        m_books.resize(kMaxBooks);
    return true;
}

bool LastPlaces::IsFolderBook(const BookRecord& book)
{
    return book.bImages && !BrowserRules::IsArchiveName(book.strPath);
}

bool LastPlaces::SameBook(const BookRecord& a, const BookRecord& b)
{
    if (IsFolderBook(a) != IsFolderBook(b))
        return false;
    if (IsFolderBook(a))
        return Paths::SameName(Paths::FolderPart(a.strPath), Paths::FolderPart(b.strPath));
    return a.nSize == b.nSize && Paths::SameName(a.strPath, b.strPath);
}
