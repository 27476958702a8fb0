#include "pdf/CoverDlg.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QWheelEvent>

CCoverDlg::CCoverDlg(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void CCoverDlg::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        emit leftButtonDown(mapToParent(e->position().toPoint()));
    e->accept();
}

void CCoverDlg::wheelEvent(QWheelEvent* e)
{
    const QPoint delta = e->angleDelta();
    if (delta.y() != 0)
        emit wheelTurned(delta.y());
    else if (delta.x() != 0)
        emit wheelTilted(-delta.x()); // the viewer counts a tilt to the left as negative
    e->accept();
}

void CCoverDlg::contextMenuEvent(QContextMenuEvent* e)
{
    emit contextMenuRequested(
        e->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : e->globalPos());
    e->accept();
}
