#include "app/TalvexDoc.h"

#include "platform/Paths.h"

#include <QDir>

#include <unistd.h>

void CTalvexDoc::SetTitle(const QString& title)
{
    m_strTitle = title;
    emit titleChanged();
}

bool CTalvexDoc::OnOpenDocument(const QString& path)
{
    QString absolute = path;
    if (!path.startsWith(QLatin1Char('/'))) {
        char* here = getcwd(nullptr, 0);
        absolute = Paths::Join(Paths::FromNative(QByteArray(here ? here : "")), path);
        free(here);
    }
    absolute = QDir::cleanPath(absolute);
    if (!Paths::IsExistingFile(absolute) && !Paths::IsExistingFolder(absolute))
        return false;
    if (access(Paths::ToNative(absolute).constData(), R_OK) != 0)
        return false;
    m_strPathName = absolute;
    return true;
}
