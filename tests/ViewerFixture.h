#pragma once

#include "app/MainFrame.h"
#include "app/TalvexDoc.h"
#include "platform/Prompt.h"
#include "view/TalvexView.h"

#include <QtTest>

// A frame with its view, built the way the program builds them.
struct Viewer {
    CTalvexDoc doc;
    CMainFrame frame { &doc };
    CTalvexView* view = new CTalvexView(&doc);

    explicit Viewer(const QString& file = QString())
    {
        view->OnCreate();
        frame.SetView(view);
        if (!file.isEmpty())
            doc.OnOpenDocument(file);
        view->OnInitialUpdate();
        frame.setGeometry(40, 40, 1000, 700);
        frame.show();
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
