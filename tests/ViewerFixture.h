#pragma once

#include "app/MainFrame.h"
#include "app/TalvexDoc.h"
#include "platform/Prompt.h"
#include "view/TalvexView.h"

#include <QtTest>

// Until the lists have what is read of their books in the background.
inline void WaitForLists(CTalvexView* view)
{
    const auto reading
        = [view] { return view->m_folderSizes.IsReading() || view->m_resumeSizes.IsReading(); };
    QDeadlineTimer deadline(10000);
    while (reading() && !deadline.hasExpired())
        QTest::qWait(1);
    QVERIFY(!reading());
}

// A frame with its view, built the way the program builds them.
struct Viewer {
    CTalvexDoc doc;
    CMainFrame frame { &doc };
    CTalvexView* view = new CTalvexView(&doc);

    // waitForLists: until what the lists show of their books is read.
    explicit Viewer(const QString& file = QString(), bool waitForLists = true)
    {
        view->OnCreate();
        frame.SetView(view);
        if (!file.isEmpty())
            doc.OnOpenDocument(file);
        view->OnInitialUpdate();
        frame.setGeometry(40, 40, 1000, 700);
        frame.show();
        if (waitForLists)
            WaitForLists(view);
    }
};

// Opens a book of the Folder screen by name, as the reader does: select, then Enter.
inline bool OpenFromFolder(Viewer& v, const QString& name)
{
    CColorListCtrl& list = v.view->m_listFolder;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        if (list.GetItemText(i, 0) == name) {
            list.SelectItem(i);
            QTest::keyClick(&list, Qt::Key_Return);
            return v.view->m_bContent;
        }
    }
    return false;
}

// Answers every message OK and every dialog and menu as dismissed, recording the
// messages' texts.
inline void RecordMessages(QStringList& messages)
{
    Prompt::setResponder([&messages](const Prompt::Request& request) {
        if (!request.dialog && !request.menu)
            messages << request.text;
        return int(Prompt::IDOK);
    });
}
