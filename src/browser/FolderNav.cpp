#include "browser/FolderNav.h"

#include "platform/Paths.h"

namespace FolderNav
{

std::optional<Move> Up(const QString& current)
{
    if (current.isEmpty())
        return std::nullopt;
    const QString p = current.endsWith(QLatin1Char('/')) ? current.chopped(1) : current;
    const qsizetype last = p.lastIndexOf(QLatin1Char('/'));
    if (last < 0)
        return Move { QString(), current };
    const bool firstSlash = last == p.indexOf(QLatin1Char('/'));
    return Move { p.left(firstSlash ? last + 1 : last), Paths::FileNamePart(p) };
}

std::optional<Move> Top(const QString& current, const QStringList& driveRoots)
{
    const qsizetype first = current.indexOf(QLatin1Char('/'));
    if (current.isEmpty() || first < 0)
        return std::nullopt;
    QString best = current.left(first + 1);
    for (const QString& root : driveRoots) {
        const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
        const bool leads
            = Paths::SameName(current, root) || current.startsWith(prefix, Qt::CaseInsensitive);
        if (leads && root.size() > best.size())
            best = root;
    }
    return Move { QString(), best };
}

} // namespace FolderNav
