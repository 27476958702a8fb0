#include "pdf/CoverDlg.h"

#include "view/TalvexView.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QWheelEvent>

CCoverDlg::CCoverDlg(CTalvexView* view)
    : QWidget(view)
    , m_pView(view)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void CCoverDlg::mousePressEvent(QMouseEvent* e)
{
    // The cover lies exactly on the view, so its points are the view's.
    if (e->button() == Qt::LeftButton)
        m_pView->OnLButtonDown(mapTo(m_pView, e->position().toPoint()));
    e->accept();
}

void CCoverDlg::wheelEvent(QWheelEvent* e)
{
    const QPoint delta = e->angleDelta();
    if (delta.y() != 0)
        m_pView->OnMouseWheel(delta.y());
    else if (delta.x() != 0)
        m_pView->OnMouseHWheel(delta.x());
    e->accept();
}

void CCoverDlg::contextMenuEvent(QContextMenuEvent* e)
{
    m_pView->OnContextMenu(
        e->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : e->globalPos());
    e->accept();
}
