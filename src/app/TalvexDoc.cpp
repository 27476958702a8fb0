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
    const QString absolute = Paths::Absolute(path);
    if (!Paths::IsExistingFile(absolute) && !Paths::IsExistingFolder(absolute))
        return false;
    if (access(Paths::ToNative(absolute).constData(), R_OK) != 0)
        return false;
    m_strPathName = absolute;
    return true;
}
