#include "browser/BrowserRules.h"
#include "browser/FolderScan.h"
#include "browser/ListColours.h"
#include "browser/ResumeLookup.h"
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

// The icon of a book not opened yet; the next one marks a book with a position.
int KindIcon(BrowserRules::BookKind kind)
{
    switch (kind) {
    case BrowserRules::BookKind::Archive:
        return ICON_ARCHIVE;
    case BrowserRules::BookKind::Folder:
        return ICON_PICTURE;
    case BrowserRules::BookKind::Pdf:
        break;
    }
    return ICON_PDF;
}
} // namespace

void CTalvexView::ScanDrives()
{
    m_folderItems = FolderScan::ScanDrives();
}

bool CTalvexView::ScanFolder()
{
    const QString folder = m_strCurrentFolder;
    const int kinds = ListedKinds();
    const BookRecordList resume = m_resumeItems;
    const bool natural = m_bNaturalSort;
    // The listing alone, off this thread; the sizes follow in the background. Nothing
    // when the folder is not there, or the reader gave up waiting for its drive.
    std::optional<std::optional<BookRecordList>> scanned
        = m_opening.Compute<std::optional<BookRecordList>>(
            [folder, kinds, resume, natural](const BackgroundTask::Abandoned&) {
                if (!Paths::IsExistingFolder(folder))
                    return std::optional<BookRecordList>();
                return std::optional<BookRecordList>(
                    FolderScan::ScanFolder(folder, kinds, resume, natural, false));
            });
    if (!scanned || !*scanned)
        return false;
    m_folderItems = std::move(**scanned);
    return true;
}

void CTalvexView::OnFolderSizesRead(qsizetype first, const QList<qint64>& sizes)
{
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const qsizetype row = first + i;
        if (row >= m_folderItems.size() || sizes[i] < 0)
            continue;
        m_folderItems[row].nSize = quint64(sizes[i]);
        m_listFolder.SetItemText(int(row), 1, BrowserRules::FormatSize(m_folderItems[row].nSize));
    }
}

bool CTalvexView::CoversShown() const
{
    return m_coverGrid.IsOn() && !m_bContent && !m_bResumeScreen;
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
    m_folderSizes.Stop();
    if (m_strCurrentFolder.isEmpty()) {
        ScanDrives();
    } else {
        for (;;) {
            if (ScanFolder())
                break;
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

    // Entering a folder book, its last page is chosen, so that Enter goes on reading.
    QString select = nameToSelect;
    if (select.isEmpty() && m_bLastPlace) {
        if (const auto place = m_placeKeeper.Places().FindFolder(m_strCurrentFolder))
            select = Paths::FileNamePart(place->strPath);
    }
    m_listFolder.DeleteAllColoredItems();
    int selected = 0;
    QStringList books;
    for (int i = 0; i < m_folderItems.size(); ++i) {
        const BookRecord& record = m_folderItems[i];
        int icon = ICON_MISSING;
        QString name = Paths::FileNamePart(record.strPath);
        QString size;
        bool matches = Paths::SameName(name, select);
        switch (record.nType) {
        case TYPE_DRIVE: {
            const qsizetype bar = record.strPath.indexOf(QLatin1Char('|'));
            icon = ICON_DRIVE;
            name = record.strPath.mid(bar + 1);
            matches = Paths::SameName(record.strPath.left(bar), select);
            break;
        }
        case TYPE_FOLDER:
            icon = ICON_FOLDER;
            break;
        case TYPE_FILE:
            icon = KindIcon(BrowserRules::KindOf(record)) + (record.nPage >= 0 ? 1 : 0);
            break;
        default:
            size = BrowserRules::FormatSize(record.nSize);
            matches = false;
            break;
        }
        if (matches && !select.isEmpty())
            selected = i;
        books << (record.nType == TYPE_FILE ? record.strPath : QString());
        m_listFolder.InsertColoredItem(i, Paths::ForDisplay(name), icon);
        m_listFolder.SetItemTextColor(i, kListRowText);
        m_listFolder.SetItemBkColor(i, kListBackground);
        m_listFolder.SetItemText(i, 1, size);
    }
    m_listFolder.SelectItem(selected);
    m_listFolder.EnsureVisible(selected);
    if (m_bFolderCovers) {
        const int picExt = m_nPicExt;
        const QString cacheHome = m_strCacheHome;
        m_coverGrid.SetBooks([books, picExt, cacheHome](int side) {
            return ThumbMakers::Covers(books, side, picExt, cacheHome);
        });
    } else {
        m_coverGrid.Stop();
    }
    update();
    // The books' sizes fill in as the drive answers.
    m_folderSizes.Start(books);
}
