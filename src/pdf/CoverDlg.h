#pragma once

#include <QWidget>

class CTalvexView;

// A transparent layer over the content that takes the reader's clicks, wheel turns
// and context-menu requests and hands them to the view, so nobody ever works the PDF
// control directly. It never takes the keyboard focus.
class CCoverDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CCoverDlg(CTalvexView* view);

    CTalvexView* m_pView;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
};
