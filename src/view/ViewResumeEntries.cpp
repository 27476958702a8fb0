#include "browser/BrowserRules.h"
#include "browser/InqResumeDeleteDlg.h"
#include "browser/ListColours.h"
#include "browser/ResumeRules.h"
#include "browser/ResumeStore.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/Prompt.h"
#include "view/TalvexView.h"

namespace
{
const int kIconRead = 3;
const int kIconMissing = 4;
const int kImageIconOffset = 3;
const int kArchiveIconOffset = 6;

int ResumeIcon(const BookRecord& entry)
{
    const BrowserRules::BookKind kind = BrowserRules::KindOf(entry);
    return (entry.nType == TYPE_MISSING ? kIconMissing : kIconRead)
        + (kind == BrowserRules::BookKind::Archive       ? kArchiveIconOffset
                : kind == BrowserRules::BookKind::Folder ? kImageIconOffset
                                                         : 0);
}
} // namespace

void CTalvexView::FillResumeList(const BookRecord* target)
{
    m_listResume.DeleteAllColoredItems();
    m_resumeRows.clear();
    int selected = 0;
    int row = 0;
    QStringList books;
    for (qsizetype i = 0; i < m_resumeItems.size(); ++i) {
        const BookRecord& entry = m_resumeItems[i];
        if (entry.nType != TYPE_FILE && entry.nType != TYPE_MISSING)
            continue;
        // Shown as last seen; whether the book is still there is read in the background.
        // An archive is named by its own file, as it is the book.
        QString name = Paths::FileNamePart(entry.strPath);
        if (BrowserRules::KindOf(entry) == BrowserRules::BookKind::Folder && m_bFolderOnResume) {
            const QString folderName = Paths::FileNamePart(Paths::FolderPart(entry.strPath));
            if (!folderName.isEmpty())
                name = folderName;
        }
        if (target && BrowserRules::IsSameEntry(entry, *target))
            selected = row;
        m_listResume.InsertColoredItem(row, Paths::ForDisplay(name), ResumeIcon(entry));
        m_listResume.SetItemTextColor(row, kListRowText);
        m_listResume.SetItemBkColor(row, kListBackground);
        m_listResume.SetItemText(
            row, 1, QStringLiteral("%1/%2").arg(entry.nPage).arg(entry.nPageCount));
        m_resumeRows.append(i);
        books << entry.strPath;
        ++row;
    }
    if (row > 0)
        m_listResume.SelectItem(selected);
    update();
    m_resumeSizes.Start(books);
}

void CTalvexView::OnResumeSizesRead(qsizetype first, const QList<qint64>& sizes)
{
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const qsizetype row = first + i;
        if (row >= m_resumeRows.size() || m_resumeRows[row] >= m_resumeItems.size())
            continue;
        BookRecord& entry = m_resumeItems[m_resumeRows[row]];
        entry.nType = sizes[i] >= 0 ? TYPE_FILE : TYPE_MISSING;
        m_listResume.SetItemIcon(int(row), ResumeIcon(entry));
    }
}

void CTalvexView::RegisterResume(int mode)
{
    const auto result = ResumeRules::Register(m_resumeItems, m_book,
        ResumeRules::RegisterMode(mode), m_strOpenedPath, m_nOpenedPage, m_bFolderOnResume);
    if (result == ResumeRules::Full)
        Prompt::MessageBox(this, QStringLiteral("登録最大数を超えるため、登録できません。"),
            Prompt::ErrorIcon, Prompt::Ok);
    // An overwrite may have removed the entry it came from even when nothing was added.
    SaveResumeEntriesNow();
}

void CTalvexView::OnResumeDelete()
{
    if (m_bContent)
        return;
    const BookRecord* selected = SelectedRecord();
    if (!selected)
        return;
    if (!m_bResumeScreen && (selected->nType != TYPE_FILE || selected->nPage < 0))
        return;
    CInqResumeDeleteDlg dlg(this);
    if (Prompt::RunModal(dlg) != QDialog::Accepted)
        return;
    if (m_bResumeScreen)
        m_resumeItems.removeAt(m_listResume.GetSelectedIndex());
    else
        ResumeRules::RemoveAllOfPath(m_resumeItems, selected->strPath);
    m_book = BookRecord();
    SaveResumeEntriesNow();
    ShowListScreen();
}

void CTalvexView::FilterResumeByPicExt()
{
    if (ResumeRules::FilterByPicExt(m_resumeItems, m_nPicExt) > 0)
        SaveResumeEntriesNow();
}

void CTalvexView::SaveResumeEntriesNow()
{
    if (!m_bInitialUpdateDone)
        return;
    Profile profile;
    ResumeStore::SaveResumeEntries(profile, m_resumeItems);
}
