#include "browser/BrowserRules.h"
#include "browser/ListColours.h"
#include "platform/Paths.h"
#include "view/TalvexView.h"

#include <QFileInfo>

namespace
{
const int kIconRead = 3;
const int kIconMissing = 4;
const int kImageIconOffset = 3;
} // namespace

void CTalvexView::FillResumeList(const BookRecord* target)
{
    m_listResume.DeleteAllColoredItems();
    int selected = 0;
    int row = 0;
    for (BookRecord& entry : m_resumeItems) {
        if (entry.nType != TYPE_FILE && entry.nType != TYPE_MISSING)
            continue;
        const QFileInfo info(entry.strPath);
        const bool present = info.exists() && !info.isDir();
        entry.nType = present ? TYPE_FILE : TYPE_MISSING;
        const int icon
            = (present ? kIconRead : kIconMissing) + (entry.bImages ? kImageIconOffset : 0);
        QString name = Paths::FileNamePart(entry.strPath);
        if (entry.bImages && m_bFolderOnResume) {
            const QString folderName = Paths::FileNamePart(Paths::FolderPart(entry.strPath));
            if (!folderName.isEmpty())
                name = folderName;
        }
        if (target && BrowserRules::IsSameEntry(entry, *target))
            selected = row;
        m_listResume.InsertColoredItem(row, name, icon);
        m_listResume.SetItemTextColor(row, kListRowText);
        m_listResume.SetItemBkColor(row, kListBackground);
        m_listResume.SetItemText(
            row, 1, QStringLiteral("%1/%2").arg(entry.nPage).arg(entry.nPageCount));
        ++row;
    }
    if (row > 0)
        m_listResume.SelectItem(selected);
    update();
}
