#pragma once

#include "app/MainFrame.h"
#include "app/TalvexDoc.h"
#include "view/TalvexView.h"

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
