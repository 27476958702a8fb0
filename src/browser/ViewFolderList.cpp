#include "browser/BrowserRules.h"
#include "browser/FolderScan.h"
#include "browser/ListColours.h"
#include "browser/ResumeLookup.h"
#include "images/ArchivePages.h"
#include "images/FolderPages.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "view/TalvexView.h"

namespace
{

enum Icon {
    ICON_DRIVE = 0,
    ICON_FOLDER,
    ICON_PDF,
    ICON_PDF_READ,
    ICON_MISSING,
    ICON_PICTURE,
    ICON_PICTURE_READ,
    ICON_PICTURE_MISSING,
    ICON_ARCHIVE
};
} // namespace

void CTalvexView::ScanDrives()
{
    m_folderItems = FolderScan::ScanDrives();
}

void CTalvexView::ScanFolder()
{
    m_folderItems
        = FolderScan::ScanFolder(m_strCurrentFolder, ListedKinds(), m_resumeItems, m_bNaturalSort);
}

int CTalvexView::ScanImageBook(const BookRecord& record)
{
    if (BrowserRules::IsArchiveName(record.strPath)) {
        const int picExt = m_nPicExt;
        const std::shared_ptr<ArchivePages> archive
            = ArchivePages::Scan(record.strPath, [picExt](const QString& name) {
                  return BrowserRules::ClassifyName(name, picExt).IsPicture();
              });
        m_pageSource = archive;
        if (!archive)
            m_pageSource = std::make_shared<FolderPages>();
        // An archive's entry holds its page by number; one that lost pages opens on its last.
        return archive ? std::clamp(record.nPage, 1, archive->Count()) : -1;
    }
    QStringList files;
    const int page = FolderScan::ScanImageBook(record.strPath, m_nPicExt, files, m_bNaturalSort);
    m_pageSource = std::make_shared<FolderPages>(Paths::FolderPart(record.strPath), files);
    return page;
}

int CTalvexView::ListedKinds() const
{
    return m_nPicExt | (m_bArchives ? PICEXT_ARCHIVES : 0);
}

void CTalvexView::LookupResume(BookRecord& record) const
{
    ResumeLookup(m_resumeItems).Apply(record);
}

void CTalvexView::FillFolderList(const QString& nameToSelect)
{
    if (m_strCurrentFolder.isEmpty()) {
        ScanDrives();
    } else {
        for (;;) {
            if (Paths::IsExistingFolder(m_strCurrentFolder)) {
                ScanFolder();
                break;
            }
            const int answer
                = Prompt::MessageBox(this, QStringLiteral("フォルダーが見つかりません。"),
                    Prompt::NoIcon, Prompt::RetryCancel);
            if (answer != Prompt::IDRETRY) {
                m_strCurrentFolder.clear();
                ScanDrives();
                break;
            }
        }
    }

    m_listFolder.DeleteAllColoredItems();
    int selected = 0;
    for (int i = 0; i < m_folderItems.size(); ++i) {
        const BookRecord& record = m_folderItems[i];
        int icon = ICON_MISSING;
        QString name = Paths::FileNamePart(record.strPath);
        QString size;
        bool matches = Paths::SameName(name, nameToSelect);
        switch (record.nType) {
        case TYPE_DRIVE: {
            const qsizetype bar = record.strPath.indexOf(QLatin1Char('|'));
            icon = ICON_DRIVE;
            name = record.strPath.mid(bar + 1);
            matches = Paths::SameName(record.strPath.left(bar), nameToSelect);
            break;
        }
        case TYPE_FOLDER:
            icon = ICON_FOLDER;
            break;
        case TYPE_FILE:
            icon = (BrowserRules::IsArchiveName(record.strPath) ? ICON_ARCHIVE
                           : record.bImages                     ? ICON_PICTURE
                                                                : ICON_PDF)
                + (record.nPage >= 0 ? 1 : 0);
            size = BrowserRules::FormatSize(record.nSize);
            break;
        default:
            size = BrowserRules::FormatSize(record.nSize);
            matches = false;
            break;
        }
        if (matches && !nameToSelect.isEmpty())
            selected = i;
        m_listFolder.InsertColoredItem(i, Paths::ForDisplay(name), icon);
        m_listFolder.SetItemTextColor(i, kListRowText);
        m_listFolder.SetItemBkColor(i, kListBackground);
        m_listFolder.SetItemText(i, 1, size);
    }
    m_listFolder.SelectItem(selected);
    m_listFolder.EnsureVisible(selected);
    update();
}
