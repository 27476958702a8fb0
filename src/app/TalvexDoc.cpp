#include "app/TalvexDoc.h"

#include <QFileInfo>

void CTalvexDoc::SetTitle(const QString& title)
{
    m_strTitle = title;
    emit titleChanged();
}

bool CTalvexDoc::OnOpenDocument(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return false;
    m_strPathName = info.absoluteFilePath();
    return true;
}
