#include "browser/BrowserRules.h"
#include "browser/FolderNav.h"
#include "browser/FolderScan.h"
#include "browser/ResumeLookup.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "view/TalvexView.h"

#include <QApplication>
#include <QTimer>

std::optional<bool> CTalvexView::IsThere(const QString& path, bool folder)
{
    // Asked off this thread, as a drive that has gone away may never answer.
    return m_opening.Compute<bool>([path, folder](const BackgroundTask::Abandoned&) {
        return folder ? Paths::IsExistingFolder(path) : Paths::IsExistingFile(path);
    });
}

std::optional<qint64> CTalvexView::SizeOf(const QString& path)
{
    return m_opening.Compute<qint64>(
        [path](const BackgroundTask::Abandoned&) { return Paths::FileSize(path); });
}

void CTalvexView::OpenSelectedEntry()
{
    if (m_bContent)
        return;
    if (m_bResumeScreen) {
        const int i = m_listResume.GetSelectedIndex();
        if (i < 0 || i >= m_resumeItems.size())
            return;
        const BookRecord record = m_resumeItems[i];
        if (record.nType != TYPE_FILE) {
            Prompt::Beep();
            return;
        }
        // Given up while the drive was asked, nothing more happens.
        const std::optional<bool> there = IsThere(record.strPath, false);
        if (!there)
            return;
        // The list may have changed while the drive was asked.
        if (i >= m_resumeItems.size() || m_resumeItems[i].strPath != record.strPath)
            return;
        if (!*there) {
            Prompt::Beep();
            m_resumeItems[i].nType = TYPE_MISSING;
            FillResumeList(nullptr);
            return;
        }
        m_strCurrentFolder = Paths::FolderPart(record.strPath);
        if (!OpenBook(m_resumeItems[i]))
            Prompt::Beep();
        return;
    }
    const int i = m_listFolder.GetSelectedIndex();
    if (i < 0 || i >= m_folderItems.size())
        return;
    const BookRecord record = m_folderItems[i];
    switch (record.nType) {
    case TYPE_DRIVE: {
        const qsizetype bar = record.strPath.indexOf(QLatin1Char('|'));
        if (bar < 0)
            return;
        m_strCurrentFolder = record.strPath.left(bar);
        FillFolderList(QString());
        break;
    }
    case TYPE_FOLDER:
        m_strCurrentFolder = record.strPath;
        FillFolderList(QString());
        break;
    case TYPE_FILE: {
        const std::optional<qint64> size = SizeOf(record.strPath);
        if (!size || i >= m_folderItems.size() || m_folderItems[i].strPath != record.strPath)
            break;
        if (*size < 0) {
            FillFolderList(QString());
            break;
        }
        // Its size may not have been read for the list yet; the book's entry keeps it.
        m_folderItems[i].nSize = quint64(*size);
        BookRecord book = m_folderItems[i];
        m_bOpenedAtLastPlace = TakeLastPlace(book);
        // A book read before keeps its own crop; a new one takes the setting's.
        if (!m_bOpenedAtLastPlace && !ResumeLookup(m_resumeItems).Has(book.strPath))
            book.bCrop = m_bCropBorders;
        if (!OpenBook(book))
            Prompt::Beep();
        break;
    }
    default:
        break;
    }
}

bool CTalvexView::TakeLastPlace(BookRecord& book) const
{
    // A picture chosen in a folder opens at that picture.
    if (!m_bLastPlace || BrowserRules::KindOf(book) == BrowserRules::BookKind::Folder)
        return false;
    const std::optional<BookRecord> place
        = m_placeKeeper.Places().FindFile(book.strPath, book.nSize);
    if (!place)
        return false;
    book.nPage = place->nPage;
    book.nLayout = place->nLayout;
    book.nBind = place->nBind;
    book.nZoom = place->nZoom;
    book.bRightToLeft = place->bRightToLeft;
    book.bCrop = place->bCrop;
    book.bFitWidth = place->bFitWidth;
    return true;
}

void CTalvexView::OpenFromOutside(const QString& path)
{
    // The book open here keeps its last place; the Resume screen stays as the reader left it.
    if (m_bContent)
        CloseBook(CLOSE_NO_RESUME);
    const std::optional<bool> isFolder = IsThere(path, true);
    if (!isFolder)
        return;
    const bool folder = *isFolder;
    m_strCurrentFolder = folder ? path : Paths::FolderPart(path);
    m_book = BookRecord();
    m_bResumeScreen = false;
    ShowListScreen();
    if (folder)
        return;
    for (qsizetype i = 0; i < m_folderItems.size(); ++i) {
        if (Paths::SameName(m_folderItems[i].strPath, path)) {
            m_listFolder.SelectItem(int(i));
            m_listFolder.EnsureVisible(int(i));
            // The list stays out of sight while the book opens, and comes back if it
            // does not.
            m_listFolder.hide();
            OpenSelectedEntry();
            if (!m_bContent) {
                m_listFolder.show();
                m_listFolder.setFocus();
            }
            return;
        }
    }
    Prompt::MessageBox(this, QStringLiteral("ファイルを開けません。"), Prompt::ErrorIcon);
}

void CTalvexView::OpenHanded(const QString& path)
{
    m_handed.append(path);
    if (m_handed.size() == 1)
        OpenNextHanded();
}

void CTalvexView::OpenNextHanded()
{
    if (m_handed.isEmpty())
        return;
    const bool busy = QApplication::activeModalWidget() || QApplication::activePopupWidget()
        || m_bMenuOpen || m_inputGate.IsShut() || m_opening.IsRunning() || m_keyHelp.isVisible();
    if (busy) {
        QTimer::singleShot(100, this, &CTalvexView::OpenNextHanded);
        return;
    }
    // Each in the order it came; a later one waits until the one before has opened.
    OpenFromOutside(m_handed.first());
    m_handed.removeFirst();
    if (!m_handed.isEmpty())
        QTimer::singleShot(0, this, &CTalvexView::OpenNextHanded);
}

void CTalvexView::FolderUp()
{
    if (m_bContent || m_bResumeScreen)
        return;
    if (const auto move = FolderNav::Up(m_strCurrentFolder)) {
        m_strCurrentFolder = move->folder;
        FillFolderList(move->select);
    }
}

void CTalvexView::FolderTop()
{
    if (m_bContent || m_bResumeScreen)
        return;
    QStringList roots;
    for (const BookRecord& drive : FolderScan::ScanDrives())
        roots << drive.strPath.section(QLatin1Char('|'), 0, 0);
    if (const auto move = FolderNav::Top(m_strCurrentFolder, roots)) {
        m_strCurrentFolder = move->folder;
        FillFolderList(move->select);
    }
}

void CTalvexView::SwitchScreenKeep()
{
    if (m_bContent)
        return;
    if (const BookRecord* selected = SelectedRecord(); selected && selected->nType == TYPE_FILE) {
        const BookRecord record = *selected;
        const QString folder = Paths::FolderPart(record.strPath);
        // A folder whose drive keeps the reader waiting counts as gone.
        const bool there
            = (m_bResumeScreen || record.nPage >= 0) && IsThere(folder, true).value_or(false);
        if (m_bResumeScreen && there) {
            m_strCurrentFolder = folder;
            m_book = record;
        } else if (!m_bResumeScreen && there) {
            m_book = record;
        }
    }
    m_bResumeScreen = !m_bResumeScreen;
    ShowListScreen();
}

void CTalvexView::SwitchScreenReset()
{
    if (m_bContent)
        return;
    m_bResumeScreen = !m_bResumeScreen;
    ShowListScreen();
}
