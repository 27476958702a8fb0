#include "platform/Paths.h"

#include <QFileInfo>

namespace Paths
{

QString FileNamePart(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.mid(slash + 1);
}

QString FolderPart(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash == 0 && path.size() > 1)
        return QStringLiteral("/");
    return slash < 0 ? QString() : path.left(slash);
}

bool IsExistingFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.isDir();
}

bool IsExistingFile(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool IsDotEntry(const QString& name)
{
    return name == QLatin1String(".") || name == QLatin1String("..");
}

QString Join(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool IsHiddenName(const QString& name)
{
    return name.startsWith(QLatin1Char('.'));
}

} // namespace Paths
