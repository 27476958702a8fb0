#include "browser/FolderNav.h"
#include "browser/FolderScan.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "view/TalvexView.h"

#include <QApplication>
#include <QTimer>

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
        if (!Paths::IsExistingFile(record.strPath)) {
            Prompt::Beep();
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
    case TYPE_FILE:
        if (!Paths::IsExistingFile(record.strPath))
            FillFolderList(QString());
        else if (!OpenBook(m_folderItems[i]))
            Prompt::Beep();
        break;
    default:
        break;
    }
}

void CTalvexView::OpenFromOutside(const QString& path)
{
    // The book open here keeps its place, as Ctrl+C keeps it.
    if (m_bContent)
        CloseBook(CLOSE_OVERWRITE_RESUME);
    const bool folder = Paths::IsExistingFolder(path);
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
    m_strHanded = path;
    const bool busy = QApplication::activeModalWidget() || QApplication::activePopupWidget()
        || m_bMenuOpen || m_inputGate.IsShut() || m_opening.IsRunning() || m_keyHelp.isVisible();
    if (busy) {
        QTimer::singleShot(100, this, [this] {
            if (!m_strHanded.isEmpty())
                OpenHanded(m_strHanded);
        });
        return;
    }
    const QString handed = std::exchange(m_strHanded, QString());
    OpenFromOutside(handed);
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
        const QString folder = Paths::FolderPart(selected->strPath);
        if (m_bResumeScreen && Paths::IsExistingFolder(folder)) {
            m_strCurrentFolder = folder;
            m_book = *selected;
        } else if (!m_bResumeScreen && selected->nPage >= 0 && Paths::IsExistingFolder(folder)) {
            m_book = *selected;
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
