#include "pdf/TempCopy.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>

namespace TempCopy
{

QString Create()
{
    const QString folder = QDir::tempPath();
    if (folder.isEmpty())
        return {};
    QTemporaryFile temp(folder + QStringLiteral("/LuXXXXXX.tmp"));
    temp.setAutoRemove(false);
    if (!temp.open())
        return {};
    return temp.fileName();
}

void CopyOver(const QString& from, const QString& to)
{
    QFile source;
    QFile target(to);
    if (!Paths::OpenForReading(source, from) || !target.open(QIODevice::WriteOnly))
        return;
    QByteArray chunk;
    while (!(chunk = source.read(1 << 20)).isEmpty()) {
        if (target.write(chunk) != chunk.size())
            return;
    }
}

void RemoveStale()
{
    static const QRegularExpression name(QStringLiteral("^Lu[A-Za-z0-9]{6}\\.tmp$"));
    const QDir folder(QDir::tempPath());
    for (const QString& entry : folder.entryList({ QStringLiteral("Lu*.tmp") }, QDir::Files)) {
        if (name.match(entry).hasMatch())
            QFile::remove(folder.filePath(entry));
    }
}

} // namespace TempCopy
